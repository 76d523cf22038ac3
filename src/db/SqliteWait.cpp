#include "SqliteWait.h"

#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>

#include <sqlite3.h>

#include <chrono>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// One per thread: a connection is used by one thread at a time, and its
// waits never overlap.
thread_local Clock::time_point waitStarted;

int waitForWriter(void *, int tries)
{
    const Clock::time_point now = Clock::now();
    if (tries == 0)
        waitStarted = now;
    else if (now - waitStarted >= std::chrono::milliseconds(SqliteWait::TimeoutMs))
        return 0;
    const auto pause = std::chrono::microseconds(500 + QRandomGenerator::global()->bounded(1000));
    std::this_thread::sleep_for(pause);
    return 1;
}

} // namespace

void SqliteWait::install(const QSqlDatabase &db)
{
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return;
    if (auto *connection = *static_cast<sqlite3 *const *>(handle.data()))
        sqlite3_busy_handler(connection, waitForWriter, nullptr);
}
