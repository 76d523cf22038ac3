#pragma once

#include "common/Money.h"
#include "lists/ListDescription.h"

#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

class Database;
class Rights;

// Keeps the members of table 会员管理: adding, changing and deleting one,
// the member list, and the type names the member windows offer. Balance,
// points and password are MemberCards': recharges and settlements change
// them in place, and a form that wrote back what it once showed would undo
// those changes. Every write announces Change::Members. Refusals throw
// Refusal and write nothing; database errors throw DbError.
class MemberStore
{
public:
    struct Member
    {
        QString card;
        QString name;
        QString type;
        QString sex;
        QDate birth;      // invalid when none is stored
        QDate registered; // invalid when none is stored
        QString phone;
        QString note;
        // Shown only.
        QString state;
        Money balance;
        Money points;
        // The editable columns as load() read them, so that a change is
        // written only over the row the form showed.
        QHash<QString, QVariant> stored;
    };

    MemberStore(Database &database, const Rights &rights);

    // The member list: every member, with the row count under the card
    // numbers and the sum of the balances.
    static ListDescription list();

    // The member with this card number as stored now; refuses one that is gone.
    Member load(const QString &card);
    // The names of 会员类型 in the order the types were made.
    QStringList typeNames();
    bool cardTaken(const QString &card);

    // A new member with the default password, state "可用", no balance and
    // no points. Sex "男" and type "未设置" stand in for empty boxes; phone
    // and note are written only when given; the database stamps 登记日期.
    void add(const Member &member);
    // Writes the columns the form changed, only while the row still holds
    // what load() read; another member's card number is refused.
    void update(const Member &shown, const Member &edited);
    // Needs the right 会员删除.
    void checkRemovable() const;
    void remove(const QString &card);

private:
    Database &m_database;
    const Rights &m_rights;
};
