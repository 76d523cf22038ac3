#include "PlateSettings.h"

#include "PlateState.h"
#include "common/Refusal.h"
#include "db/Database.h"
#include "db/Transaction.h"

#include <QSqlRecord>

using namespace Qt::StringLiterals;

namespace {

// The room dialog's number boxes take digits and a point; an empty box
// means 0.
Money amountOf(const QString &text)
{
    if (text.trimmed().isEmpty())
        return {};
    if (const auto value = Money::parse(text))
        return *value;
    throw Refusal(u"请输入正确的数值！"_s);
}

} // namespace

QList<PlateSettings::Room> PlateSettings::rooms()
{
    // In the order the rooms were set up, as the board's pages are.
    QList<Room> list;
    QSqlQuery query = m_database.exec(u"select * from 包厢"_s);
    const QSqlRecord record = query.record();
    const int name = record.indexOf(u"包厢"_s);
    const int price = record.indexOf(u"门票价格"_s);
    const int minimum = record.indexOf(u"最低消费"_s);
    while (query.next()) {
        list.append({query.value(name).toString(), Money::fromVariant(query.value(price)),
                     Money::fromVariant(query.value(minimum))});
    }
    return list;
}

QStringList PlateSettings::roomNames()
{
    QStringList names;
    for (const Room &room : rooms())
        names.append(room.name);
    return names;
}

void PlateSettings::addRoom(const QString &name, const QString &ticketPrice,
                            const QString &minimum)
{
    const Money price = amountOf(ticketPrice);
    const Money least = amountOf(minimum);
    m_database.execute(u"insert into 包厢 (包厢, 门票价格, 最低消费, 初始费用) values (?, ?, ?, 0)"_s,
                       {name, QVariant::fromValue(price), QVariant::fromValue(least)});
}

void PlateSettings::updateRoom(const QString &originalName, const QString &name,
                               const QString &ticketPrice, const QString &minimum)
{
    const Money price = amountOf(ticketPrice);
    const Money least = amountOf(minimum);
    Transaction transaction(m_database);
    m_database.execute(u"update 包厢 set 包厢=?, 门票价格=?, 最低消费=? where 包厢=?"_s,
                       {name, QVariant::fromValue(price), QVariant::fromValue(least), originalName});
    if (name != originalName)
        m_database.execute(u"update 号牌管理 set 所属包厢=? where 所属包厢=?"_s, {name, originalName});
    transaction.commit();
}

void PlateSettings::deleteRoom(const QString &name)
{
    Transaction transaction(m_database);
    m_database.execute(u"delete from 号牌管理 where 所属包厢=?"_s, {name});
    m_database.execute(u"delete from 包厢 where 包厢=?"_s, {name});
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

void PlateSettings::savePlate(int number, const PlateFields &fields)
{
    if (fields.plate.isEmpty() || fields.room.isEmpty() || fields.state.isEmpty())
        throw Refusal(u"号牌 所属包厢 号牌状态必须填写!"_s);
    m_database.execute(u"update 号牌管理 set 号牌=?, 所属包厢=?, 号牌状态=? where number=?"_s,
                       {fields.plate, fields.room, fields.state, number});
}

void PlateSettings::deletePlate(int number)
{
    m_database.execute(u"delete from 号牌管理 where number=?"_s, {number});
}

QStringList PlateSettings::rangeNumbers(const QString &startText, const QString &endText,
                                        const QString &prefix)
{
    const QString start = startText.trimmed();
    const QString end = endText.trimmed();
    if (start.isEmpty() || end.isEmpty())
        throw Refusal(u"请输入号牌的起始值和终止值！"_s);
    const qsizetype width = end.size();
    const QString head = prefix.trimmed();
    bool startOk = false;
    bool endOk = false;
    const qlonglong first = start.toLongLong(&startOk);
    const qlonglong last = end.toLongLong(&endOk);
    // A slip of the finger ("1" to "1000000000") would otherwise keep the
    // program busy writing plates for hours.
    if (!startOk || !endOk || last - first >= MaxRange)
        throw Refusal(u"一次最多添加"_s + QString::number(MaxRange) + u"个号牌！"_s);
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
    for (const QString &plate : numbers) {
        // Plate numbers are unique across all rooms: an existing one is
        // skipped and the range goes on.
        added += m_database.execute(
            u"insert into 号牌管理 (号牌, 所属包厢, 号牌状态) values (?, ?, ?) "
            "on conflict (号牌) do nothing"_s,
            {plate, room, QString::fromUtf16(PlateState::Free)});
    }
    transaction.commit();
    return added;
}
