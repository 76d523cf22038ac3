#pragma once

#include "OpenLinesModel.h"
#include "PlateState.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class Clock;
class Database;
class ResultTableModel;

// What the plate board reads and decides, without any widget: the rooms,
// the plates of a room with their icons, the totals per state, the status
// panel of one plate, the open lines, and the rules for the toolbar, the
// pop-up menu and the quick find. Database errors throw DbError.
class PlateBoard
{
public:
    struct Plate
    {
        QString number;
        PlateState::Icon icon = PlateState::FreeIcon;
        bool operator==(const Plate &) const = default;
    };

    // The five totals of the status panel. A plate whose state is none of
    // the four counts only in `total`.
    struct Counts
    {
        int total = 0;
        int occupied = 0;
        int free = 0;
        int reserved = 0;
        int disabled = 0;
        bool operator==(const Counts &) const = default;
    };

    // The value fields of the status panel for one plate.
    struct Details
    {
        QString plate;
        QString state;     // 当前状态
        QString billing;   // 计费标准
        QString entryTime; // 进店时间
        QString elapsed;   // 已用时间
        QString deposit;   // 已交押金
        QString amount;    // 消费金额
    };

    // Which pop-up entries are enabled: 开    单, 消费与结帐, 修改状态, 撤单.
    struct PopupEnabling
    {
        bool openOrder = false;
        bool consume = false;
        bool changeStatus = false;
        bool cancelOrder = false;
        bool operator==(const PopupEnabling &) const = default;
    };

    // What a toolbar button does for the selected plate: refuse with a
    // message, do nothing, or open its window.
    struct Answer
    {
        enum Step { Refuse, Nothing, Open };
        Step step = Nothing;
        QString message;
        bool operator==(const Answer &) const = default;
    };

    PlateBoard(Database &database, const Clock &clock);

    // Room names, one page each, in the shop's order (see Rooms).
    QStringList rooms();
    // The plates of a room ordered by number, each with its icon.
    QList<Plate> plates(const QString &room);
    Counts counts();
    // The status panel for a plate; nothing when the plate has no row.
    // Occupied plates show their entry time, the elapsed time of day
    // (26 hours read 02:00:00), the deposit and the sum of their open lines;
    // other plates show their state and "0" in those four fields.
    std::optional<Details> details(const QString &plate);
    // The icon of the plate's state when it is one of the four; nothing
    // when the plate has no row or another state text.
    std::optional<PlateState::Icon> knownState(const QString &plate);
    // Sum of the plate's open lines as text; empty when it has none. A total
    // that is no number throws DbError naming it.
    QString lineAmount(const QString &plate);
    // Every open line of every plate, and the open lines of one plate.
    QList<OpenLine> openLines();
    QList<OpenLine> openLines(const QString &plate);
    // Every column of the open lines of one plate, or of all plates: what
    // "Excel转出下表" writes.
    void loadLineRows(ResultTableModel &into, const std::optional<QString> &plate);

    // Quick find: the index of the first plate whose number equals `text`,
    // whatever the letter case (a plate written exactly so comes first, where
    // two differ only in case); -1 when none does.
    static int find(const QList<Plate> &plates, const QString &text);
    // The pop-up entries for the selected plate's icon; all disabled when
    // nothing is selected.
    static PopupEnabling popupEnabling(std::optional<PlateState::Icon> selected);
    // Toolbar "开单" and "消费与结帐".
    static Answer openOrderAnswer(std::optional<PlateState::Icon> selected);
    static Answer consumptionAnswer(std::optional<PlateState::Icon> selected);

private:
    Database &m_database;
    const Clock &m_clock;
};
