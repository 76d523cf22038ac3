#pragma once

class QSqlDatabase;

// How a connection to the shop's file waits for another workstation's
// write. SQLite's own waiting sleeps ever longer, up to 100 ms between
// tries, so a workstation that writes often takes the file again before
// one that waits wakes up: at two busy desks the other waits out its
// time-out and shows "database is locked". This wait looks again every
// millisecond or so, with a little jitter so that two waiters do not keep
// step, and gives up after the same five seconds.
namespace SqliteWait {

constexpr int TimeoutMs = 5000;

// For an open QSQLITE connection; does nothing for any other.
void install(const QSqlDatabase &db);

} // namespace SqliteWait
