#include "Recharge.h"

#include "common/Clock.h"
#include "db/Transaction.h"
#include "members/MemberCards.h"

using namespace Qt::StringLiterals;

Recharge::WouldGoBelowZero::WouldGoBelowZero(const QString &card, Money amount, Money after)
    : Refusal(u"会员卡 "_s + card + u" 扣除 "_s + (Money() - amount).toString() + u" 元后，卡内余额将为 "_s
              + after.toString() + u" 元，低于零。"_s)
    , m_after(after)
{
}

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

Recharge::Preview Recharge::preview(const Member &member, const QString &amountText, bool negative)
{
    if (amountText.isEmpty())
        throw Refusal(u"请输入充值数值！"_s);
    if (member.name.isEmpty())
        throw Refusal(u"请先输入会员卡号并按回车键！"_s);
    Preview preview;
    preview.amount = amount(amountText, negative);
    preview.after = member.balance + preview.amount;
    preview.belowZero = preview.amount < Money() && preview.after < Money();
    return preview;
}

Money Recharge::add(const Member &member, const QString &amountText, bool negative,
                    const QString &note, BelowZero belowZero)
{
    const Money added = preview(member, amountText, negative).amount;

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
    // Decided on the balance as stored, which another workstation may have
    // changed since the window read it.
    if (belowZero == BelowZero::Refuse && added < Money() && *balance < Money())
        throw WouldGoBelowZero(member.card, added, *balance);
    transaction.commit();
    return *balance;
}
