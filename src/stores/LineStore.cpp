#include "LineStore.h"

#include "common/DateFormat.h"
#include "db/Amounts.h"
#include "db/Database.h"
#include "db/ResultTableModel.h"
#include "db/RowLocks.h"
#include "db/Schema.h"

#include <QHash>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString Open = u"xfmx"_s;

constexpr auto LineColumns = u"ID, 号牌, 主号牌, 商品名, 单价, 实际单价, 数量, 合计, 参与打折, 折扣, "
                             u"员工编号, 员工姓名, 营业员, 消费时间";
constexpr auto BoardColumns =
    u"ID, 号牌, 商品名, 单价, 数量, 折扣, 合计, 消费时间, 员工编号, 员工姓名, 营业员";

// Lines marked paid per statement: few enough for every backend's limit on
// bound values, whatever number of lines an employee has unpaid.
constexpr qsizetype MarkedPerStatement = 500;

// Every column of a line but ID, as xfmx and jzmx both name them: lines
// are copied by name, whatever order an old database gave its columns.
QString lineColumns()
{
    return Schema::lineColumns().join(u", "_s);
}

// The same columns as the lines come back: under the bill's plate (bound
// first), at list price (the next checkout discounts again from there),
// without the stamps of the settled bill, which the next checkout writes
// anew, and with the state bound second.
QString restoredColumns()
{
    const QHash<QString, QString> replaced{
        {u"主号牌"_s, u"?"_s},      {u"实际单价"_s, u"单价"_s}, {u"单据号"_s, u"null"_s},
        {u"会员卡号"_s, u"null"_s}, {u"顾客姓名"_s, u"null"_s}, {u"状态"_s, u"?"_s}};
    QStringList columns;
    for (const QString &column : Schema::lineColumns())
        columns.append(replaced.value(column, column));
    return columns.join(u", "_s);
}

QString marks(qsizetype count)
{
    return QStringList(count, u"?"_s).join(u", "_s);
}

LineStore::Line lineOf(const QSqlQuery &query)
{
    const auto amount = [&query](int index, const QString &column) {
        return readAmount(query.value(index), Open, column);
    };
    LineStore::Line line;
    line.id = query.value(0).toLongLong();
    line.plate = query.value(1).toString();
    line.mainPlate = query.value(2).toString();
    line.goods = query.value(3).toString();
    line.price = amount(4, u"单价"_s);
    line.actualPrice = amount(5, u"实际单价"_s);
    line.quantity = amount(6, u"数量"_s);
    line.total = amount(7, u"合计"_s);
    line.discounts = query.value(8).toString();
    line.rate = tryReadAmount(query.value(9));
    if (!line.rate)
        line.unreadableRate = query.value(9).toString();
    line.employee = query.value(10).toString();
    line.employeeName = query.value(11).toString();
    line.operatorName = query.value(12).toString();
    line.time = DateFormat::fromVariant(query.value(13));
    return line;
}

} // namespace

void LineStore::enter()
{
    RowLocks::enter(m_database, LockRank::Lines);
    m_database.announce(Change::Lines);
}

QList<LineStore::Line> LineStore::lines(const QString &where, const QVariantList &values)
{
    QList<Line> list;
    QSqlQuery query = m_database.exec(
        u"select "_s + QString::fromUtf16(LineColumns) + u" from xfmx where "_s + where
            + u" order by ID"_s,
        values);
    while (query.next())
        list.append(lineOf(query));
    return list;
}

QList<LineStore::Line> LineStore::openLines(const QString &plate)
{
    return lines(u"号牌=?"_s, {plate});
}

QList<LineStore::Line> LineStore::groupLines(const QString &mainPlate)
{
    return lines(u"主号牌=?"_s, {mainPlate});
}

QList<LineStore::Line> LineStore::stampedLines(const QString &billNumber,
                                               const QStringList &plates)
{
    // Lines not yet stamped keep an empty number; they belong to no bill.
    if (billNumber.isEmpty() || plates.isEmpty())
        return {};
    QVariantList values{billNumber};
    for (const QString &plate : plates)
        values.append(plate);
    return lines(u"单据号=? and 号牌 in ("_s + marks(plates.size()) + u')', values);
}

bool LineStore::hasOpenLines(const QString &plate)
{
    return m_database.exists(u"select 1 from xfmx where 号牌=?"_s, {plate});
}

std::optional<Money> LineStore::openAmount(const QString &plate)
{
    // Added here rather than by sum(): SQLite would count a total that is
    // no number as 0 and show a wrong amount without a word.
    QSqlQuery query = m_database.exec(u"select 合计 from xfmx where 号牌=?"_s, {plate});
    if (!query.next())
        return std::nullopt;
    Money sum;
    do {
        sum += readAmount(query.value(0), Open, u"合计"_s);
    } while (query.next());
    return sum;
}

