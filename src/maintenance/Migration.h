#pragma once

#include <QList>
#include <QString>

#include <functional>

class Database;

// Moving a one-machine shop onto the server: every table of the embedded
// database copied into an empty server database.
namespace Migration {

struct Copied
{
    QString table;
    qint64 rows = 0;
};

// Told as a table begins, after every block of its rows, and once it is
// complete with its indexes: the table, the rows copied so far and the
// rows the embedded database holds in it.
using Progress = std::function<void(const QString &table, qint64 copied, qint64 total)>;

// Creates the schema in `to` (which must be empty) and copies every row of
// every table of `from`, at the same schema version, in one transaction:
// identity numbers are kept and the server's sequences moved past every
// number the shop has used, and the row count of every table is compared
// before the commit. Throws DbError, leaving `to` empty, when anything
// differs or fails; a row the server refuses is named by its table and key.
QList<Copied> copy(Database &from, Database &to, const Progress &progress = {});

} // namespace Migration
