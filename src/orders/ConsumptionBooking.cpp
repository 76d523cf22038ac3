#include "ConsumptionBooking.h"

#include "board/PlateState.h"
#include "common/Clock.h"
#include "common/Refusal.h"
#include "db/Amounts.h"
#include "db/Database.h"
#include "db/LikePattern.h"
#include "db/RowLocks.h"
#include "db/Transaction.h"
#include "stores/LineStore.h"
#include "stores/PlateStore.h"

#include <QSqlQuery>
#include <QSqlRecord>

using namespace Qt::StringLiterals;

namespace {

const QString All = u"全部"_s;

} // namespace

ConsumptionBooking::Plate ConsumptionBooking::plate(const QString &plate)
{
    const PlateStore::Plate row = PlateStore(m_database).plate(plate).value_or(PlateStore::Plate());
    Plate header;
    header.plate = plate;
    header.mainPlate = row.mainPlate.isEmpty() ? plate : row.mainPlate;
    header.deposit = row.deposit ? row.deposit->toString() : u"0"_s;
    return header;
}

QList<GoodsCatalogue::Item> ConsumptionBooking::list(const QString &sql, const QVariantList &values)
{
    QList<GoodsCatalogue::Item> items;
    QSqlQuery query = m_database.exec(sql, values);
    while (query.next())
        items.append(GoodsCatalogue::Item::of(query.record()));
    return items;
}

QList<GoodsCatalogue::Item> ConsumptionBooking::allGoods()
{
    return list(u"select * from 商品库 order by 编号, id"_s);
}

QList<GoodsCatalogue::Item> ConsumptionBooking::search(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return allGoods();
    const QString pattern = containsPattern(trimmed);
    // Pinyin initials are stored in capitals and typed in either case;
    // PostgreSQL's like compares case, SQLite's ignores it for ASCII.
    return list(u"select * from 商品库 where upper(商品名) like upper(?) escape '\\' "
                "or upper(拼音) like upper(?) escape '\\' "
                "or upper(编号) like upper(?) escape '\\' order by 编号, id"_s,
                {pattern, pattern, pattern});
}

QList<GoodsCatalogue::Item> ConsumptionBooking::byCode(const QString &code)
{
    const QList<GoodsCatalogue::Item> items =
        list(u"select * from 商品库 where 编号=? order by id"_s, {code.trimmed()});
    if (items.isEmpty())
        throw Refusal(QString::fromUtf16(NotFound));
    return items;
}

QList<GoodsCatalogue::Item> ConsumptionBooking::ofType(const QString &type)
{
    if (type.isEmpty() || type == All)
        return allGoods();
    return list(u"select * from 商品库 where 商品类型 like ? escape '\\' order by 编号, id"_s,
                {containsPattern(type)});
}

QStringList ConsumptionBooking::typeList()
{
    GoodsCatalogue catalogue(m_database, m_operator, m_clock);
    return QStringList{All} + catalogue.typeNames();
}

ConsumptionBooking::Goods ConsumptionBooking::goods(int id)
{
    GoodsCatalogue catalogue(m_database, m_operator, m_clock);
    Goods goods;
    goods.item = catalogue.item(id);
    QSqlQuery query =
        m_database.exec(u"select 库存, 参与打折 from 商品类型 where 名称=?"_s, {goods.item.type});
    int rows = 0;
    while (query.next()) {
        ++rows;
        goods.keepsStock = query.value(0).toBool();
        goods.discount = query.value(1).toString();
    }
    // A type name that matches no row (or, in an old database without the
    // unique index, several) decides nothing: no stock, no discounting.
    goods.typeFound = rows == 1;
    if (!goods.typeFound) {
        goods.keepsStock = false;
        goods.discount = u"n"_s;
    }
    return goods;
}

QList<ConsumptionBooking::Line> ConsumptionBooking::lines(const QString &plate)
{
    QList<Line> lines;
    for (const LineStore::Line &line : LineStore(m_database).openLines(plate)) {
        lines.append({line.goods, line.actualPrice, line.quantity, line.total, line.discounts,
                      {line.employee, line.employeeName}, line.operatorName});
    }
    return lines;
}

