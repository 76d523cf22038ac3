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
    // Renames and sets rights of `originalName`.
    void update(const QString &originalName, const Operator &entry);
    // Refuses the last operator and "超级管理员".
    void checkRemovable(const QString &name);
    void remove(const QString &name);

    // Changes the signed-in operator's own password.
    void changePassword(const QString &operatorName, const QString &oldPassword,
                        const QString &newPassword, const QString &confirmation);

private:
    Database &m_database;
};
