#include "PlateSettings.h"

#include "PlateState.h"
#include "common/Money.h"
#include "common/Refusal.h"
#include "db/Database.h"
#include "db/Transaction.h"

#include <QSqlRecord>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QString StalePlate = u"该号牌已被其他工作站修改或删除，请刷新后重试。"_s;
const QString StaleRoom = u"该包厢已被其他工作站修改或删除，请刷新后重试。"_s;

QString occupied()
{
    return QString::fromUtf16(PlateState::Occupied);
}

// The room dialog's number boxes take digits and a point; an empty box
// means 0, a number past the amount range is refused.
Money amountOf(const QString &text)
{
    if (text.trimmed().isEmpty())
        return {};
    if (const auto value = Money::parseEntry(text))
        return *value;
    throw Refusal(u"请输入正确的数值！"_s);
}

QString missingRoom(const QString &room)
{
    if (room.isEmpty())
        return u"请选择包厢！"_s;
    return u"包厢 "_s + room + u" 不存在，请选择已有的包厢！"_s;
}

// Equal, NULL included: the shown amount of a room may be NULL.
QString sameAs(const Database &database)
{
    return database.dialect().isPostgres() ? u"is not distinct from"_s : u"is"_s;
}

// Whether a plate is occupied or has open lines, for a statement on 号牌管理.
constexpr auto Busy = u"(coalesce(号牌管理.号牌状态, '')=? "
                      u"or exists (select 1 from xfmx where xfmx.号牌=号牌管理.号牌))";

// Digits only; the significant ones, leading zeros dropped.
std::optional<QString> digitsOf(const QString &text)
{
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    QString digits = text;
    while (digits.size() > 1 && digits.front() == u'0')
        digits.remove(0, 1);
    return digits;
}

} // namespace

QList<PlateSettings::Room> PlateSettings::rooms()
{
    return Rooms(m_database).all();
}

QStringList PlateSettings::roomNames()
{
    return Rooms(m_database).names();
}

void PlateSettings::addRoom(const QString &name, const QString &ticketPrice,
                            const QString &minimum)
{
    const Money price = amountOf(ticketPrice);
    const Money least = amountOf(minimum);
    m_database.execute(u"insert into 包厢 (包厢, 门票价格, 最低消费, 初始费用, 排序) "
                       "values (?, ?, ?, 0, (select coalesce(max(排序), 0) + 1 from 包厢))"_s,
                       {name, QVariant::fromValue(price), QVariant::fromValue(least)});
    m_database.announce(Change::Plates);
}

void PlateSettings::updateRoom(const Room &shown, const QString &name,
                               const QString &ticketPrice, const QString &minimum)
{
    const Money price = amountOf(ticketPrice);
    const Money least = amountOf(minimum);
    Transaction transaction(m_database);
    // 排序 stays: a renamed room keeps its page.
    const QString same = sameAs(m_database);
    const int changed = m_database.execute(
        u"update 包厢 set 包厢=?, 门票价格=?, 最低消费=? where 包厢=? and 门票价格 "_s + same
            + u" ? and 最低消费 "_s + same + u" ?"_s,
        {name, QVariant::fromValue(price), QVariant::fromValue(least), shown.name,
         shown.ticketPrice, shown.minimum});
    if (changed != 1)
        throw Refusal(StaleRoom);
    if (name != shown.name)
        m_database.execute(u"update 号牌管理 set 所属包厢=? where 所属包厢=?"_s, {name, shown.name});
    m_database.announce(Change::Plates);
    transaction.commit();
}

void PlateSettings::deleteRoom(const QString &name)
{
    Transaction transaction(m_database);
    requireRoom(name);
    // The room's plates are locked first, so that an order opened or a line
    // booked on one of them meanwhile has committed and is seen below.
    m_database.execute(u"update 号牌管理 set 号牌状态=号牌状态 where 所属包厢=?"_s, {name});
    const int deleted = m_database.execute(
        u"delete from 包厢 where 包厢=? and not exists (select 1 from 号牌管理 "
        "where 号牌管理.所属包厢=包厢.包厢 and "_s
            + QString::fromUtf16(Busy) + u")"_s,
        {name, occupied()});
    if (deleted != 1) {
        const QString busy = m_database
                                 .scalar(u"select 号牌 from 号牌管理 where 所属包厢=? and "_s
                                             + QString::fromUtf16(Busy) + u" order by 号牌"_s,
                                         {name, occupied()})
                                 .toString();
        if (busy.isEmpty())
            throw Refusal(StaleRoom);
        throw Refusal(u"包厢 "_s + name + u" 中的号牌 "_s + busy
                      + u" 正在使用或有消费记录，不能删除包厢！"_s);
    }
    m_database.execute(u"delete from 号牌管理 where 所属包厢=?"_s, {name});
    m_database.announce(Change::Plates);
    transaction.commit();
}

QSqlQuery PlateSettings::platesByRoom()
{
    return m_database.exec(u"select * from 号牌管理 order by 所属包厢, 号牌"_s);
}

QSqlQuery PlateSettings::platesOf(const QString &room)
{
    return m_database.exec(u"select * from 号牌管理 where 所属包厢=? order by 号牌"_s, {room});
}

QSqlQuery PlateSettings::allPlates()
{
    return m_database.exec(u"select * from 号牌管理 order by number"_s);
}

