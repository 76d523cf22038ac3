#include "StockPurchases.h"

#include "GoodsCatalogue.h"
#include "GoodsNumbers.h"
#include "common/Clock.h"
#include "common/Refusal.h"
#include "db/Database.h"
#include "db/RowLocks.h"
#include "db/Transaction.h"
#include "session/RightTable.h"

#include <QDateTime>
#include <QSqlRecord>

using namespace Qt::StringLiterals;

std::optional<Money> StockPurchases::total(const QString &price, const QString &quantity)
{
    const std::optional<Money> each = Money::parse(price);
    const std::optional<Money> count = Money::parse(quantity);
    if (!each || !count)
        return std::nullopt;
    try {
        return (*each * *count).withinRange();
    } catch (const Refusal &) {
        return std::nullopt; // beyond any amount: the box keeps what it showed
    }
}

bool StockPurchases::record(const Entry &entry)
{
    if (entry.price.trimmed().isEmpty() || entry.quantity.trimmed().isEmpty())
        return false;
    RightTable::require(m_operator, Guarded::PurchaseStock);
    const Money price = GoodsNumbers::amount(entry.price, u"进货单价"_s);
    const int quantity = GoodsNumbers::quantity(entry.quantity, u"数量"_s);
    const Money total = (price * Money::fromInt(quantity)).withinRange();

    Transaction transaction(m_database);
    // The goods row before the purchase, as adding an item takes them: the
    // name and the type read below are the ones the stock is raised under,
    // and a change to the item at another workstation is waited for.
    RowLocks::lock(m_database, LockRank::Goods, u"商品库"_s, u"id"_s,
                   {QString::number(entry.itemId)});
    const QSqlRecord item = m_database.firstRow(
        u"select 商品库.商品名, 商品库.拼音, 商品类型.库存 from 商品库 "
        "left join 商品类型 on 商品类型.名称=商品库.商品类型 where 商品库.id=?"_s,
        {entry.itemId});
    if (item.isEmpty())
        throw Refusal(QString::fromUtf16(GoodsCatalogue::Stale));
    if (!item.value(2).toBool())
        throw Refusal(QString::fromUtf16(GoodsCatalogue::KeepsNoStock));
    RowLocks::enter(m_database, LockRank::Purchases);
    m_database.execute(u"insert into 进货表 (商品名, 拼音, 进货单价, 数量, 总进价, 日期, 备注, 管理员) "
                       "values (?, ?, ?, ?, ?, ?, ?, ?)"_s,
                       {item.value(0).toString(), item.value(1).toString(),
                        QVariant::fromValue(price), quantity, QVariant::fromValue(total),
                        QDateTime(m_clock.now().date(), QTime(0, 0)),
                        entry.note.isNull() ? u""_s : entry.note,
                        m_operator.name});
    // Raised where it stands, never set from a value read earlier.
    const int raised = m_database.execute(
        u"update 商品库 set 库存=coalesce(库存, 0)+? where id=?"_s, {quantity, entry.itemId});
    if (raised != 1)
        throw Refusal(QString::fromUtf16(GoodsCatalogue::Stale));
    m_database.announce(Change::Goods);
    transaction.commit();
    return true;
}
