#pragma once

#include <functional>

class Database;

// Runs a benchmark on a new SQLite file and, when SALONDESK_TEST_PG names
// a server, again in a PostgreSQL schema of its own that is dropped
// afterwards. `name` prefixes that schema. The exit code for main().
int runOnBackends(const char *name, const std::function<void(const char *backend, Database &db)> &run);
