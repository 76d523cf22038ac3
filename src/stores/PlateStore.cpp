#include "PlateStore.h"

#include "board/PlateState.h"
#include "common/DateFormat.h"
#include "db/Amounts.h"
#include "db/Database.h"
#include "db/ResultTableModel.h"
#include "db/RowLocks.h"

#include <QSqlQuery>
#include <QSqlRecord>

using namespace Qt::StringLiterals;

namespace {

const QString Table = u"号牌管理"_s;

QString occupied()
{
    return QString::fromUtf16(PlateState::Occupied);
}

QString freeState()
{
    return QString::fromUtf16(PlateState::Free);
}

// Whether a plate is occupied or has open lines, for a statement on 号牌管理.
constexpr auto Busy = u"(coalesce(号牌管理.号牌状态, '')=? "
                      u"or exists (select 1 from xfmx where xfmx.号牌=号牌管理.号牌))";

PlateStore::Plate plateOf(const QSqlRecord &row)
{
    PlateStore::Plate plate;
    plate.sequence = row.value(u"number"_s).toInt();
    plate.plate = row.value(u"号牌"_s).toString();
    plate.room = row.value(u"所属包厢"_s).toString();
    plate.state = row.value(u"号牌状态"_s).toString();
    plate.customer = row.value(u"顾客姓名"_s).toString();
    const QVariant deposit = row.value(u"押金金额"_s);
    plate.deposit = tryReadAmount(deposit);
    if (!plate.deposit)
        plate.unreadableDeposit = deposit.toString();
    plate.entered = DateFormat::fromVariant(row.value(u"进店时间"_s));
    plate.mainPlate = row.value(u"主号牌"_s).toString();
    plate.remark = row.value(u"备注"_s).toString();
    return plate;
}

constexpr auto Columns = u"number, 号牌, 所属包厢, 号牌状态, 顾客姓名, 押金金额, 进店时间, 主号牌, 备注";

} // namespace

void PlateStore::announce()
{
    m_database.announce(Change::Plates);
}

std::optional<PlateStore::Plate> PlateStore::plate(const QString &plate)
{
    const QSqlRecord row = m_database.firstRow(
        u"select "_s + QString::fromUtf16(Columns) + u" from 号牌管理 where 号牌=?"_s, {plate});
    if (row.isEmpty())
        return std::nullopt;
    return plateOf(row);
}

std::optional<PlateStore::Plate> PlateStore::plateBySequence(int sequence)
{
    const QSqlRecord row = m_database.firstRow(
        u"select "_s + QString::fromUtf16(Columns) + u" from 号牌管理 where number=?"_s,
        {sequence});
    if (row.isEmpty())
        return std::nullopt;
    return plateOf(row);
}

bool PlateStore::exists(const QString &plate)
{
    return m_database.exists(u"select 1 from 号牌管理 where 号牌=?"_s, {plate});
}

QStringList PlateStore::numbers(const QString &sql, const QVariantList &values)
{
    return m_database.strings(sql, values);
}

QStringList PlateStore::freePlates(const QString &except, const std::optional<QString> &room)
{
    if (room) {
        return numbers(
            u"select 号牌 from 号牌管理 where 号牌状态=? and 号牌<>? and 所属包厢=? order by number"_s,
            {freeState(), except, *room});
    }
    return numbers(u"select 号牌 from 号牌管理 where 号牌状态=? and 号牌<>? order by number"_s,
                   {freeState(), except});
}

QStringList PlateStore::occupiedOutside(const QString &mainPlate)
{
    return numbers(
        u"select 号牌 from 号牌管理 where 号牌状态=? and 号牌<>? and coalesce(主号牌, '')<>? "
        "order by number"_s,
        {occupied(), mainPlate, mainPlate});
}

QStringList PlateStore::group(const QString &mainPlate, const QString &plate)
{
    return numbers(
        u"select 号牌 from 号牌管理 where (主号牌=? and 号牌状态=?) or 号牌=? order by number"_s,
        {mainPlate, occupied(), plate});
}

QStringList PlateStore::platesIn(const QString &state)
{
    return numbers(u"select 号牌 from 号牌管理 where 号牌状态=? order by number"_s, {state});
}

QList<PlateStore::Plate> PlateStore::plates(const QString &room)
{
    QList<Plate> list;
    QSqlQuery query = m_database.exec(u"select "_s + QString::fromUtf16(Columns)
                                          + u" from 号牌管理 where 所属包厢=? order by 号牌"_s,
                                      {room});
    while (query.next())
        list.append(plateOf(query.record()));
    return list;
}

QList<std::pair<QString, int>> PlateStore::stateCounts()
{
    QList<std::pair<QString, int>> counts;
    QSqlQuery query =
        m_database.exec(u"select 号牌状态, count(*) from 号牌管理 group by 号牌状态"_s);
    while (query.next())
        counts.append({query.value(0).toString(), query.value(1).toInt()});
    return counts;
}

QString PlateStore::busyPlateOf(const QString &room)
{
    return m_database
        .scalar(u"select 号牌 from 号牌管理 where 所属包厢=? and "_s + QString::fromUtf16(Busy)
                    + u" order by 号牌"_s,
                {room, occupied()})
        .toString();
}

void PlateStore::loadByRoom(ResultTableModel &into)
{
    QSqlQuery query = m_database.exec(u"select * from 号牌管理 order by 所属包厢, 号牌"_s);
    into.load(query);
}

void PlateStore::loadOfRoom(ResultTableModel &into, const QString &room)
{
    QSqlQuery query =
        m_database.exec(u"select * from 号牌管理 where 所属包厢=? order by 号牌"_s, {room});
    into.load(query);
}

