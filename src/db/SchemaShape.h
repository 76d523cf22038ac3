#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

class Database;

// What a database holds, read from its own catalogue (sqlite_master and
// the pragmas on SQLite, pg_catalog on PostgreSQL, in the connection's
// schema): every named object and its kind, the columns of every table,
// every index, trigger, function and rule. Objects an extension brought
// are left out. Object names are held in lower case, as both databases
// match them. Schema compares it with the catalogue of this version;
// tests compare two databases by it.
namespace SchemaShape {

struct Column
{
    QString name;
    QString type;         // as the database reports it, lower case
    bool notNull = false;
    QString defaultValue; // "identity" for an identity column
};

struct Index
{
    QString table;
    QStringList columns;
    bool unique = false;
};

struct Trigger
{
    QString table;
    // The statement that creates it, schema names and quotes taken out,
    // blanks made single, lower case; " disabled" added when it is off.
    QString definition;
};

struct Shape
{
    // Object name → "table", "view", "index", "trigger", "sequence" or
    // "other". SQLite's own objects (sqlite_…) are left out.
    QMap<QString, QString> kinds;
    QMap<QString, QList<Column>> columns; // of the tables
    QMap<QString, Index> indexes;         // constraint indexes too
    QMap<QString, Trigger> triggers;
    QMap<QString, QString> functions;     // PostgreSQL: name → body
    QStringList rules;                    // PostgreSQL: "table rule"

    // Everything above, one line an object or column, sorted, for
    // comparing two databases.
    QStringList lines() const;
};

Shape read(Database &database);

// A trigger's statement written the way Trigger::definition holds it.
QString normalized(QString statement, const QString &schema = {});

} // namespace SchemaShape
