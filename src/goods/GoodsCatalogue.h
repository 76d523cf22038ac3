#pragma once

#include "common/Money.h"
#include "session/Operator.h"

#include <QString>
#include <QStringList>

class Clock;
class QSqlRecord;
class Database;

// The goods catalogue (商品库) and what it needs of the goods types
// (商品类型): adding an item with its initial stock, reading, editing and
// deleting one. Refusals throw Refusal with the user's text and write
// nothing; database errors throw DbError.
class GoodsCatalogue
{
public:
    // One 商品库 row as the screens show it. NULL texts read as "", NULL
    // amounts as 0.
    struct Item
    {
        int id = 0;
        QString code;         // 编号
        QString name;         // 商品名
        QString pinyin;       // 拼音
        QString type;         // 商品类型
        Money price;          // 单价
        Money stock;          // 库存
        Money commission;     // 提成金额
        QString needsService; // 是否需要服务, "是" or "否"

        // The item a "select *" row of 商品库 holds; an amount that is no
        // number throws DbError naming the column.
        static Item of(const QSqlRecord &row);
    };

    // The add screen's boxes as typed. 进价 and 数量 count only for a type
    // that keeps stock.
    struct NewItem
    {
        QString code;
        QString name;
        QString pinyin;
        QString type;
        QString needsService;
        QString price;
        QString commission;
        QString purchasePrice; // 进价
        QString quantity;      // 数量
    };

    // The edit screen's boxes as typed.
    struct Change
    {
        QString code;
        QString name;
        QString pinyin;
        QString type;
        QString needsService;
        QString price;
        QString commission;
        QString stock;
    };

    static constexpr auto Incomplete = u"请把信息填写完整!";
    static constexpr auto Stale = u"该商品已被其他工作站修改或删除，请刷新后重试。";
    static constexpr auto KeepsNoStock = u"该商品没有库存属性,不能进货!";

    // The operator's name goes into 进货表.管理员, the rights gate editing
    // and deleting, the clock dates the initial-stock purchase.
    GoodsCatalogue(Database &database, const Operator &who, const Clock &clock)
        : m_database(database), m_operator(who), m_clock(clock) {}

    // Every 商品类型.名称, in the table's order (the add screen starts on
    // the first).
    QStringList typeNames();
    // Whether items of the type keep stock; false for a type that no longer
    // exists.
    bool keepsStock(const QString &type);

    // Adds the item and, when its type keeps stock, records the initial
    // quantity as a purchase (总进价 = 进价 × 数量), in one transaction.
    // Refuses a missing type, 编号, 商品名 or 单价 with Incomplete and a box
    // that is not a number with "<field> 不是有效的数字！". An item of a type
    // without stock starts at 库存 0. Returns the new item's id.
    int add(const NewItem &item);

    // The item with that id; Stale when it is gone.
    Item item(int id);

    // Saves the edit screen onto the item, provided the row still holds
    // everything `shown` (what the screen read) holds: a change or deletion
    // from another workstation since then is refused with Stale rather than
    // overwritten. Needs the right 营业项目修改. Refuses a missing type,
    // 是否需要服务, 商品名 or 单价 with Incomplete. Empty 提成金额 and 库存
    // read as 0.
    void update(const Item &shown, const Change &change);

    // Deletes the item; its purchases and consumption lines stay. Needs the
    // right 营业项目删除.
    void remove(int id);

    // What the list checks before it opens the purchase screen for an item:
    // the right 商品进货, then that the item's type keeps stock.
    void checkPurchase(int id);

private:
    Database &m_database;
    const Operator m_operator;
    const Clock &m_clock;
};
