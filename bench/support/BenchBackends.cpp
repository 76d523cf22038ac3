#include "BenchBackends.h"

#include "db/Database.h"

#include <QTemporaryDir>
#include <QUuid>

#include <cstdio>

using namespace Qt::StringLiterals;

ConnectionSettings benchSchema(const QString &connection, const char *name)
{
    ConnectionSettings settings = ConnectionSettings::fromPostgresKeywords(connection);
    settings.schema = QString::fromLatin1(name) + u'_'
        + QUuid::createUuid().toString(QUuid::Id128).left(12);
    return settings;
}

void dropBenchSchema(const ConnectionSettings &settings)
{
    try {
        ConnectionSettings plain = settings;
        plain.schema.clear();
        Database::open(plain)->exec(u"drop schema if exists "_s + settings.schema + u" cascade"_s);
    } catch (const DbError &error) {
        std::printf("could not drop %s: %s\n", qPrintable(settings.schema), qPrintable(error.text()));
    }
}

int runOnBackends(const char *name, const std::function<void(const char *backend, Database &db)> &run)
{
    try {
        QTemporaryDir dir;
        ConnectionSettings sqlite;
        sqlite.backend = Backend::Sqlite;
        sqlite.filePath = dir.filePath(u"bench.db"_s);
        auto db = Database::open(sqlite);
        run("sqlite", *db);
    } catch (const DbError &error) {
        std::printf("sqlite: %s\n", qPrintable(error.text()));
        return 1;
    }

    const QString connection = qEnvironmentVariable("SALONDESK_TEST_PG");
    if (connection.isEmpty()) {
        std::printf("SALONDESK_TEST_PG is not set: PostgreSQL skipped\n");
        return 0;
    }
    const ConnectionSettings settings = benchSchema(connection, name);
    int status = 0;
    try {
        auto db = Database::open(settings);
        run("postgresql", *db);
    } catch (const DbError &error) {
        std::printf("postgresql: %s\n", qPrintable(error.text()));
        status = 1;
    }
    dropBenchSchema(settings);
    return status;
}
