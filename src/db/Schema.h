#pragma once

#include <QStringList>

class Database;

// The program's tables on either backend. ensure() creates what is missing
// and upgrades an older schema step by step; it is safe to run every start.
namespace Schema {

inline constexpr int CurrentVersion = 2;

// Creates or upgrades the schema in one transaction. Throws DbError.
void ensure(Database &database);
// The version stored in the database, 0 when it has no schema yet.
int version(Database &database);
// Every table the program uses.
QStringList tableNames();
// Whether every table is there.
bool isComplete(Database &database);

// The right columns of 管理员, in the order sign-in reads them.
QStringList rightColumns();

} // namespace Schema
