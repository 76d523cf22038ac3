#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
struct Session;

// The add screen: one new goods item at a time. After "保存完成!" the boxes
// are cleared and the screen stays open for the next item; saved() tells
// the list to read itself again.
class TXmAddFm : public QDialog
{
    Q_OBJECT

public:
    explicit TXmAddFm(Session &session, QWidget *parent = nullptr);

    QLineEdit *nameEdit() const { return m_name; }
    QLineEdit *codeEdit() const { return m_code; }
    QLineEdit *commissionEdit() const { return m_commission; }
    QComboBox *typeBox() const { return m_type; }
    QComboBox *serviceBox() const { return m_service; }
    QLineEdit *priceEdit() const { return m_price; }
    QLineEdit *pinyinEdit() const { return m_pinyin; }
    QLineEdit *purchasePriceEdit() const { return m_purchasePrice; }
    QLineEdit *quantityEdit() const { return m_quantity; }
    QPushButton *saveButton() const { return m_save; }
    // Whether 进价 and 数量 are offered (the chosen type keeps stock).
    bool stockFieldsShown() const;

public slots:
    void save();

signals:
    void saved();

private:
    // Offers 进价 and 数量 only for a type that keeps stock; hiding keeps
    // what they hold.
    void ShowNumItem();
    void PinYinShowHs();
    void iniData();

    Session &m_session;
    QLineEdit *m_name;
    QLineEdit *m_code;
    QLineEdit *m_commission;
    QComboBox *m_type;
    QComboBox *m_service;
    QLineEdit *m_price;
    QLineEdit *m_pinyin;
    QLabel *m_purchasePriceLabel;
    QLineEdit *m_purchasePrice;
    QLabel *m_quantityLabel;
    QLineEdit *m_quantity;
    QPushButton *m_save;
    bool m_stockShown = false;
};
