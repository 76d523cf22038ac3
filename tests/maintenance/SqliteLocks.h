#pragma once

#include <QString>

// What another process sees of this process's SQLite locks on a database in
// write-ahead-log mode: the read lock on the database file's shared range
// and the one on the -shm file that says the log is in use. A connection
// holds both as long as it is open; losing them lets another process
// delete the log under it.
namespace SqliteLocks {

// Empty when a child process finds both locks held by this process;
// otherwise which are missing.
QString missing(const QString &databaseFile);

} // namespace SqliteLocks
