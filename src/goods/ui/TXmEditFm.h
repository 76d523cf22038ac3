#pragma once

#include "goods/GoodsCatalogue.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;
class QWidget;
struct Session;

// The edit screen for one goods item. Nothing is written except by "保存",
// which saves only while the item still holds what the screen read;
// "取消修改" and "关闭" both leave the item as it is. Accepted when saved.
class TXmEditFm : public QDialog
{
    Q_OBJECT

public:
    TXmEditFm(Session &session, int itemId, QWidget *parent = nullptr);

    QWidget *fieldArea() const { return m_fields; }
    QLineEdit *nameEdit() const { return m_name; }
    QComboBox *typeBox() const { return m_type; }
    QComboBox *serviceBox() const { return m_service; }
    QLineEdit *codeEdit() const { return m_code; }
    QLineEdit *priceEdit() const { return m_price; }
    QLineEdit *commissionEdit() const { return m_commission; }
    QLineEdit *stockEdit() const { return m_stock; }
    QLineEdit *pinyinEdit() const { return m_pinyin; }
    QPushButton *saveButton() const { return m_save; }
    QPushButton *cancelButton() const { return m_cancel; }
    QPushButton *closeButton() const { return m_close; }

public slots:
    void save();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void DBEdit1Change();

    Session &m_session;
    GoodsCatalogue::Item m_shown;
    bool m_mayEdit;
    bool m_refusalShown = false;
    QWidget *m_fields;
    QLineEdit *m_name;
    QComboBox *m_type;
    QComboBox *m_service;
    QLineEdit *m_code;
    QLineEdit *m_price;
    QLineEdit *m_commission;
    QLineEdit *m_stock;
    QLineEdit *m_pinyin;
    QPushButton *m_save;
    QPushButton *m_cancel;
    QPushButton *m_close;
};
