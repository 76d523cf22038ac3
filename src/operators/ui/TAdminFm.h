#pragma once

#include "operators/OperatorStore.h"

#include <QDialog>
#include <QHash>
#include <QList>
#include <QString>

#include <memory>

class QAction;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QTableWidget;
struct Session;

// Operators and their rights. Browse mode shows the current operator;
// 添加 and 修改 switch to edit mode until 保存 or 取消.
class TAdminFm : public QDialog
{
    Q_OBJECT

public:
    explicit TAdminFm(Session &session, QWidget *parent = nullptr);
    ~TAdminFm() override;

    bool isEditing() const { return m_editing; }
    QTableWidget *list() const { return m_list; }
    QLineEdit *nameEdit() const { return m_name; }
    QCheckBox *rightBox(const QString &column) const { return m_rightBoxes.value(column); }
    QAction *action(const QString &caption) const;

public slots:
    void addOperator();
    void editOperator();
    void saveOperator();
    void cancelEdit();
    void deleteOperator();
    void leave();

private:
    void reload(const QString &select = {});
    void showCurrent();
    void setEditing(bool editing);
    QString currentName() const;

    Session &m_session;
    std::unique_ptr<OperatorStore> m_store;
    // The operator as read for the current row: a save changes the row
    // only while it still holds this.
    OperatorStore::Operator m_shown;
    QTableWidget *m_list;
    QLineEdit *m_name;
    QGroupBox *m_nameGroup;
    QGroupBox *m_rightsGroup;
    QHash<QString, QCheckBox *> m_rightBoxes;
    QList<QAction *> m_actions;
    bool m_editing = false;
    bool m_adding = false;
};