Money ConsumptionBooking::quantity(const QString &typed, bool negative)
{
    const QString text = typed.trimmed();
    if (text.isEmpty())
        throw Refusal(QString::fromUtf16(QuantityMissing));
    // The box takes digits and "." only; the sign comes from the tick.
    if (text.startsWith(u'-') || text.startsWith(u'+'))
        throw Refusal(QString::fromUtf16(QuantityInvalid));
    const std::optional<Money> value = Money::parseEntry(text);
    if (!value)
        throw Refusal(QString::fromUtf16(QuantityInvalid));
    if (*value == Money())
        throw Refusal(QString::fromUtf16(QuantityZero));
    return negative ? Money() - *value : *value;
}

Money ConsumptionBooking::book(const QString &plate, int goodsId, Money quantity,
                               const std::optional<Employee> &employee)
{
    if (quantity == Money())
        throw Refusal(QString::fromUtf16(QuantityZero));
    if (m_beforeWrite)
        m_beforeWrite();
    Transaction transaction(m_database);
    // The plate first, on the condition that it is still occupied: a
    // settlement or cancellation in progress is waited for, then its result
    // seen, so no line lands on a plate that was just freed, and a
    // cancellation that locks the same plate cannot miss this line.
    PlateStore plates(m_database);
    if (plates.lock({plate}, QString::fromUtf16(PlateState::Occupied)).isEmpty())
        throw Refusal(QString::fromUtf16(NotOccupied));
    if (m_whilePlateHeld)
        m_whilePlateHeld();
    const QString main = plates.plate(plate).value_or(PlateStore::Plate()).mainPlate;

    const Goods goods = this->goods(goodsId);
    const GoodsCatalogue::Item &item = goods.item;
    const bool negative = quantity < Money();
    // Everything this line stores, and every sum the checkout forms from
    // the group's lines, must stay within the range that reads back.
    quantity.withinRange();
    const Money total = (item.price * quantity).withinRange();
    const Money commission = (negative ? Money() - item.commission : item.commission).withinRange();
    refuseGroupPastRange(main.isEmpty() ? plate : main, total);
    const QString none = u"n"_s;
    LineStore::NewLine line;
    line.plate = plate;
    line.mainPlate = main.isEmpty() ? plate : main;
    line.goods = item.name;
    line.type = item.type;
    line.price = item.price;
    line.quantity = quantity;
    line.total = total;
    line.discounts = goods.discount;
    line.commission = commission;
    line.employee = employee ? employee->number : none;
    line.employeeName = employee ? employee->name : none;
    line.time = m_clock.now();
    line.operatorName = m_operator.name;
    LineStore(m_database).book(line);
    // In place, so stock taken at another workstation meanwhile still counts.
    if (goods.keepsStock) {
        RowLocks::enter(m_database, LockRank::Goods);
        m_database.execute(u"update 商品库 set 库存 = 库存 - ? where id=?"_s,
                           {quantity.toVariant(), goodsId});
        m_database.announce(Change::Goods);
    }
    transaction.commit();
    return total;
}

void ConsumptionBooking::refuseGroupPastRange(const QString &mainPlate, Money total)
{
    // The charges and the returns apart: a checkout may discount either
    // part alone, so neither may pass the range on its own.
    Money charged = total > Money() ? total : Money();
    Money returned = total < Money() ? total : Money();
    for (const LineStore::Line &line : LineStore(m_database).groupLines(mainPlate))
        (line.total > Money() ? charged : returned) += line.total;
    charged.withinRange();
    returned.withinRange();
}

QString ConsumptionBooking::setDeposit(const QString &plate, const QString &typed)
{
    const Money deposit = Money::parseEntry(typed.trimmed()).value_or(Money());
    PlateStore(m_database).setDeposit(plate, deposit);
    return deposit.toString();
}
