#pragma once

#include <QString>

enum class Backend { Sqlite, Postgres };

// Where the one database of a run lives.
struct ConnectionSettings
{
    Backend backend = Backend::Sqlite;
    // SQLite: the database file.
    QString filePath;
    // PostgreSQL: the server and login.
    QString host;
    int port = 5432;
    QString database;
    QString user;
    QString password;
    // PostgreSQL: a schema to work in instead of "public" (tests use one
    // schema each). Created when missing.
    QString schema;

    // A PostgreSQL connection written the libpq way, "host=… port=…
    // dbname=… user=… password=…" (how the tests and benchmarks are told
    // where their server is). The host defaults to 127.0.0.1.
    static ConnectionSettings fromPostgresKeywords(const QString &keywords);
};
