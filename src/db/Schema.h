#pragma once

#include <QStringList>

class Database;

// The program's tables on either backend, with their version kept in a
// table of its own (schema_version) so that an existing shop is upgraded in
// place, step by step, and never created anew.
namespace Schema {

inline constexpr int CurrentVersion = 5;

// For the installer and tests: creates every table in an empty database.
// Throws DbError naming the database when it already holds tables.
void create(Database &database);
// For start-up: upgrades a shop's database (one that carries
// schema_version) in place and fills in tables it lacks. Anything else is
// refused with DbError naming the database: an empty or zero-byte file, an
// empty server database, another program's database, and a database whose
// version is newer than this program's.
void upgrade(Database &database);
// The steps themselves, in one transaction: brings any database to
// CurrentVersion, creating what is missing. Refuses only a newer version;
// create() and upgrade() call it after checking what they were given.
void ensure(Database &database);
// Whether the database carries the version table, i.e. is a shop's.
bool isInstalled(Database &database);
// The version stored in the database, 0 when it has no schema yet.
int version(Database &database);
// Every table the program uses.
QStringList tableNames();
// Whether every table is there.
bool isComplete(Database &database);

// The columns of a line in xfmx and jzmx alike, ID aside, in table order:
// settlement and its reversal move lines between the two by these names.
QStringList lineColumns();

// The right columns of 管理员, in the order sign-in reads them.
QStringList rightColumns();

} // namespace Schema
