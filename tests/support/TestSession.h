#pragma once

#include "support/TestDb.h"

#include "common/Clock.h"
#include "db/ChangeFeed.h"
#include "session/AppContext.h"
#include "session/IniFile.h"
#include "session/Session.h"
#include "support/RecordingFileOpener.h"
#include "support/ScriptedPrompt.h"

#include <QSettings>
#include <QTemporaryDir>

// Everything a window needs, scripted: a fresh database with its change
// feed, a settings file in a temporary folder, a prompt that records, a
// fixed clock.
struct TestSession
{
    TestSession()
        : database(TestDb::fresh())
        , ini(dir.filePath(QStringLiteral("system.ini")))
        , clock(QDateTime(QDate(2024, 3, 1), QTime(8, 0)))
        , changes(*database)
        , session{context, database.get(), QString(), ini, prompt, clock, opener, &changes}
    {
        context.ProgramDir = dir.path();
        context.SoftName = QStringLiteral("美容美发管理系统");
        context.DbKind = QStringLiteral("a");
        // What a window keeps for the user (the last export folder) stays
        // in this test's folder.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           dir.filePath(QStringLiteral("config")));
    }

    QTemporaryDir dir;
    std::unique_ptr<Database> database;
    AppContext context;
    IniFile ini;
    ScriptedPrompt prompt;
    FixedClock clock;
    RecordingFileOpener opener;
    ChangeFeed changes;
    Session session;
};
