#pragma once

#include "db/ConnectionSettings.h"

#include <functional>

class Database;

// A PostgreSQL schema of its own on the server SALONDESK_TEST_PG names
// (`connection`), its name prefixed by `name`; and its removal, which
// reports and does not throw.
ConnectionSettings benchSchema(const QString &connection, const char *name);
void dropBenchSchema(const ConnectionSettings &settings);

// Runs a benchmark on a new SQLite file and, when SALONDESK_TEST_PG names
// a server, again in a PostgreSQL schema of its own that is dropped
// afterwards. `name` prefixes that schema. The exit code for main().
int runOnBackends(const char *name, const std::function<void(const char *backend, Database &db)> &run);
