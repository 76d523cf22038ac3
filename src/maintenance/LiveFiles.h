#pragma once

#include <QString>
#include <QStringList>

// The files that SQLite holds for the open database: the file itself and
// its -wal, -shm and -journal. On Linux a process loses all its locks on a
// file when it closes any descriptor of it, so nothing but SQLite may open
// these files, and no backup or restore may write, rename or remove one.
namespace LiveFiles {

// The database file and its journal files, beside the given path and
// beside the real file that path leads to.
QStringList of(const QString &databaseFile);

// Whether `path` is one of them: by real path (through symbolic links) and,
// for a file that exists, by identity (a hard link too). A file not yet
// there is compared by the real path of its folder.
bool isOneOf(const QString &path, const QString &databaseFile);

// Whether this process has `path` open, under whatever name; always false
// for a file that does not exist.
bool heldOpen(const QString &path);

} // namespace LiveFiles
