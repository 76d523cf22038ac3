#pragma once

#include "AppContext.h"
#include "db/Database.h"

class ChangeFeed;
class Clock;
class FileOpener;
class IniFile;
class Prompt;

// What every window is handed: the context, the one database connection
// with its change feed, the settings file and the replaceable outside world
// (prompt, clock, file opener).
struct Session
{
    AppContext &context;
    Database *database; // null when the connection could not be opened
    QString databaseError;
    IniFile &ini;
    Prompt &prompt;
    Clock &clock;
    FileOpener &opener;
    // What the windows follow to show changes committed here and at other
    // workstations; null without a database (and in tests that do without).
    ChangeFeed *changes = nullptr;

    // The database, or DbError with the reason it could not be opened.
    Database &db() const
    {
        if (!database)
            throw DbError(databaseError);
        return *database;
    }
};