QList<OpenLine> LineStore::boardLines(const std::optional<QString> &plate)
{
    QList<OpenLine> list;
    QString sql = u"select "_s + QString::fromUtf16(BoardColumns) + u" from xfmx"_s;
    QVariantList values;
    if (plate) {
        sql += u" where 号牌=?"_s;
        values.append(*plate);
    }
    QSqlQuery query = m_database.exec(sql + u" order by ID"_s, values);
    while (query.next()) {
        OpenLine line;
        line.id = query.value(0).toInt();
        line.plate = query.value(1).toString();
        line.goods = query.value(2).toString();
        line.price = query.value(3);
        line.quantity = query.value(4);
        line.discount = query.value(5);
        line.total = query.value(6);
        line.time = DateFormat::fromVariant(query.value(7));
        line.employeeNumber = query.value(8).toString();
        line.employeeName = query.value(9).toString();
        line.operatorName = query.value(10).toString();
        list.append(line);
    }
    return list;
}

void LineStore::loadBoardRows(ResultTableModel &into, const std::optional<QString> &plate)
{
    QSqlQuery query = plate
        ? m_database.exec(u"select * from xfmx where 号牌=? order by ID"_s, {*plate})
        : m_database.exec(u"select * from xfmx order by ID"_s);
    into.load(query);
}

bool LineStore::numberUsedElsewhere(const QString &number, const QStringList &plates)
{
    if (plates.isEmpty())
        return m_database.exists(u"select 1 from xfmx where 单据号=?"_s, {number});
    QVariantList values{number};
    for (const QString &plate : plates)
        values.append(plate);
    return m_database.exists(
        u"select 1 from xfmx where 单据号=? and 号牌 not in ("_s + marks(plates.size()) + u')',
        values);
}

QStringList LineStore::settledPlates(const QString &billNumber)
{
    return m_database.strings(u"select distinct 号牌 from jzmx where 单据号=?"_s, {billNumber});
}

void LineStore::book(const NewLine &line)
{
    enter();
    m_database.execute(
        u"insert into xfmx (号牌, 主号牌, 商品名, 商品类型, 单价, 实际单价, 数量, 合计, 折扣, "
        "参与打折, 提成金额, TcYf, 员工编号, 员工姓名, 消费时间, 营业员) "
        "values (?, ?, ?, ?, ?, ?, ?, ?, 1, ?, ?, '0', ?, ?, ?, ?)"_s,
        {line.plate, line.mainPlate, line.goods, line.type, line.price.toVariant(),
         line.price.toVariant(), line.quantity.toVariant(), line.total.toVariant(),
         line.discounts, line.commission.toVariant(), line.employee, line.employeeName,
         line.time, line.operatorName});
}

void LineStore::bookTicket(const QString &plate, const QString &mainPlate, Money price,
                           const QDateTime &time, const QString &operatorName)
{
    enter();
    m_database.execute(
        u"insert into xfmx (号牌, 商品名, 单价, 实际单价, 数量, 商品类型, 参与打折, 折扣, "
        "合计, 消费时间, 员工编号, 营业员, 主号牌) "
        "values (?, ?, ?, ?, 1, ?, ?, 1, ?, ?, ?, ?, ?)"_s,
        {plate, u"门票"_s, price.toVariant(), price.toVariant(), u"n"_s, u"y"_s,
         price.toVariant(), time, u"无"_s, operatorName, mainPlate});
}

void LineStore::setTotals(const QList<std::pair<qint64, Money>> &totals)
{
    if (totals.isEmpty())
        return;
    enter();
    for (const auto &[id, total] : totals)
        m_database.execute(u"update xfmx set 合计=? where ID=?"_s, {total.toVariant(), id});
}

void LineStore::stamp(const QStringList &plates, const QString &number, const QString &card,
                      const QString &customer)
{
    enter();
    for (const QString &plate : plates) {
        m_database.execute(u"update xfmx set 单据号=?, 会员卡号=?, 顾客姓名=? where 号牌=?"_s,
                           {number, card, customer, plate});
    }
}

void LineStore::unstamp(const QString &plate, const QString &number)
{
    enter();
    m_database.execute(u"update xfmx set 单据号=null where 号牌=? and 单据号=?"_s,
                       {plate, number});
}