void PlateSettings::lockPlate(int number)
{
    m_database.execute(u"update 号牌管理 set 号牌状态=号牌状态 where number=?"_s, {number});
}

void PlateSettings::requireRoom(const QString &room)
{
    if (m_database.execute(u"update 包厢 set 排序=排序 where 包厢=?"_s, {room}) != 1)
        throw Refusal(missingRoom(room));
}

void PlateSettings::savePlate(int number, const PlateFields &shown, const PlateFields &fields)
{
    if (fields.plate.isEmpty() || fields.room.isEmpty() || fields.state.isEmpty())
        throw Refusal(u"号牌 所属包厢 号牌状态必须填写!"_s);
    // The lines of a plate in use are booked under its number; its state
    // belongs to the order and checkout. Moving it to another room is fine.
    const bool keepsLines = fields.plate != shown.plate || fields.state != shown.state;
    const bool newRoom = fields.room != shown.room;

    Transaction transaction(m_database);
    lockPlate(number);
    QString sql = u"update 号牌管理 set 号牌=?, 所属包厢=?, 号牌状态=? where number=? and 号牌=? "
                  "and coalesce(所属包厢, '')=? and coalesce(号牌状态, '')=?"_s;
    QVariantList values{fields.plate, fields.room, fields.state, number,
                        shown.plate, shown.room, shown.state};
    if (newRoom) {
        sql += u" and exists (select 1 from 包厢 where 包厢=?)"_s;
        values.append(fields.room);
    }
    if (keepsLines) {
        sql += u" and not "_s + QString::fromUtf16(Busy);
        values.append(occupied());
    }
    if (m_database.execute(sql, values) == 1) {
        m_database.announce(Change::Plates);
        transaction.commit();
        return;
    }

    // Nothing written: say why.
    const QSqlRecord row = m_database.firstRow(
        u"select 号牌, 所属包厢, 号牌状态 from 号牌管理 where number=?"_s, {number});
    if (row.isEmpty()
        || PlateFields{row.value(0).toString(), row.value(1).toString(), row.value(2).toString()}
               != shown)
        throw Refusal(StalePlate);
    if (newRoom && !m_database.exists(u"select 1 from 包厢 where 包厢=?"_s, {fields.room}))
        throw Refusal(missingRoom(fields.room));
    if (keepsLines)
        throw Refusal(u"号牌 "_s + shown.plate + u" 正在使用或有消费记录，不能修改！"_s);
    throw Refusal(StalePlate);
}

void PlateSettings::deletePlate(int number, const QString &plate)
{
    Transaction transaction(m_database);
    lockPlate(number);
    const int deleted = m_database.execute(
        u"delete from 号牌管理 where number=? and 号牌=? and not "_s + QString::fromUtf16(Busy),
        {number, plate, occupied()});
    if (deleted == 1) {
        m_database.announce(Change::Plates);
        transaction.commit();
        return;
    }
    const QVariant current =
        m_database.scalar(u"select 号牌 from 号牌管理 where number=?"_s, {number});
    if (current.isNull() || current.toString() != plate)
        throw Refusal(StalePlate);
    throw Refusal(u"号牌 "_s + plate + u" 正在使用或有消费记录，不能删除！"_s);
}

QStringList PlateSettings::rangeNumbers(const QString &startText, const QString &endText,
                                        const QString &prefix)
{
    const QString start = startText.trimmed();
    const QString end = endText.trimmed();
    if (start.isEmpty() || end.isEmpty())
        throw Refusal(u"请输入号牌的起始值和终止值！"_s);
    const auto startDigits = digitsOf(start);
    const auto endDigits = digitsOf(end);
    if (!startDigits || !endDigits)
        throw Refusal(u"号牌的起始值和终止值只能是数字！"_s);
    // Checked before any arithmetic: eighteen digits always fit in 64 bits.
    if (startDigits->size() > MaxDigits || endDigits->size() > MaxDigits)
        throw Refusal(u"一次最多添加"_s + QString::number(MaxRange) + u"个号牌！"_s);
    const qlonglong first = startDigits->toLongLong();
    const qlonglong last = endDigits->toLongLong();
    // A slip of the finger ("1" to "1000000000") would otherwise keep the
    // program busy writing plates for hours.
    if (last - first >= MaxRange)
        throw Refusal(u"一次最多添加"_s + QString::number(MaxRange) + u"个号牌！"_s);
    const qsizetype width = end.size();
    const QString head = prefix.trimmed();
    QStringList numbers;
    for (qlonglong value = first; value <= last; ++value)
        numbers.append(head + QString::number(value).rightJustified(width, u'0'));
    return numbers;
}

int PlateSettings::addRange(const QString &startText, const QString &endText,
                            const QString &prefix, const QString &room)
{
    const QStringList numbers = rangeNumbers(startText, endText, prefix);
    int added = 0;
    Transaction transaction(m_database);
    requireRoom(room);
    for (const QString &plate : numbers) {
        // Plate numbers are unique across all rooms: an existing one is
        // skipped and the range goes on.
        added += m_database.execute(
            u"insert into 号牌管理 (号牌, 所属包厢, 号牌状态) values (?, ?, ?) "
            "on conflict (号牌) do nothing"_s,
            {plate, room, QString::fromUtf16(PlateState::Free)});
    }
    m_database.announce(Change::Plates);
    transaction.commit();
    return added;
}
