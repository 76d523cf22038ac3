#pragma once

#include "lists/RecordDescription.h"

#include <QDialog>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QAction;
class QTableWidget;
class QWidget;
class RecordTable;
struct Session;

// What a screen's check says about the values about to be saved.
struct SaveCheck
{
    bool go = true;
    // Shown when the save stops; empty: it stops without a word.
    QString message = {};

    static SaveCheck proceed() { return {}; }
    static SaveCheck stop(const QString &message = {}) { return {false, message}; }
};

// A record screen described: its table, toolbar and the few ways the
// screens differ.
struct RecordScreenDescription
{
    enum class Action { Add, Change, Delete, Save, Cancel, Exit };

    QString title;
    RecordTableDescription table;
    // The toolbar, left to right.
    std::vector<Action> buttons;
    QString exitCaption = QStringLiteral("退  出");
    // The grid's columns, left to right; empty: every field in form order.
    QStringList gridColumns = {};
    // Fixed lines under the form that explain its fields.
    QStringList notes = {};
    // The field whose value names the row in the delete question.
    QString nameColumn = {};
    // Without "修改": the form stays open while browsing, typing into it
    // starts changing the current row (or adding one to an empty list),
    // and "保存"/"取消" stay enabled.
    bool editByTyping = false;
    // Whether the title bar offers a close button; without it, and while
    // a row is being edited, the screen is left only through its buttons.
    bool closable = true;
    // Looks at the entered values before they are written.
    std::function<SaveCheck(const RecordEntry &)> check = {};
};

// The window of a record screen: a toolbar, a form over the current row
// and a read-only grid of every row. Browsing shows the current row;
// "添加" and "修改" (or typing, see editByTyping) start editing, which only
// "保存" or "取消" ends. Each screen is a description handed to this class.
class RecordScreen : public QDialog
{
    Q_OBJECT

public:
    enum class State { Browsing, Adding, Changing };

    RecordScreen(Session &session, RecordScreenDescription described, QWidget *parent = nullptr);
    ~RecordScreen() override;

    State state() const { return m_state; }
    const RecordScreenDescription &description() const { return m_description; }
    QAction *action(const QString &caption) const;
    QAction *action(RecordScreenDescription::Action which) const;
    // The form's box for a column: QLineEdit, QCheckBox or QComboBox.
    QWidget *field(const QString &column) const { return m_fields.value(column); }
    QWidget *form() const { return m_form; }
    QTableWidget *grid() const { return m_grid; }

public slots:
    // Reads every row again; `select` is the key of the row to make current.
    void reload(const QVariant &select = {});
    void addRecord();
    void changeRecord();
    void saveRecord();
    void cancelEdit();
    void deleteRecord();
    void leave();
    void reject() override;

private:
    void buildForm(QWidget *form);
    void fillGridRow(int gridRow, const QVariantList &shown);
    void showCurrent();
    void showValues(const QVariantList &shown);
    QVariantList enteredValues() const;
    void setState(State state);
    void startAdding(bool clearForm);
    // Typing into the form of a screen without "修改".
    void formEdited();
    int currentRow() const;

    Session &m_session;
    RecordScreenDescription m_description;
    std::unique_ptr<RecordTable> m_table;
    std::vector<RecordRow> m_rows;
    QWidget *m_form;
    QTableWidget *m_grid;
    QHash<QString, QWidget *> m_fields;
    QList<std::pair<RecordScreenDescription::Action, QAction *>> m_actions;
    // The grid column of each field shown there, in grid order.
    QList<int> m_gridFields;
    State m_state = State::Browsing;
    // The row being changed; the row that was current before adding.
    int m_editRow = -1;
    QVariant m_keyBefore;
};
