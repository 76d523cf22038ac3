#pragma once

#include "common/Money.h"
#include "common/Refusal.h"
#include "session/Operator.h"

#include <QString>

#include <optional>

class Clock;
class Database;

// Puts money on a member's card (or takes it off) and records it in
// 会员充值. The balance changes in place, never by writing back a balance
// read earlier, so a settlement or a recharge from another workstation in
// between is kept. Refusals throw Refusal and write nothing; database
// errors throw DbError.
class Recharge
{
public:
    // The member as the recharge window shows it.
    struct Member
    {
        QString card;
        QString name;
        QString type;
        Money balance;
    };

    // Whether a recharge may take the card below zero: only once the
    // operator has agreed to it.
    enum class BelowZero { Refuse, Allow };

    // What a recharge would do by the balance the window shows, for the
    // question before it.
    struct Preview
    {
        Money amount;
        Money after;
        // Taking money off leaves the card below zero.
        bool belowZero = false;
    };

    // A recharge refused because it would take the card below zero, with
    // the balance it would leave as stored now; asked again with
    // BelowZero::Allow once the operator agrees.
    class WouldGoBelowZero : public Refusal
    {
    public:
        WouldGoBelowZero(const QString &card, Money amount, Money after);
        Money after() const { return m_after; }

    private:
        Money m_after;
    };

    Recharge(Database &database, const Operator &who, const Clock &clock);

    // The member with this card number as stored now; nothing when no
    // member has it.
    std::optional<Member> find(const QString &card);

    // The amount box read as an amount; "充负数" reads it with a minus in
    // front. Refuses an empty box and text that is no amount, and a number
    // past the amount range with Money::OutOfRange.
    static Money amount(const QString &text, bool negative);

    // Refuses what add() refuses before it writes; otherwise the amount
    // and the balance it leaves by the member's balance as read.
    static Preview preview(const Member &member, const QString &amountText, bool negative);

    // Adds the amount to the member's balance and writes the record with
    // the card number, name and type shown, in one transaction. The amount
    // may be 0, but the balance stays within the amount range
    // (Money::OutOfRange, nothing written). A negative amount that leaves
    // the balance as stored below 0 throws WouldGoBelowZero and writes
    // nothing, unless `belowZero` allows it. Returns the balance after it.
    Money add(const Member &member, const QString &amountText, bool negative,
              const QString &note, BelowZero belowZero = BelowZero::Refuse);

private:
    Database &m_database;
    const Operator m_operator;
    const Clock &m_clock;
};
