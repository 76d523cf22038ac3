#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

class Database;

// Keeps the operators of table 管理员: names, rights and passwords. Every
// change is one statement; a refusal throws Refusal and writes nothing, a
// database error throws DbError.
class OperatorStore
{
public:
    // A new operator's password, and a new member's.
    static constexpr auto DefaultPassword = u"0000";

    struct Operator
    {
        QString name;
        QHash<QString, bool> rights; // right column → granted
    };

    explicit OperatorStore(Database &database) : m_database(database) {}

    // The right columns the operator window offers a box for, with captions.
    static QList<std::pair<QString, QString>> editableRights();

    QStringList names();
    Operator load(const QString &name);
    // Adds with the default password. Every right with a box, and 退回库存,
    // is stored false unless granted; 会员开户 and 会员充值 keep the
    // column's default.
    void add(const Operator &entry);
    // Renames and sets rights of the operator the window showed, as long as
    // its row still holds what was shown: a row another workstation changed
    // or deleted meanwhile is refused and keeps that workstation's change.
    void update(const Operator &shown, const Operator &entry);
    // Refuses the last operator and "超级管理员" before the question is asked.
    void checkRemovable(const QString &name);
    // Deletes unless that would leave no operator, also when two
    // workstations delete the last two at once; refuses "超级管理员" and an
    // operator deleted meanwhile.
    void remove(const QString &name);

    // Changes the signed-in operator's own password; the name is matched as
    // sign-in matches it.
    void changePassword(const QString &operatorName, const QString &oldPassword,
                        const QString &newPassword, const QString &confirmation);

private:
    Database &m_database;
};
