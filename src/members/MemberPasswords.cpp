#include "MemberPasswords.h"

#include "common/Clock.h"
#include "common/Refusal.h"
#include "db/Database.h"
#include "db/Transaction.h"
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
    if (!m_database.exists(
            u"select 1 from 会员管理 where 会员卡号=? and coalesce(密码, '')=?"_s, {card, old}))
        throw Refusal(WrongPassword);
    if (newPassword != confirmation)
        throw Refusal(u"两次输入的新密码不一致！"_s);
    if (m_beforeWrite)
        m_beforeWrite();
    const int changed = m_database.execute(
        u"update 会员管理 set 密码=? where 会员卡号=? and coalesce(密码, '')=?"_s,
        {storable(newPassword), card, old});
    if (changed != 1)
        throw Refusal(WrongPassword);
}

void MemberPasswords::checkResettable() const
{
    RightTable::require(m_operator, Guarded::ResetMemberPassword);
}

void MemberPasswords::reset(const QString &card)
{
    checkResettable();
    Transaction transaction(m_database);
    const int found = m_database.execute(u"update 会员管理 set 密码=? where 会员卡号=?"_s,
                                         {QString::fromUtf16(OperatorStore::DefaultPassword), card});
    if (found != 1)
        throw Refusal(u"没有找到改会员!"_s);
    m_database.execute(u"insert into 日志 (事件, 日期, 管理员, 说明) values (?, ?, ?, ?)"_s,
                       {u"重置密码"_s, m_clock.now(), m_operator.name,
                        QString(u"会员卡号:"_s + card)});
    transaction.commit();
}
