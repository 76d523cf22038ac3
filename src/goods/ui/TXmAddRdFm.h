#pragma once

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
struct Session;

// The purchase screen for one goods item: price and quantity in, the
// running total beside them; "确定" records the purchase and closes.
// Accepted when a purchase was recorded.
class TXmAddRdFm : public QDialog
{
    Q_OBJECT

public:
    TXmAddRdFm(Session &session, int itemId, QWidget *parent = nullptr);

    QLineEdit *nameEdit() const { return m_name; }
    QLineEdit *pinyinEdit() const { return m_pinyin; }
    QLineEdit *priceEdit() const { return m_price; }
    QLineEdit *quantityEdit() const { return m_quantity; }
    QLineEdit *totalEdit() const { return m_total; }
    QLineEdit *stockEdit() const { return m_stock; }
    QPlainTextEdit *noteEdit() const { return m_note; }
    QPushButton *okButton() const { return m_ok; }

public slots:
    void record();

private:
    void showTotal();

    Session &m_session;
    int m_itemId;
    QLineEdit *m_name;
    QLineEdit *m_pinyin;
    QLineEdit *m_price;
    QLineEdit *m_quantity;
    QLineEdit *m_total;
    QLineEdit *m_stock;
    QPlainTextEdit *m_note;
    QPushButton *m_ok;
};
