#pragma once

#include <QString>

class Database;

// A copy of the open embedded database made by SQLite's online backup, on
// the program's own connection: consistent, with what the write-ahead log
// still holds, and without opening the database file a second time (which
// would drop the connection's locks, see LiveFiles).
namespace OnlineBackup {

// Writes the copy to `file`, which must not exist yet. Throws Refusal with
// the system's and SQLite's reasons; a half-written file stays for the
// caller to remove.
void copyTo(Database &database, const QString &file);

} // namespace OnlineBackup
