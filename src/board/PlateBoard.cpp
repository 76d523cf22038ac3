#include "PlateBoard.h"

#include "Rooms.h"
#include "common/Clock.h"
#include "common/DateFormat.h"
#include "common/Money.h"
#include "db/Amounts.h"
#include "db/Database.h"
#include "stores/LineStore.h"
#include "stores/PlateStore.h"

using namespace Qt::StringLiterals;

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
    for (const PlateStore::Plate &plate : PlateStore(m_database).plates(room))
        list.append({plate.plate, PlateState::iconOf(plate.state)});
    return list;
}

PlateBoard::Counts PlateBoard::counts()
{
    Counts counts;
    for (const auto &[state, count] : PlateStore(m_database).stateCounts()) {
        counts.total += count;
        const auto icon = PlateState::knownIcon(state);
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
    const auto row = PlateStore(m_database).plate(plate);
    if (!row)
        return std::nullopt;
    Details details;
    details.plate = plate;
    details.state = row->state;
    details.billing = u"标准"_s;
    if (details.state != QStringView(PlateState::Occupied)) {
        details.entryTime = details.elapsed = details.deposit = details.amount = u"0"_s;
        return details;
    }
    // An occupied plate without an entry time (written by hand or by an old
    // program) shows empty times rather than a nonsense duration.
    const QDateTime entered = row->entered;
    if (entered.isValid()) {
        details.entryTime = DateFormat::dateTimeText(entered);
        details.elapsed = DateFormat::elapsedClock(entered, m_clock.now());
    }
    // A deposit that is no number shows as stored.
    details.deposit = row->deposit ? row->deposit->toString() : row->unreadableDeposit;
    details.amount = lineAmount(plate);
    return details;
}

std::optional<PlateState::Icon> PlateBoard::knownState(const QString &plate)
{
    const auto row = PlateStore(m_database).plate(plate);
    if (!row)
        return std::nullopt;
    return PlateState::knownIcon(row->state);
}

QString PlateBoard::lineAmount(const QString &plate)
{
    const std::optional<Money> sum = LineStore(m_database).openAmount(plate);
    return sum ? sum->toString() : QString();
}

QList<OpenLine> PlateBoard::openLines()
{
    return LineStore(m_database).boardLines();
}

QList<OpenLine> PlateBoard::openLines(const QString &plate)
{
    return LineStore(m_database).boardLines(plate);
}

void PlateBoard::loadLineRows(ResultTableModel &into, const std::optional<QString> &plate)
{
    LineStore(m_database).loadBoardRows(into, plate);
}

int PlateBoard::find(const QList<Plate> &plates, const QString &text)
{
    if (text.isEmpty())
        return -1;
    int otherCase = -1;
    for (int i = 0; i < plates.size(); ++i) {
        const QString &number = plates.at(i).number;
        if (number == text)
            return i;
        if (otherCase < 0 && number.compare(text, Qt::CaseInsensitive) == 0)
            otherCase = i;
    }
    return otherCase;
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
