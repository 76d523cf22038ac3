#pragma once

#include "common/Money.h"
#include "lists/ListDescription.h"

#include <QDateTime>
#include <QString>
#include <QVariantList>

#include <optional>

class Database;

// The members' cards: the balance (卡内金额), the points (当前积分) and the
// password of 会员管理, and the records of what moved them (会员充值, and
// the 日志 row of a password reset). Nothing else writes these.
//
// Balance and points change on the row itself, never by writing back a
// figure read earlier: a recharge, a settlement and a reversal from other
// workstations meanwhile all count, and a charge takes only what the
// balance still covers when it is made. Every write first locks the
// member's row through RowLocks at LockRank::Members, in a transaction of
// its own or the caller's, held until that ends: a caller that holds the
// bill number or anything later already is refused with DbError, so
// callers keep the order plates → member → bill number. Every write
// announces Change::Members.
//
// The rows and the columns of the member's own details are MemberStore's.
// Database errors throw DbError; a stored amount that is no number too.
class MemberCards
{
public:
    // A member as the card's users see it.
    struct Card
    {
        QString card;  // 会员卡号
        QString name;  // 会员姓名
        QString type;  // 会员类型
        Money balance; // 卡内金额
        Money points;  // 当前积分
    };

    // One recharge as it is recorded: the member's details as the
    // recharge window showed them.
    struct Recharge
    {
        QString card;
        QString name;
        QString type;
        Money amount; // negative for money taken off
        QDateTime at;
        QString note;
        QString operatorName;
    };

    explicit MemberCards(Database &database);

    // The recharges as their list shows them: oldest first, with a row
    // count under the card numbers and the sum of the amounts. 奖励金额 is
    // shown but never written, so it stays empty.
    static ListDescription recharges();

    // The member with this card number as stored now.
    std::optional<Card> find(const QString &card);
    // The member, only when this is the card's password as stored (a
    // password never set matches none).
    std::optional<Card> identify(const QString &card, const QString &password);
    // Whether the card's password is this one; a password never set is
    // the empty one.
    bool hasPassword(const QString &card, const QString &password);

    // Adds the amount (negative takes off) to the balance, recorded in
    // 会员充值 in the same transaction. The balance after it; nothing, and
    // nothing written, when no member has the card.
    std::optional<Money> recharge(const Recharge &record);
    // Takes the amount off the balance only while the balance covers it;
    // false, and nothing written, when it does not or the member is gone.
    bool charge(const QString &card, Money amount);
    // Gives back what a charge took; false when the member is gone.
    bool refund(const QString &card, Money amount);
    // Adds points (negative takes them off); false when the member is gone.
    bool addPoints(const QString &card, Money points);

    // The new password, only while the old one still is the card's; false,
    // and nothing written, when it is not.
    bool changePassword(const QString &card, const QString &oldPassword,
                        const QString &newPassword);
    // The default password again, with the 日志 row naming who did it, in
    // one transaction; false, and nothing written, when no member has the card.
    bool resetPassword(const QString &card, const QString &operatorName, const QDateTime &at);

private:
    std::optional<Card> cardWhere(const QString &condition, const QVariantList &values);
    // Locks the member's row for the running write transaction; false when
    // no member has the card.
    bool lockMember(const QString &card);
    // Runs `sql` on the member's row under its lock; whether it changed the
    // row (announced then).
    bool changeRow(const QString &card, const QString &sql, const QVariantList &values);

    Database &m_database;
};
