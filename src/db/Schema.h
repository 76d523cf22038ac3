#pragma once

#include <QString>
#include <QStringList>

class Database;

// The program's tables on either backend, with their version kept in a
// table of its own (schema_version) so that an existing shop is upgraded in
// place, step by step, and never created anew. The shape of the current
// version is one catalogue (SchemaCatalogue): create() builds it, and every
// shop that is opened, set up or restored is held against it. A shop that
// differs is mended where the difference is the program's own (a missing
// table, index or trigger is built again in its current shape, and the
// daily totals recounted) or refused with the reason, never half taken.
namespace Schema {

inline constexpr int CurrentVersion = 6;

// For the installer and tests: builds the catalogue in an empty database
// and records CurrentVersion. Throws DbError naming the database when it
// already holds tables.
void create(Database &database);
// For start-up and setup: upgrades a shop's database (one that carries
// schema_version) in place and mends it to the current shape. Anything
// else is refused with DbError naming the database and what is wrong (in
// Chinese, naming the table or object): an empty or zero-byte file, an
// empty server database, another program's database, a database whose
// version is newer than this program's, one that holds only the version
// table or lacks 管理员, a table that is a view, a table whose columns
// differ, a trigger, view or rule that is not the program's. Nothing is
// changed then. Returns what was built again after the upgrade steps, in
// words ("数据表 包厢", "索引 …", "触发器 …"), empty when nothing was.
QStringList upgrade(Database &database);
// The steps themselves, in one transaction: brings any database to
// CurrentVersion and the current shape, creating what is missing. Refuses
// a newer version and what upgrade() refuses; create() and upgrade() call
// it after checking what they were given. Returns what upgrade() returns.
QStringList ensure(Database &database);
// For restore: whether the database is a complete shop of this program,
// of this version or older, that upgrade() would take without building a
// table again. Returns the reason when it is not (a Chinese sentence
// naming the table or object, without the database's name), empty when it
// is. Changes nothing: an older shop is upgraded inside a transaction that
// is rolled back. Throws DbError only when the database cannot be read.
QString check(Database &database);
// Whether the database carries the version table, i.e. is a shop's.
bool isInstalled(Database &database);
// The version stored in the database, 0 when it has no schema yet.
int version(Database &database);
// The tables that hold the shop's records (the version table and the
// daily totals aside): what a migration copies.
QStringList tableNames();
// Whether every one of them is there.
bool isComplete(Database &database);

// The columns of a line in xfmx and jzmx alike, ID aside, in table order:
// settlement and its reversal move lines between the two by these names.
QStringList lineColumns();

// The right columns of 管理员, in the order sign-in reads them.
QStringList rightColumns();

} // namespace Schema
