#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class Dialect;

// The shop's database as this version of the program builds it: every
// table with its columns and their types, every index and trigger. Schema
// creates a new shop from it and holds every opened or restored shop
// against it. Column kinds are written in braces ({TEXT}, {MONEY}, …) and
// filled in by the dialect.
namespace SchemaCatalogue {

struct Column
{
    QString name;
    QString definition; // as written, name included: "号牌 {TEXT} not null unique"
    // The type the database reports for the column: "numeric(19,4)" on
    // PostgreSQL, "numeric" on SQLite, …
    QString storedType(const Dialect &dialect) const;
};

struct Table
{
    QString name;
    QList<Column> columns;
    // Built again, empty, when a shop lacks it. 管理员 is not: a shop
    // without its operators is one nobody can sign in to.
    bool rebuildable = true;
    QStringList columnNames() const;
    QString createStatement(const Dialect &dialect) const;
};

struct Index
{
    QString name;
    QString table;
    QStringList columns;
    bool unique = false;
    QString createStatement() const;
};

// schema_version first, then the shop's tables, then the daily totals.
const QList<Table> &tables();
const Table *table(const QString &name);
const QList<Index> &indexes();
// The triggers, all on jzmx (SettledTotals).
QStringList triggerNames();

// The tables that hold the shop's own records, in the order they are
// listed (no version table, no totals).
QStringList shopTables();
// The columns of a line in xfmx and jzmx alike, ID aside, as written.
QString lineColumns();

// Fills the braces of a column list with the dialect's types.
QString fill(const Dialect &dialect, QString columns);

} // namespace SchemaCatalogue
