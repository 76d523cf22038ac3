#include "MemberPasswords.h"

#include "common/Clock.h"
#include "common/Refusal.h"
#include "db/Database.h"
#include "db/Transaction.h"
#include "members/MemberCards.h"
#include "operators/OperatorStore.h"
#include "session/RightTable.h"

using namespace Qt::StringLiterals;

namespace {

const auto WrongPassword = u"旧密码输入错误！"_s;

// A password that was never set reads as empty, so such a member can be
// given one; an empty password is stored as empty text, not as NULL.
QString storable(const QString &password)
{
    return password.isNull() ? QStringLiteral("") : password;
}

} // namespace

MemberPasswords::MemberPasswords(Database &database, const Operator &who,
                                 const Clock &clock)
    : m_database(database)
    , m_operator(who)
    , m_clock(clock)
{
}

void MemberPasswords::change(const QString &card, const QString &oldPassword,
                             const QString &newPassword, const QString &confirmation)
{
    const QString old = storable(oldPassword);
    MemberCards cards(m_database);
    if (!cards.hasPassword(card, old))
        throw Refusal(WrongPassword);
    if (newPassword != confirmation)
        throw Refusal(u"两次输入的新密码不一致！"_s);
    if (m_beforeWrite)
        m_beforeWrite();
    if (!cards.changePassword(card, old, storable(newPassword)))
        throw Refusal(WrongPassword);
}

void MemberPasswords::checkResettable() const
{
    RightTable::require(m_operator, Guarded::ResetMemberPassword);
}

void MemberPasswords::reset(const QString &card)
{
    checkResettable();
    if (!MemberCards(m_database).resetPassword(card, m_operator.name, m_clock.now()))
        throw Refusal(u"没有找到改会员!"_s);
}
