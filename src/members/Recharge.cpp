#include "Recharge.h"

#include "common/Clock.h"
#include "common/Refusal.h"
#include "db/Amounts.h"
#include "db/Database.h"
#include "db/Transaction.h"

#include <QSqlRecord>

using namespace Qt::StringLiterals;

Recharge::Recharge(Database &database, const Operator &who, const Clock &clock)
    : m_database(database)
    , m_operator(who)
    , m_clock(clock)
{
}

std::optional<Recharge::Member> Recharge::find(const QString &card)
{
    const QSqlRecord row = m_database.firstRow(
        u"select 会员卡号, 会员姓名, 会员类型, 卡内金额 from 会员管理 where 会员卡号=?"_s, {card});
    if (row.isEmpty())
        return std::nullopt;
    return Member{row.value(0).toString(), row.value(1).toString(), row.value(2).toString(),
                  readAmount(row.value(3), u"会员管理"_s, u"卡内金额"_s)};
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
    const int found = m_database.execute(
        u"update 会员管理 set 卡内金额=round(coalesce(卡内金额, 0) + cast(? as numeric), 4) "
        "where 会员卡号=?"_s,
        {added.toVariant(), member.card});
    if (found != 1)
        throw Refusal(u"没有找到该会员，可能已被删除！"_s);
    m_database.execute(u"insert into 会员充值 (会员卡号, 会员姓名, 会员类型, 充值金额, 充值日期, "
                       "备注, 营业员) values (?, ?, ?, ?, ?, ?, ?)"_s,
                       {member.card, member.name, member.type, added.toVariant(), m_clock.now(),
                        note, m_operator.name});
    const Money balance =
        readAmount(m_database.scalar(u"select 卡内金额 from 会员管理 where 会员卡号=?"_s,
                                     {member.card}),
                   u"会员管理"_s, u"卡内金额"_s);
    // A balance past the range would not read back; one that an older shop
    // already holds there may still be brought down.
    const Money before = balance - added;
    const auto magnitude = [](Money amount) { return amount < Money() ? Money() - amount : amount; };
    if (!balance.inRange() && magnitude(balance) > magnitude(before))
        balance.withinRange();
    transaction.commit();
    return balance;
}
