#pragma once

#include "session/Rights.h"

#include <QSqlRecord>
#include <QStringList>

#include <optional>

class Database;

// Checking an operator's name and password against 管理员.
namespace SignIn {

struct OperatorList
{
    QStringList names;       // every operator, in the order the table gives
    QString firstName;       // shown in the name box
    QString prefillPassword; // the factory password while the first operator keeps it
};

// Throws DbError.
OperatorList loadOperators(Database &database);

// The 管理员 row whose name and password match, an empty record when none
// does. The password always compares exactly. The name does too on
// PostgreSQL; the embedded database ignores the case of its ASCII letters
// ("Admin" signs in as "admin") and prefers an operator with exactly the
// typed name.
QSqlRecord findOperator(Database &database, const QString &name, const QString &password);

// The operator's rights when name and password match, nothing when they do
// not. A table without the columns 商品管理 and 商品类型 grants both; any
// other missing right column throws DbError.
std::optional<Rights> check(Database &database, const QString &name, const QString &password);

} // namespace SignIn
