#include "PlateBoard.h"

#include "Rooms.h"
#include "common/Clock.h"
#include "common/DateFormat.h"
#include "common/Money.h"
#include "db/Amounts.h"
#include "db/Database.h"

#include <QSqlRecord>

using namespace Qt::StringLiterals;

namespace {

constexpr auto LineColumns = u"ID, 号牌, 商品名, 单价, 数量, 折扣, 合计, 消费时间, 员工编号, 员工姓名, 营业员";

} // namespace

PlateBoard::PlateBoard(Database &database, const Clock &clock)
    : m_database(database)
    , m_clock(clock)
{
}

QStringList PlateBoard::rooms()
{
    return Rooms(m_database).names();
}

QList<PlateBoard::Plate> PlateBoard::plates(const QString &room)
{
    QList<Plate> list;
    QSqlQuery query = m_database.exec(
        u"select 号牌, 号牌状态 from 号牌管理 where 所属包厢=? order by 号牌"_s, {room});
    while (query.next())
        list.append({query.value(0).toString(), PlateState::iconOf(query.value(1).toString())});
    return list;
}

PlateBoard::Counts PlateBoard::counts()
{
    Counts counts;
    QSqlQuery query =
        m_database.exec(u"select 号牌状态, count(*) from 号牌管理 group by 号牌状态"_s);
    while (query.next()) {
        const int count = query.value(1).toInt();
        counts.total += count;
        const auto icon = PlateState::knownIcon(query.value(0).toString());
        if (!icon)
            continue;
        switch (*icon) {
        case PlateState::FreeIcon: counts.free += count; break;
        case PlateState::OccupiedIcon: counts.occupied += count; break;
        case PlateState::ReservedIcon: counts.reserved += count; break;
        case PlateState::DisabledIcon: counts.disabled += count; break;
        }
    }
    return counts;
}

std::optional<PlateBoard::Details> PlateBoard::details(const QString &plate)
{
    const QSqlRecord row = m_database.firstRow(
        u"select 号牌状态, 进店时间, 押金金额 from 号牌管理 where 号牌=?"_s, {plate});
    if (row.isEmpty())
        return std::nullopt;
    Details details;
    details.plate = plate;
    details.state = row.value(0).toString();
    details.billing = u"标准"_s;
    if (details.state != QStringView(PlateState::Occupied)) {
        details.entryTime = details.elapsed = details.deposit = details.amount = u"0"_s;
        return details;
    }
    // An occupied plate without an entry time (written by hand or by an old
    // program) shows empty times rather than a nonsense duration.
    const QDateTime entered = DateFormat::fromVariant(row.value(1));
    if (entered.isValid()) {
        details.entryTime = DateFormat::dateTimeText(entered);
        details.elapsed = DateFormat::elapsedClock(entered, m_clock.now());
    }
    // A deposit that is no number shows as stored.
    details.deposit = amountText(row.value(2));
    details.amount = lineAmount(plate);
    return details;
}

std::optional<PlateState::Icon> PlateBoard::knownState(const QString &plate)
{
    const QSqlRecord row =
        m_database.firstRow(u"select 号牌状态 from 号牌管理 where 号牌=?"_s, {plate});
    if (row.isEmpty())
        return std::nullopt;
    return PlateState::knownIcon(row.value(0).toString());
}

QString PlateBoard::lineAmount(const QString &plate)
{
    // Added here rather than by sum(): SQLite would count a total that is
    // no number as 0 and show a wrong amount without a word.
    QSqlQuery query = m_database.exec(u"select 合计 from xfmx where 号牌=?"_s, {plate});
    if (!query.next())
        return {};
    Money sum;
    do {
        sum += readAmount(query.value(0), u"xfmx"_s, u"合计"_s);
    } while (query.next());
    return sum.toString();
}

QList<OpenLine> PlateBoard::readLines(const QString &sql, const QVariantList &values)
{
    QList<OpenLine> lines;
    QSqlQuery query = m_database.exec(sql, values);
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
        lines.append(line);
    }
    return lines;
}

QList<OpenLine> PlateBoard::openLines()
{
    return readLines(u"select "_s + QString::fromUtf16(LineColumns) + u" from xfmx order by ID"_s,
                     {});
}

QList<OpenLine> PlateBoard::openLines(const QString &plate)
{
    return readLines(u"select "_s + QString::fromUtf16(LineColumns)
                         + u" from xfmx where 号牌=? order by ID"_s,
                     {plate});
}

QSqlQuery PlateBoard::lineRows(const std::optional<QString> &plate)
{
    if (plate)
        return m_database.exec(u"select * from xfmx where 号牌=? order by ID"_s, {*plate});
    return m_database.exec(u"select * from xfmx order by ID"_s);
}

int PlateBoard::find(const QList<Plate> &plates, const QString &text)
{
    for (int i = 0; i < plates.size(); ++i) {
        if (plates.at(i).number.compare(text, Qt::CaseSensitive) == 0)
            return i;
    }
    return -1;
}

PlateBoard::PopupEnabling PlateBoard::popupEnabling(std::optional<PlateState::Icon> selected)
{
    if (!selected)
        return {};
    switch (*selected) {
    case PlateState::FreeIcon: return {true, false, true, false};
    case PlateState::OccupiedIcon: return {false, true, false, true};
    case PlateState::ReservedIcon: return {true, false, true, false};
    case PlateState::DisabledIcon: return {false, false, true, false};
    }
    return {};
}

PlateBoard::Answer PlateBoard::openOrderAnswer(std::optional<PlateState::Icon> selected)
{
    if (!selected)
        return {Answer::Refuse, u"没有选号牌！"_s};
    switch (*selected) {
    case PlateState::FreeIcon: return {Answer::Open, {}};
    case PlateState::OccupiedIcon: return {Answer::Refuse, u"请选择一个没被占用的号牌来开单"_s};
    case PlateState::ReservedIcon:
    case PlateState::DisabledIcon: break;
    }
    return {Answer::Nothing, {}};
}

PlateBoard::Answer PlateBoard::consumptionAnswer(std::optional<PlateState::Icon> selected)
{
    if (!selected)
        return {Answer::Refuse, u"请选号牌！"_s};
    switch (*selected) {
    case PlateState::OccupiedIcon: return {Answer::Open, {}};
    case PlateState::FreeIcon: return {Answer::Refuse, u"该号牌还没有开单，无法增加消费！"_s};
    case PlateState::ReservedIcon:
    case PlateState::DisabledIcon: break;
    }
    return {Answer::Nothing, {}};
}
