#include "ConsumptionBooking.h"

#include "board/PlateState.h"
#include "common/Clock.h"
#include "common/Refusal.h"
#include "db/Amounts.h"
#include "db/Database.h"
#include "db/LikePattern.h"
#include "db/Transaction.h"

#include <QSqlQuery>
#include <QSqlRecord>

using namespace Qt::StringLiterals;

namespace {

const QString All = u"全部"_s;

} // namespace

ConsumptionBooking::Plate ConsumptionBooking::plate(const QString &plate)
{
    const QSqlRecord row =
        m_database.firstRow(u"select 主号牌, 押金金额 from 号牌管理 where 号牌=?"_s, {plate});
    Plate header;
    header.plate = plate;
    const QString main = row.value(u"主号牌"_s).toString();
    header.mainPlate = main.isEmpty() ? plate : main;
    const std::optional<Money> deposit = tryReadAmount(row.value(u"押金金额"_s));
    header.deposit = deposit ? deposit->toString() : u"0"_s;
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
    QSqlQuery query = m_database.exec(u"select * from xfmx where 号牌=? order by ID"_s, {plate});
    while (query.next()) {
        const QSqlRecord row = query.record();
        const auto amount = [&row](const QString &column) {
            return readAmount(row.value(column), u"xfmx"_s, column);
        };
        lines.append({row.value(u"商品名"_s).toString(), amount(u"实际单价"_s),
                      amount(u"数量"_s), amount(u"合计"_s), row.value(u"参与打折"_s).toString(),
                      {row.value(u"员工编号"_s).toString(), row.value(u"员工姓名"_s).toString()},
                      row.value(u"营业员"_s).toString()});
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
    Transaction transaction(m_database);
    if (m_beforeWrite)
        m_beforeWrite();
    // The plate's row first, on the condition that it is still occupied:
    // this takes the row lock on PostgreSQL (a settlement or cancellation
    // in progress is waited for, then its result seen) and the write lock
    // on SQLite, so no line lands on a plate that was just freed, and a
    // cancellation that locks the same row cannot miss this line.
    const int touched = m_database.execute(
        u"update 号牌管理 set 号牌状态=号牌状态 where 号牌=? and 号牌状态=?"_s,
        {plate, QString::fromUtf16(PlateState::Occupied)});
    if (touched != 1)
        throw Refusal(QString::fromUtf16(NotOccupied));
    const QString main =
        m_database.scalar(u"select 主号牌 from 号牌管理 where 号牌=?"_s, {plate}).toString();

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
    m_database.execute(
        u"insert into xfmx (号牌, 主号牌, 商品名, 商品类型, 单价, 实际单价, 数量, 合计, 折扣, "
        "参与打折, 提成金额, TcYf, 员工编号, 员工姓名, 消费时间, 营业员) "
        "values (?, ?, ?, ?, ?, ?, ?, ?, 1, ?, ?, '0', ?, ?, ?, ?)"_s,
        {plate, main.isEmpty() ? plate : main, item.name, item.type, item.price.toVariant(),
         item.price.toVariant(), quantity.toVariant(), total.toVariant(), goods.discount,
         commission.toVariant(), employee ? employee->number : none,
         employee ? employee->name : none, m_clock.now(), m_operator.name});
    // In place, so stock taken at another workstation meanwhile still counts.
    if (goods.keepsStock)
        m_database.execute(u"update 商品库 set 库存 = 库存 - ? where id=?"_s,
                           {quantity.toVariant(), goodsId});
    transaction.commit();
    return total;
}

void ConsumptionBooking::refuseGroupPastRange(const QString &mainPlate, Money total)
{
    // The charges and the returns apart: a checkout may discount either
    // part alone, so neither may pass the range on its own.
    Money charged = total > Money() ? total : Money();
    Money returned = total < Money() ? total : Money();
    QSqlQuery query = m_database.exec(u"select 合计 from xfmx where 主号牌=?"_s, {mainPlate});
    while (query.next()) {
        const Money line = readAmount(query.value(0), u"xfmx"_s, u"合计"_s);
        (line > Money() ? charged : returned) += line;
    }
    charged.withinRange();
    returned.withinRange();
}

QString ConsumptionBooking::setDeposit(const QString &plate, const QString &typed)
{
    const Money deposit = Money::parseEntry(typed.trimmed()).value_or(Money());
    m_database.execute(u"update 号牌管理 set 押金金额=? where 号牌=?"_s,
                       {deposit.toVariant(), plate});
    return deposit.toString();
}
