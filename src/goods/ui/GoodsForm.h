#pragma once

#include "goods/GoodsCatalogue.h"

#include <QStringList>
#include <QWidget>

class QComboBox;
class QFormLayout;
class QLineEdit;

// The boxes of one goods item, shared by the add screen (TXmAddFm) and the
// edit screen (TXmEditFm): their key filters, the type and service choices
// without typing, and the pinyin that follows every change of the name
// (PinYinShowHs), which the operator may still overwrite. Each screen keeps
// its own captions and order; the add screen also has 进价 and 数量, the
// edit screen 库存.
class GoodsForm : public QWidget
{
    Q_OBJECT

public:
    enum class Kind {
        NewItem,    // the add screen
        StoredItem, // the edit screen
    };

    explicit GoodsForm(Kind kind, QWidget *parent = nullptr);

    // The type names offered, the first one chosen.
    void setTypes(const QStringList &types);
    // A stored item as it is: a type or service value no longer offered is
    // shown too, and the pinyin is the stored one, not the name's.
    void showItem(const GoodsCatalogue::Item &item);
    // The boxes as typed.
    GoodsCatalogue::NewItem newItem() const;
    GoodsCatalogue::Change change() const;
    // Ready for the next item: every box empty, the service back to "否";
    // the type stays.
    void clearInput();
    // Offers 进价 and 数量 or not; hiding keeps what they hold.
    void showStockFields(bool shown);

    QLineEdit *nameEdit() const { return m_name; }
    QLineEdit *codeEdit() const { return m_code; }
    QLineEdit *commissionEdit() const { return m_commission; }
    QComboBox *typeBox() const { return m_type; }
    QComboBox *serviceBox() const { return m_service; }
    QLineEdit *priceEdit() const { return m_price; }
    QLineEdit *pinyinEdit() const { return m_pinyin; }
    // The add screen's only; null on the edit screen.
    QLineEdit *purchasePriceEdit() const { return m_purchasePrice; }
    QLineEdit *quantityEdit() const { return m_quantity; }
    // The edit screen's only; null on the add screen.
    QLineEdit *stockEdit() const { return m_stock; }

private:
    void PinYinShowHs();

    QFormLayout *m_layout;
    QLineEdit *m_name;
    QLineEdit *m_code;
    QLineEdit *m_commission;
    QComboBox *m_type;
    QComboBox *m_service;
    QLineEdit *m_price;
    QLineEdit *m_pinyin;
    QLineEdit *m_purchasePrice = nullptr;
    QLineEdit *m_quantity = nullptr;
    QLineEdit *m_stock = nullptr;
};
