#include "GoodsCatalogue.h"

#include "GoodsNumbers.h"
#include "common/Clock.h"
#include "common/Refusal.h"
#include "db/Amounts.h"
#include "db/Database.h"
#include "db/RowLocks.h"
#include "db/Transaction.h"
#include "session/RightTable.h"

#include <QDateTime>
#include <QSqlRecord>

using namespace Qt::StringLiterals;

namespace {

QString text(const char16_t *value)
{
    return QString::fromUtf16(value);
}

// A NULL column reads as a null QString, which would bind as NULL; the
// conditions compare against coalesce(column, '').
QString orEmpty(const QString &value)
{
    return value.isNull() ? u""_s : value;
}

bool blank(const QString &value)
{
    return value.trimmed().isEmpty();
}

} // namespace

GoodsCatalogue::Item GoodsCatalogue::Item::of(const QSqlRecord &row)
{
    const auto amount = [&row](const QString &column) {
        return readAmount(row.value(column), u"商品库"_s, column);
    };
    GoodsCatalogue::Item item;
    item.id = row.value(u"id"_s).toInt();
    item.code = row.value(u"编号"_s).toString();
    item.name = row.value(u"商品名"_s).toString();
    item.pinyin = row.value(u"拼音"_s).toString();
    item.type = row.value(u"商品类型"_s).toString();
    item.price = amount(u"单价"_s);
    item.stock = amount(u"库存"_s);
    item.commission = amount(u"提成金额"_s);
    item.needsService = row.value(u"是否需要服务"_s).toString();
    return item;
}

QStringList GoodsCatalogue::typeNames()
{
    // "select *" reads the table in its own order; selecting the name
    // alone lets SQLite read the unique index instead, in name order.
    QStringList names;
    QSqlQuery query = m_database.exec(u"select * from 商品类型"_s);
    const int name = query.record().indexOf(u"名称"_s);
    while (query.next())
        names.append(query.value(name).toString());
    return names;
}

bool GoodsCatalogue::keepsStock(const QString &type)
{
    return m_database.scalar(u"select 库存 from 商品类型 where 名称=?"_s, {type}).toBool();
}

int GoodsCatalogue::add(const NewItem &item)
{
    if (blank(item.type) || blank(item.code) || blank(item.name) || blank(item.price))
        throw Refusal(text(Incomplete));
    const Money price = GoodsNumbers::amount(item.price, u"单价"_s);
    const Money commission = GoodsNumbers::amount(item.commission, u"提成金额"_s);
    const QString needsService = item.needsService.isEmpty() ? u"否"_s : item.needsService;

    Transaction transaction(m_database);
    // The hidden 进价 and 数量 boxes keep what was typed for an earlier
    // type; only a type with stock reads them.
    const bool stocked = keepsStock(item.type);
    Money purchasePrice;
    int quantity = 0;
    if (stocked) {
        purchasePrice = GoodsNumbers::amount(item.purchasePrice, u"进价"_s);
        quantity = GoodsNumbers::quantity(item.quantity, u"数量"_s);
    }
    const Money purchaseTotal = (purchasePrice * Money::fromInt(quantity)).withinRange();
    RowLocks::enter(m_database, LockRank::Goods);
    const int id = m_database
                       .scalar(u"insert into 商品库 (编号, 商品名, 拼音, 商品类型, 单价, 库存, 提成金额, "
                               "是否需要服务, 作者, 出版社, 出版年, 简介) "
                               "values (?, ?, ?, ?, ?, ?, ?, ?, '', '', '', '') returning id"_s,
                               {item.code, item.name, item.pinyin, item.type,
                                QVariant::fromValue(price), quantity,
                                QVariant::fromValue(commission), needsService})
                       .toInt();
    if (stocked) {
        RowLocks::enter(m_database, LockRank::Purchases);
        m_database.execute(u"insert into 进货表 (商品名, 拼音, 进货单价, 数量, 总进价, 日期, 管理员) "
                           "values (?, ?, ?, ?, ?, ?, ?)"_s,
                           {item.name, item.pinyin.trimmed(), QVariant::fromValue(purchasePrice),
                            quantity, QVariant::fromValue(purchaseTotal),
                            QDateTime(m_clock.now().date(), QTime(0, 0)),
                            m_operator.name});
    }
    m_database.announce(::Change::Goods);
    transaction.commit();
    return id;
}

GoodsCatalogue::Item GoodsCatalogue::item(int id)
{
    const QSqlRecord row = m_database.firstRow(u"select * from 商品库 where id=?"_s, {id});
    if (row.isEmpty())
        throw Refusal(text(Stale));
    return Item::of(row);
}

void GoodsCatalogue::update(const Item &shown, const Change &change)
{
    RightTable::require(m_operator, Guarded::EditGoods);
    if (blank(change.type) || blank(change.needsService) || blank(change.name) || blank(change.price))
        throw Refusal(text(Incomplete));
    const Money price = GoodsNumbers::amount(change.price, u"单价"_s);
    const Money commission = GoodsNumbers::amount(change.commission, u"提成金额"_s);
    const Money stock = GoodsNumbers::amount(change.stock, u"库存"_s);

    // Amounts are compared as the database rounds them to four places, so
    // a price that SQLite keeps as a binary fraction still matches its
    // exact text.
    const int changed = m_database.execute(
        u"update 商品库 set 编号=?, 商品名=?, 拼音=?, 商品类型=?, 单价=?, 库存=?, 提成金额=?, "
        "是否需要服务=? where id=? and coalesce(编号, '')=? and coalesce(商品名, '')=? "
        "and coalesce(拼音, '')=? and coalesce(商品类型, '')=? and coalesce(是否需要服务, '')=? "
        "and round(coalesce(单价, 0), 4)=round(cast(? as numeric), 4) "
        "and round(coalesce(库存, 0), 4)=round(cast(? as numeric), 4) "
        "and round(coalesce(提成金额, 0), 4)=round(cast(? as numeric), 4)"_s,
        {change.code, change.name, change.pinyin, change.type, QVariant::fromValue(price),
         QVariant::fromValue(stock), QVariant::fromValue(commission), change.needsService,
         shown.id, orEmpty(shown.code), orEmpty(shown.name), orEmpty(shown.pinyin),
         orEmpty(shown.type), orEmpty(shown.needsService),
         QVariant::fromValue(shown.price), QVariant::fromValue(shown.stock),
         QVariant::fromValue(shown.commission)});
    if (changed != 1)
        throw Refusal(text(Stale));
    m_database.announce(::Change::Goods);
}

void GoodsCatalogue::remove(int id)
{
    RightTable::require(m_operator, Guarded::DeleteGoods);
    m_database.execute(u"delete from 商品库 where id=?"_s, {id});
    m_database.announce(::Change::Goods);
}

void GoodsCatalogue::checkPurchase(int id)
{
    RightTable::require(m_operator, Guarded::PurchaseStock);
    if (!keepsStock(item(id).type))
        throw Refusal(text(KeepsNoStock));
}
