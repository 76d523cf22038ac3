#pragma once

#include "session/Operator.h"

#include <QString>

#include <functional>

class Checkout;
class Clock;
class Database;

// Closing the bill a checkout prepared: paid, waived or cancelled. The
// whole settlement is one transaction: the member's points and card, the
// bill row, the lines moved from xfmx to jzmx and the plates freed, or
// nothing at all. Before writing it checks that the group still is what the
// window shows (every plate occupied, the same lines with the same totals)
// and that the card still covers what it pays, so a bill cannot be settled
// twice, nor past another workstation's change.
class Settlement
{
public:
    enum class Status { Paid, Waived, Cancelled };

    Settlement(Database &database, const Operator &who, const Clock &clock)
        : m_database(database), m_operator(who), m_clock(clock) {}

    // "已结", "免单" or "撤单", as 状态 stores it.
    static QString statusText(Status status);

    // Writes the bill and returns its number: the checkout's, or the next
    // free one when another bill or another open checkout has that number.
    // Waiving and cancelling need their right. Refusals throw Refusal and
    // write nothing.
    QString JieZhangHs(const Checkout &checkout, Status status);

    // Refuses (Refusal) a waiver or a cancellation the operator has no right
    // to, so the window can tell before it asks.
    void checkRight(Status status) const;

    // Runs just before the transaction begins and takes its locks: the last
    // moment another workstation's change can come between the window and
    // the settlement. Tests play the other workstation here.
    void setBeforeWrite(std::function<void()> hook) { m_beforeWrite = std::move(hook); }

private:
    // Moves `billNumber` on to the number the bill is written under.
    void write(const Checkout &checkout, Status status, QString &billNumber);
    void checkGroup(const Checkout &checkout);

    Database &m_database;
    const Operator m_operator;
    const Clock &m_clock;
    std::function<void()> m_beforeWrite;
};