void LineStore::discount(Money rate, QList<Discounted> lines)
{
    // In ID order, so two workstations discounting one group take its rows
    // in the same order; a hundred lines to a statement, as a server round
    // trip costs more than the update.
    std::sort(lines.begin(), lines.end(),
              [](const Discounted &a, const Discounted &b) { return a.id < b.id; });
    enter();
    constexpr qsizetype Chunk = 100;
    for (qsizetype from = 0; from < lines.size(); from += Chunk) {
        const QList<Discounted> chunk = lines.mid(from, Chunk);
        QString prices;
        QString totals;
        QVariantList priceValues;
        QVariantList totalValues;
        QVariantList idValues;
        for (const Discounted &line : chunk) {
            prices += u" when ? then cast(? as numeric)"_s;
            totals += u" when ? then cast(? as numeric)"_s;
            priceValues << line.id << line.actualPrice.toVariant();
            totalValues << line.id << line.total.toVariant();
            idValues << line.id;
        }
        m_database.execute(u"update xfmx set 折扣=cast(? as numeric), 实际单价=case ID"_s + prices
                               + u" end, 合计=case ID"_s + totals + u" end where ID in ("_s
                               + marks(chunk.size()) + u')',
                           QVariantList{rate.toVariant()} + priceValues + totalValues + idValues);
    }
}

void LineStore::settle(const QStringList &plates, const QString &number, const QString &card,
                       const QString &customer)
{
    enter();
    QStringList marks;
    QVariantList values;
    for (const QString &plate : plates) {
        marks.append(u"?"_s);
        values.append(plate);
    }
    const QString ofThePlates = u" where 号牌 in ("_s + marks.join(u", "_s) + u")"_s;
    m_database.execute(u"update xfmx set 单据号=?, 会员卡号=?, 顾客姓名=?"_s + ofThePlates,
                       QVariantList{number, card, customer} + values);
    // The group's lines in one statement: the daily totals they add to are
    // locked in one go, in key order, as every settlement locks them, so two
    // group settlements never wait for each other in a circle.
    m_database.execute(u"insert into jzmx (ID, "_s + lineColumns() + u") select ID, "_s
                           + lineColumns() + u" from xfmx"_s + ofThePlates,
                       values);
    m_database.execute(u"delete from xfmx"_s + ofThePlates, values);
}

void LineStore::restore(const QString &billNumber, const QString &mainPlate)
{
    enter();
    const bool postgres = m_database.dialect().isPostgres();
    // Each line keeps its number: the receipt, the commissions and an
    // earlier printout all name it. PostgreSQL takes a number of our own
    // into an identity column only when told so.
    m_database.execute(u"insert into xfmx (ID, "_s + lineColumns() + u") "_s
                           + (postgres ? u"overriding system value "_s : QString())
                           + u"select ID, "_s + restoredColumns()
                           + u" from jzmx where 单据号=?"_s,
                       {mainPlate, u"消费完毕"_s, billNumber});
    m_database.execute(u"delete from jzmx where 单据号=?"_s, {billNumber});
    if (postgres) {
        // Numbers given by hand do not move PostgreSQL's counter; the next
        // line booked must not be handed a number that is back in use.
        // (SQLite's counter follows the largest number by itself.)
        m_database.exec(
            u"select setval(s.name, m.top) "
            "from (select pg_get_serial_sequence('xfmx', 'id') as name) s, "
            "(select max(id) as top from xfmx) m "
            "where m.top > coalesce(pg_sequence_last_value(s.name::regclass), 0)"_s);
    }
}

QList<LineStore::Commission> LineStore::unpaidCommission(const QString &employee)
{
    QList<Commission> lines;
    QSqlQuery query = m_database.exec(
        u"select ID, 提成金额 from jzmx where 员工编号=? and TcYf='0' order by ID"_s, {employee});
    while (query.next()) {
        lines.append({query.value(0).toLongLong(),
                      readAmount(query.value(1), u"jzmx"_s, u"提成金额"_s)});
    }
    return lines;
}

qsizetype LineStore::markPaid(const QString &employee, const QList<Commission> &lines)
{
    enter();
    // By row key, so a line settled after the check stays unpaid, and only
    // while still unpaid, so a line paid or moved meanwhile is not counted.
    qsizetype marked = 0;
    for (qsizetype first = 0; first < lines.size(); first += MarkedPerStatement) {
        const qsizetype count = std::min(MarkedPerStatement, lines.size() - first);
        QVariantList values{employee};
        for (qsizetype i = first; i < first + count; ++i)
            values.append(lines.at(i).id);
        marked += m_database.execute(
            u"update jzmx set TcYf='1' where 员工编号=? and TcYf='0' and ID in ("_s + marks(count)
                + u')',
            values);
    }
    return marked;
}