void PlateStore::loadAll(ResultTableModel &into)
{
    QSqlQuery query = m_database.exec(u"select * from 号牌管理 order by number"_s);
    into.load(query);
}

QStringList PlateStore::lock(const QStringList &plates, const std::optional<QString> &state)
{
    if (state)
        return RowLocks::lock(m_database, LockRank::Plates, Table, u"号牌"_s, plates,
                              u"号牌状态=?"_s, {*state});
    return RowLocks::lock(m_database, LockRank::Plates, Table, u"号牌"_s, plates);
}

void PlateStore::lockSequence(int sequence)
{
    RowLocks::lock(m_database, LockRank::Plates, Table, u"number"_s, {QString::number(sequence)});
}

void PlateStore::lockRoom(const QString &room)
{
    RowLocks::lockWhere(m_database, LockRank::Plates, Table, u"号牌"_s, u"所属包厢=?"_s, {room});
}

bool PlateStore::open(const QString &plate, const Visit &visit)
{
    RowLocks::enter(m_database, LockRank::Plates);
    // The test for "free" is part of the update: a plate taken by another
    // workstation since the window listed it changes no row.
    const int changed = m_database.execute(
        u"update 号牌管理 set 号牌状态=?, 顾客姓名=?, 押金金额=?, 进店时间=?, 备注=?, 主号牌=? "
        "where 号牌=? and 号牌状态=?"_s,
        {occupied(), visit.customer, Money().toVariant(), visit.entered, visit.remark,
         visit.mainPlate, plate, freeState()});
    announce();
    return changed == 1;
}

bool PlateStore::reopen(const QString &plate, const QString &mainPlate, const QDateTime &at)
{
    // On plates the reversal locked before it took the bill: no new lock.
    const int changed = m_database.execute(
        u"update 号牌管理 set 号牌状态=?, 顾客姓名=?, 押金金额=?, 合计金额=?, 进店时间=?, 主号牌=? "
        "where 号牌=? and 号牌状态=?"_s,
        {occupied(), u"散客"_s, Money().toVariant(), Money().toVariant(), at, mainPlate, plate,
         freeState()});
    announce();
    return changed == 1;
}

void PlateStore::free(const QStringList &plates)
{
    for (const QString &plate : plates)
        m_database.execute(u"update 号牌管理 set 号牌状态=? where 号牌=?"_s, {freeState(), plate});
    announce();
}

bool PlateStore::cancel(const QString &plate)
{
    RowLocks::enter(m_database, LockRank::Plates);
    // The test for open lines is part of the update itself: there is no
    // moment between looking and writing in which a line could slip in.
    const int changed = m_database.execute(
        u"update 号牌管理 set 号牌状态=? where 号牌=? and 号牌状态=? "
        "and not exists (select 1 from xfmx where xfmx.号牌=?)"_s,
        {freeState(), plate, occupied(), plate});
    announce();
    return changed == 1;
}

bool PlateStore::changeState(const QString &plate, const QString &state)
{
    RowLocks::enter(m_database, LockRank::Plates);
    const int changed = m_database.execute(
        u"update 号牌管理 set 号牌状态=? where 号牌=? "
        "and (号牌状态 is null or 号牌状态<>?)"_s,
        {state, plate, occupied()});
    announce();
    return changed == 1;
}

void PlateStore::clearFreeMainPlates()
{
    const int changed = m_database.execute(
        u"update 号牌管理 set 主号牌='' where 号牌状态=? and 主号牌<>''"_s, {freeState()});
    if (changed > 0)
        announce();
}

void PlateStore::setDeposit(const QString &plate, Money deposit)
{
    m_database.execute(u"update 号牌管理 set 押金金额=? where 号牌=?"_s,
                       {deposit.toVariant(), plate});
    announce();
}

bool PlateStore::saveFields(int sequence, const Fields &shown, const Fields &fields,
                            bool newRoom, bool keepsLines)
{
    QString sql = u"update 号牌管理 set 号牌=?, 所属包厢=?, 号牌状态=? where number=? and 号牌=? "
                  "and coalesce(所属包厢, '')=? and coalesce(号牌状态, '')=?"_s;
    QVariantList values{fields.plate, fields.room, fields.state, sequence,
                        shown.plate, shown.room, shown.state};
    if (newRoom) {
        sql += u" and exists (select 1 from 包厢 where 包厢=?)"_s;
        values.append(fields.room);
    }
    if (keepsLines) {
        sql += u" and not "_s + QString::fromUtf16(Busy);
        values.append(occupied());
    }
    const bool saved = m_database.execute(sql, values) == 1;
    if (saved)
        announce();
    return saved;
}

bool PlateStore::remove(int sequence, const QString &plate)
{
    const bool removed =
        m_database.execute(u"delete from 号牌管理 where number=? and 号牌=? and not "_s
                               + QString::fromUtf16(Busy),
                           {sequence, plate, occupied()})
        == 1;
    if (removed)
        announce();
    return removed;
}

void PlateStore::removeRoom(const QString &room)
{
    m_database.execute(u"delete from 号牌管理 where 所属包厢=?"_s, {room});
    announce();
}

void PlateStore::moveRoom(const QString &from, const QString &to)
{
    RowLocks::enter(m_database, LockRank::Plates);
    m_database.execute(u"update 号牌管理 set 所属包厢=? where 所属包厢=?"_s, {to, from});
    announce();
}

bool PlateStore::addFree(const QString &plate, const QString &room)
{
    RowLocks::enter(m_database, LockRank::Plates);
    // Plate numbers are unique across all rooms.
    const int added = m_database.execute(
        u"insert into 号牌管理 (号牌, 所属包厢, 号牌状态) values (?, ?, ?) "
        "on conflict (号牌) do nothing"_s,
        {plate, room, freeState()});
    if (added > 0)
        announce();
    return added > 0;
}
