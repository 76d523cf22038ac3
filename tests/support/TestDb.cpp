#include "TestDb.h"

#include "db/Schema.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

Backend currentBackend = Backend::Sqlite;
std::unique_ptr<QTemporaryDir> sqliteDir;
QStringList pgSchemas;
int fileCounter = 0;

ConnectionSettings pgSettingsFromEnvironment()
{
    return ConnectionSettings::fromPostgresKeywords(qEnvironmentVariable("SALONDESK_TEST_PG"));
}

void dropPgSchemas()
{
    if (pgSchemas.isEmpty())
        return;
    try {
        auto database = Database::open(pgSettingsFromEnvironment());
        for (const QString &schema : std::as_const(pgSchemas))
            database->exec(u"drop schema if exists "_s + schema + u" cascade"_s);
    } catch (const DbError &error) {
        std::fprintf(stderr, "could not drop test schemas: %s\n", error.what());
    }
    pgSchemas.clear();
}

} // namespace

namespace TestDb {

Backend backend()
{
    return currentBackend;
}

QString backendName()
{
    return currentBackend == Backend::Postgres ? u"postgresql"_s : u"sqlite"_s;
}

ConnectionSettings freshSettings()
{
    if (currentBackend == Backend::Postgres) {
        ConnectionSettings settings = pgSettingsFromEnvironment();
        settings.schema = u"t_"_s + QUuid::createUuid().toString(QUuid::Id128).left(16);
        pgSchemas.append(settings.schema);
        return settings;
    }
    if (!sqliteDir)
        sqliteDir = std::make_unique<QTemporaryDir>();
    ConnectionSettings settings;
    settings.backend = Backend::Sqlite;
    settings.filePath = sqliteDir->filePath(u"test-"_s + QString::number(++fileCounter) + u".db"_s);
    return settings;
}

std::unique_ptr<Database> fresh()
{
    auto database = Database::open(freshSettings());
    Schema::create(*database);
    return database;
}

int run(QObject *test, int argc, char **argv)
{
    QList<Backend> backends{Backend::Sqlite};
    if (!qEnvironmentVariableIsEmpty("SALONDESK_TEST_PG"))
        backends.append(Backend::Postgres);
    else
        std::printf("SALONDESK_TEST_PG is not set: PostgreSQL pass skipped\n");

    int failures = 0;
    for (Backend each : backends) {
        currentBackend = each;
        std::printf("=== backend: %s ===\n", qPrintable(backendName()));
        std::fflush(stdout);
        failures += QTest::qExec(test, argc, argv);
        dropPgSchemas();
    }
    sqliteDir.reset();
    return failures;
}

} // namespace TestDb
