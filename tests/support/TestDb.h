#pragma once

#include "db/Database.h"

#include <QCoreApplication>
#include <QObject>

#include <memory>

// Runs database tests on every backend at hand: SQLite always, PostgreSQL
// when SALONDESK_TEST_PG holds a connection ("host=… port=… dbname=…
// user=… password=…"). Each test asks for a fresh, empty schema.
namespace TestDb {

// The backend the current pass runs on.
Backend backend();
QString backendName();
// A new database with the program's schema and no rows.
std::unique_ptr<Database> fresh();
// Settings for a new empty database without the schema (a new SQLite file
// or a new PostgreSQL schema), for tests that create it themselves.
ConnectionSettings freshSettings();
// Runs the test object once per backend; the exit code of QTest::qExec.
int run(QObject *test, int argc, char **argv);

} // namespace TestDb

// For logic tests.
#define SALONDESK_DB_TEST_MAIN(TestClass)                                      \
    int main(int argc, char **argv)                                            \
    {                                                                          \
        QCoreApplication app(argc, argv);                                      \
        TestClass test;                                                        \
        return TestDb::run(&test, argc, argv);                                 \
    }

// For window tests; the file includes <QApplication>.
#define SALONDESK_DB_GUI_TEST_MAIN(TestClass)                                  \
    int main(int argc, char **argv)                                            \
    {                                                                          \
        QApplication app(argc, argv);                                          \
        TestClass test;                                                        \
        return TestDb::run(&test, argc, argv);                                 \
    }
