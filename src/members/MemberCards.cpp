#include "MemberCards.h"

#include "db/Amounts.h"
#include "db/Changes.h"
#include "db/Database.h"
#include "db/RowLocks.h"
#include "db/Transaction.h"
#include "operators/OperatorStore.h"

#include <QSqlRecord>

using namespace Qt::StringLiterals;

MemberCards::MemberCards(Database &database)
    : m_database(database)
{
}

ListDescription MemberCards::recharges()
{
    const auto column = [](const QString &name,
                           ListColumn::Footer footer = ListColumn::Footer::None) {
        return ListColumn{name, name, footer};
    };
    return {u"会员充值"_s,
            u"select * from 会员充值"_s,
            // The order the rows were written in; a stable order also keeps
            // the pages of a long list from overlapping.
            u"order by id"_s,
            {column(u"会员卡号"_s, ListColumn::Footer::Count), column(u"会员姓名"_s),
             column(u"会员类型"_s), column(u"充值金额"_s, ListColumn::Footer::Sum),
             column(u"奖励金额"_s), column(u"充值日期"_s), column(u"id"_s), column(u"备注"_s),
             column(u"营业员"_s)}};
}

std::optional<MemberCards::Card> MemberCards::cardWhere(const QString &condition,
                                                        const QVariantList &values)
{
    const QSqlRecord row = m_database.firstRow(
        u"select 会员卡号, 会员姓名, 会员类型, 卡内金额, 当前积分 from 会员管理 where "_s + condition,
        values);
    if (row.isEmpty())
        return std::nullopt;
    return Card{row.value(0).toString(), row.value(1).toString(), row.value(2).toString(),
                readAmount(row.value(3), u"会员管理"_s, u"卡内金额"_s),
                readAmount(row.value(4), u"会员管理"_s, u"当前积分"_s)};
}

std::optional<MemberCards::Card> MemberCards::find(const QString &card)
{
    return cardWhere(u"会员卡号=?"_s, {card});
}

std::optional<MemberCards::Card> MemberCards::identify(const QString &card,
                                                       const QString &password)
{
    return cardWhere(u"会员卡号=? and 密码=?"_s, {card, password});
}

bool MemberCards::hasPassword(const QString &card, const QString &password)
{
    return m_database.exists(u"select 1 from 会员管理 where 会员卡号=? and coalesce(密码, '')=?"_s,
                             {card, password});
}

std::optional<Money> MemberCards::recharge(const Recharge &record)
{
    Transaction transaction(m_database);
    if (!lockMember(record.card)) {
        // Nothing was written; a transaction around this one may go on.
        transaction.commit();
        return std::nullopt;
    }
    // A balance never set counts as 0 here: the first recharge gives it one.
    m_database.execute(
        u"update 会员管理 set 卡内金额=round(coalesce(卡内金额, 0) + cast(? as numeric), 4) "
        "where 会员卡号=?"_s,
        {record.amount.toVariant(), record.card});
    m_database.execute(u"insert into 会员充值 (会员卡号, 会员姓名, 会员类型, 充值金额, 充值日期, "
                       "备注, 营业员) values (?, ?, ?, ?, ?, ?, ?)"_s,
                       {record.card, record.name, record.type, record.amount.toVariant(),
                        record.at, record.note, record.operatorName});
    const Money balance =
        readAmount(m_database.scalar(u"select 卡内金额 from 会员管理 where 会员卡号=?"_s,
                                     {record.card}),
                   u"会员管理"_s, u"卡内金额"_s);
    m_database.announce(Change::Members);
    transaction.commit();
    return balance;
}

bool MemberCards::lockMember(const QString &card)
{
    return !RowLocks::lock(m_database, LockRank::Members, u"会员管理"_s, u"会员卡号"_s, {card})
                .isEmpty();
}

bool MemberCards::changeRow(const QString &card, const QString &sql, const QVariantList &values)
{
    Transaction transaction(m_database);
    const bool changed = lockMember(card) && m_database.execute(sql, values) == 1;
    if (changed)
        m_database.announce(Change::Members);
    // Nothing written when unchanged; a transaction around this one may go on.
    transaction.commit();
    return changed;
}

bool MemberCards::charge(const QString &card, Money amount)
{
    // The covering condition is part of the update: of two charges that
    // together exceed the balance, the second finds it no longer covered.
    return changeRow(card,
                     u"update 会员管理 set 卡内金额=round(卡内金额 - cast(? as numeric), 4) "
                     "where 会员卡号=? and round(卡内金额, 4) >= cast(? as numeric)"_s,
                     {amount.toVariant(), card, amount.toVariant()});
}

bool MemberCards::refund(const QString &card, Money amount)
{
    return changeRow(card,
                     u"update 会员管理 set 卡内金额=round(coalesce(卡内金额, 0) + cast(? as numeric), 4) "
                     "where 会员卡号=?"_s,
                     {amount.toVariant(), card});
}

bool MemberCards::addPoints(const QString &card, Money points)
{
    return changeRow(card,
                     u"update 会员管理 set 当前积分=round(coalesce(当前积分, 0) + cast(? as numeric), 4) "
                     "where 会员卡号=?"_s,
                     {points.toVariant(), card});
}

bool MemberCards::changePassword(const QString &card, const QString &oldPassword,
                                 const QString &newPassword)
{
    return changeRow(card, u"update 会员管理 set 密码=? where 会员卡号=? and coalesce(密码, '')=?"_s,
                     {newPassword, card, oldPassword});
}

bool MemberCards::resetPassword(const QString &card, const QString &operatorName,
                                const QDateTime &at)
{
    Transaction transaction(m_database);
    if (!lockMember(card)) {
        transaction.commit();
        return false;
    }
    m_database.execute(u"update 会员管理 set 密码=? where 会员卡号=?"_s,
                       {QString::fromUtf16(OperatorStore::DefaultPassword), card});
    m_database.execute(u"insert into 日志 (事件, 日期, 管理员, 说明) values (?, ?, ?, ?)"_s,
                       {u"重置密码"_s, at, operatorName, QString(u"会员卡号:"_s + card)});
    m_database.announce(Change::Members);
    transaction.commit();
    return true;
}
