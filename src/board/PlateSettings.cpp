#include "PlateSettings.h"

#include "PlateState.h"
#include "common/Money.h"
#include "common/Refusal.h"
#include "db/Database.h"
#include "db/ResultTableModel.h"
#include "db/RowLocks.h"
#include "db/Transaction.h"
#include "stores/PlateStore.h"

#include <QSqlRecord>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QString StalePlate = u"该号牌已被其他工作站修改或删除，请刷新后重试。"_s;
const QString StaleRoom = u"该包厢已被其他工作站修改或删除，请刷新后重试。"_s;

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
    RowLocks::enter(m_database, LockRank::Rooms);
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
        PlateStore(m_database).moveRoom(shown.name, name);
    transaction.commit();
}

void PlateSettings::deleteRoom(const QString &name)
{
    Transaction transaction(m_database);
    requireRoom(name);
    // The room's plates are locked first, so that an order opened or a line
    // booked on one of them meanwhile has committed and is seen below.
    PlateStore plates(m_database);
    plates.lockRoom(name);
    const QString busy = plates.busyPlateOf(name);
    if (!busy.isEmpty()) {
        throw Refusal(u"包厢 "_s + name + u" 中的号牌 "_s + busy
                      + u" 正在使用或有消费记录，不能删除包厢！"_s);
    }
    if (m_database.execute(u"delete from 包厢 where 包厢=?"_s, {name}) != 1)
        throw Refusal(StaleRoom);
    plates.removeRoom(name);
    transaction.commit();
}

void PlateSettings::platesByRoom(ResultTableModel &into)
{
    PlateStore(m_database).loadByRoom(into);
}

void PlateSettings::platesOf(ResultTableModel &into, const QString &room)
{
    PlateStore(m_database).loadOfRoom(into, room);
}

void PlateSettings::allPlates(ResultTableModel &into)
{
    PlateStore(m_database).loadAll(into);
}

void PlateSettings::lockPlate(int number)
{
    PlateStore(m_database).lockSequence(number);
}

void PlateSettings::requireRoom(const QString &room)
{
    if (RowLocks::lock(m_database, LockRank::Rooms, u"包厢"_s, u"包厢"_s, {room}).isEmpty())
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
    PlateStore plates(m_database);
    const PlateStore::Fields from{shown.plate, shown.room, shown.state};
    const PlateStore::Fields to{fields.plate, fields.room, fields.state};
    if (plates.saveFields(number, from, to, newRoom, keepsLines)) {
        transaction.commit();
        return;
    }

    // Nothing written: say why.
    const auto row = plates.plateBySequence(number);
    if (!row || PlateFields{row->plate, row->room, row->state} != shown)
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
    PlateStore plates(m_database);
    if (plates.remove(number, plate)) {
        transaction.commit();
        return;
    }
    const auto current = plates.plateBySequence(number);
    if (!current || current->plate != plate)
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
    PlateStore plates(m_database);
    for (const QString &plate : numbers) {
        // Plate numbers are unique across all rooms: an existing one is
        // skipped and the range goes on.
        if (plates.addFree(plate, room))
            ++added;
    }
    transaction.commit();
    return added;
}
