#pragma once

#include "AppContext.h"
#include "db/ConnectionSettings.h"

#include <QList>
#include <QString>

#include <memory>
#include <optional>
#include <utility>

class Database;
class IniFile;

// The start-up steps that touch no window: reading system.ini into the
// context, choosing and opening the database, reading the shop.
namespace Startup {

// The settings read at start, in the order the program has always read them.
void readConfiguration(const IniFile &ini, AppContext &context);

// "Key=value;" for each pair, in order, each value quoted the way OLE DB
// reads it back where it has to be: one holding ";" or a quote, or starting
// or ending with blanks, goes in double quotes (inner ones doubled), or in
// single quotes when it holds double quotes but no single ones.
QString connectionText(const QList<std::pair<QString, QString>> &parts);

// Maps a connection text onto our own connection. Keys match without regard
// to case and surrounding blanks; quoted values are read as connectionText()
// writes them. "csaccess" names the SQLite file by Data Source= (relative to
// the program's folder); "cs" names the PostgreSQL server (host, host,port or
// host:port), Initial Catalog=, User ID= and Password=. Returns nothing when
// the text names no database.
std::optional<ConnectionSettings> mapConnection(const QString &dbKind, const QString &connectionText,
                                                const QString &programDir);

struct Opened
{
    std::unique_ptr<Database> database; // null when opening failed
    QString error;                      // why, when it failed
    // The database could not be reached at all (no data source, no file,
    // no server), as opposed to reached and refused.
    bool connectionFailed = false;
};

// Opens the database the context names, upgrades it in place and holds it
// against the current shape (Schema::upgrade): a missing table, index or
// trigger is built again in that shape; a database that is not a shop's,
// or a shop with a view for a table, foreign triggers, views or rules, or
// columns that differ, is refused with the reason, never turned into an
// empty shop or half taken. Only when the server cannot be reached does it
// write "a" to part1/abc, so the next start uses the embedded database.
Opened openDatabase(const AppContext &context, IniFile &ini);

// Shop name, telephone and address from sysinfo; NULL reads as empty.
void readShop(Database &database, AppContext &context);

} // namespace Startup
