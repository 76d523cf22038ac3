#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

class Database;
struct ConnectionSettings;
struct Operator;

// Copies of the shop's database that can be trusted. A backup is made from
// the running database (SQLite's online backup, or pg_dump for the server),
// checked, and only then given the chosen name. A restore takes only a
// file that is a sound database of this program, and replaces the
// embedded file in one rename, keeping the previous one beside it.
// Neither ever opens, writes or renames the open database or its journal
// files (see LiveFiles). Failures throw Refusal with the reason; nothing is
// replaced then.
namespace Backup {

// What the save dialog proposes: the previous name (empty at first), then
// the date and "备份文件".
QString proposedName(const QString &previous, const QDate &today);

// Writes a verified copy of the database in use to `target`, replacing a
// file of that name only once the copy is complete and checked. What an
// interrupted backup to the same name left behind is removed first. Needs
// the right to back up.
void backUp(const Operator &who, Database &database, const QString &target);

// When a backup file was made: the time it was last written, which a
// backup sets when it gives the copy its name. Read from the folder, never
// from the file itself.
QDateTime madeAt(const QString &file);

// Refuses the open database `databaseFile` and its journal files, and
// anything but a sound SQLite database of this program whose version this
// program reads.
void checkEmbedded(const QString &file, const QString &databaseFile);

// Puts a checked copy of `chosen` in place of `databaseFile`; the file it
// replaces (with its journal files) is renamed to a dated copy beside it,
// whose path is returned. The program's connection must be closed. Needs
// the right to restore.
QString restoreEmbedded(const Operator &who, const QString &chosen, const QString &databaseFile,
                        const QDateTime &now);

} // namespace Backup
