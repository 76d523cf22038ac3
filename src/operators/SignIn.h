#pragma once

#include "app/Rights.h"

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

// The operator's rights when name and password match, nothing when they do
// not. A table without the columns 商品管理 and 商品类型 grants both; any
// other missing right column throws DbError.
std::optional<Rights> check(Database &database, const QString &name, const QString &password);

} // namespace SignIn
