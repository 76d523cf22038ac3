#pragma once

#include "common/Money.h"
#include "session/Operator.h"

#include <QString>

#include <optional>

class Clock;
class Database;

// Stock purchases: one 进货表 row and the item's 库存 raised by its
// quantity, in one transaction. The stock is raised in place
// (库存 = 库存 + ?), so purchases and sales from other workstations in
// between all count. Refusals throw Refusal; database errors DbError.
class StockPurchases
{
public:
    // The purchase screen's boxes as typed.
    struct Entry
    {
        int itemId = 0;
        QString price;    // 进货单价
        QString quantity; // 数量, whole
        QString note;     // 备注
    };

    StockPurchases(Database &database, const Operator &who, const Clock &clock)
        : m_database(database), m_operator(who), m_clock(clock) {}

    // The screen's running 总进价: price × quantity, both read as amounts;
    // nothing while either box is empty or not a number, or the total lies
    // past the amount range.
    static std::optional<Money> total(const QString &price, const QString &quantity);

    // Records the purchase, dated today, under the signed-in operator's
    // name; the item's name and pinyin are copied as they stand now.
    // Returns false, writing nothing, while the price or the quantity is
    // empty. Needs the right 商品进货; refuses a box that is not a number,
    // a price or total past the amount range (Money::OutOfRange), an item
    // that is gone and one whose type keeps no stock.
    bool record(const Entry &entry);

private:
    Database &m_database;
    const Operator m_operator;
    const Clock &m_clock;
};
