#include "Recharge.h"

#include "common/Clock.h"
#include "common/Refusal.h"
#include "db/Transaction.h"
#include "members/MemberCards.h"

using namespace Qt::StringLiterals;

Recharge::Recharge(Database &database, const Operator &who, const Clock &clock)
    : m_database(database)
    , m_operator(who)
    , m_clock(clock)
{
}

std::optional<Recharge::Member> Recharge::find(const QString &card)
{
    const std::optional<MemberCards::Card> found = MemberCards(m_database).find(card);
    if (!found)
        return std::nullopt;
    return Member{found->card, found->name, found->type, found->balance};
}

Money Recharge::amount(const QString &text, bool negative)
{
    if (text.isEmpty())
        throw Refusal(u"请输入充值数值！"_s);
    const QString typed = text.trimmed();
    const std::optional<Money> read = Money::parseEntry(negative ? u'-' + typed : typed);
    if (!read)
        throw Refusal(u"“"_s + text + u"”不是有效的充值金额，请重新输入！"_s);
    return *read;
}

Money Recharge::add(const Member &member, const QString &amountText, bool negative,
                    const QString &note)
{
    if (amountText.isEmpty())
        throw Refusal(u"请输入充值数值！"_s);
    if (member.name.isEmpty())
        throw Refusal(u"请先输入会员卡号并按回车键！"_s);
    const Money added = amount(amountText, negative);

    Transaction transaction(m_database);
    // Added on the row itself: a settlement or another recharge since the
    // window read the balance counts as well.
    const std::optional<Money> balance = MemberCards(m_database).recharge(
        {member.card, member.name, member.type, added, m_clock.now(), note,
         m_operator.name});
    if (!balance)
        throw Refusal(u"没有找到该会员，可能已被删除！"_s);
    // A balance past the range would not read back; one that an older shop
    // already holds there may still be brought down.
    const Money before = *balance - added;
    const auto magnitude = [](Money amount) { return amount < Money() ? Money() - amount : amount; };
    if (!balance->inRange() && magnitude(*balance) > magnitude(before))
        balance->withinRange();
    transaction.commit();
    return *balance;
}
