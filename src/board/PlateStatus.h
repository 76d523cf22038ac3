#pragma once

#include <QString>

#include <functional>

class Database;
struct Operator;

// Changing a plate's state outside the order and checkout flow: the plate
// status window (free, reserved, disabled) and cancelling an order on which
// nothing has been booked. Refusals throw Refusal with the user's text and
// write nothing; database errors throw DbError.
//
// Both writes are conditional on the plate's state at the moment of the
// update, so a change made meanwhile from another workstation is never
// overwritten blindly.
class PlateStatus
{
public:
    explicit PlateStatus(Database &database) : m_database(database) {}

    // The plate's state text as the status window shows it when it opens;
    // empty when the plate has no row.
    QString read(const QString &plate);

    // Sets a plate that is not occupied to `target` ("可用", "预定" or
    // "停用"). `shownState` is what the window showed: an occupied plate is
    // refused with "该号牌处于占用状态，请先结帐！", and so is a plate that
    // became occupied since.
    void change(const QString &plate, const QString &shownState, const QString &target);

    // Returns an occupied plate without open lines to free. Needs the right
    // 撤单. A line booked from another workstation up to the moment of the
    // update refuses the cancellation instead of being orphaned.
    //
    // For this to hold, a booking (opening an order, adding a line) locks
    // the plate (PlateStore::lock) before it writes its line, in the same
    // transaction: the cancellation locks the same plate before it looks
    // for lines, so one of the two waits for the other to commit.
    void cancelOrder(const QString &plate, const Operator &who);

    // Runs in each operation just before its transaction begins: the last
    // moment another workstation's change can come between the window and
    // the write. Tests play that workstation here.
    void setBeforeWrite(std::function<void()> hook) { m_beforeWrite = std::move(hook); }

private:
    Database &m_database;
    std::function<void()> m_beforeWrite;
};
