#pragma once

#include "session/Operator.h"

#include <QString>

#include <functional>

class Clock;
class Database;

// A member's card password: changed by whoever knows the old one, reset to
// the default by an operator with the right 会员修改, the reset logged in
// 日志. Both write only while the row still is what was checked, so a
// change from another workstation in between is not overwritten unseen.
// Refusals throw Refusal and write nothing; database errors throw DbError.
class MemberPasswords
{
public:
    MemberPasswords(Database &database, const Operator &who, const Clock &clock);

    // A wrong card number reads like a wrong old password. An empty new
    // password is a password too.
    void change(const QString &card, const QString &oldPassword, const QString &newPassword,
                const QString &confirmation);

    // Refuses an operator without the right 会员修改, before anything is asked.
    void checkResettable() const;
    // The default password again, and the 日志 row that says who did it,
    // together or not at all.
    void reset(const QString &card);

    // Runs between the check of the old password and the change: a test
    // stands in for another workstation there.
    void setBeforeWrite(std::function<void()> hook) { m_beforeWrite = std::move(hook); }

private:
    Database &m_database;
    const Operator m_operator;
    const Clock &m_clock;
    std::function<void()> m_beforeWrite;
};
