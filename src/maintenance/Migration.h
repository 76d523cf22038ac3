#pragma once

#include <QList>
#include <QString>

class Database;

// Moving a one-machine shop onto the server: every table of the embedded
// database copied into an empty server database.
namespace Migration {

struct Copied
{
    QString table;
    qint64 rows = 0;
};

// Creates the schema in `to` (which must be empty) and copies every row of
// every table of `from`, at the same schema version, in one transaction:
// identity numbers are kept and the server's sequences moved past them,
// and the row count of every table is compared before the commit. Throws
// DbError, leaving `to` empty, when anything differs or fails.
QList<Copied> copy(Database &from, Database &to);

} // namespace Migration
