#pragma once

#include "common/Money.h"
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

    Recharge(Database &database, const Operator &who, const Clock &clock);

    // The member with this card number as stored now; nothing when no
    // member has it.
    std::optional<Member> find(const QString &card);

    // The amount box read as an amount; "充负数" reads it with a minus in
    // front. Refuses an empty box and text that is no amount, and a number
    // past the amount range with Money::OutOfRange.
    static Money amount(const QString &text, bool negative);

    // Adds the amount to the member's balance and writes the record with
    // the card number, name and type shown, in one transaction. The amount
    // may be 0 and the balance may go below 0, but not past the amount
    // range (Money::OutOfRange, nothing written). Returns the balance after it.
    Money add(const Member &member, const QString &amountText, bool negative,
              const QString &note);

private:
    Database &m_database;
    const Operator m_operator;
    const Clock &m_clock;
};
