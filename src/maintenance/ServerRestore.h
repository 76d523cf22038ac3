#pragma once

#include <QString>

#include <chrono>

struct ConnectionSettings;
struct Operator;

// Restoring the server's shop from a pg_dump archive. The archive is first
// restored into a scratch database of its own on the same server and held
// against the catalogue there (Schema::check: a shop of this program, of
// this version or older, with all of its tables and nothing foreign); only
// then does it replace the shop, in one transaction that waits for the
// other workstations' locks no longer than a time-out, and is then
// cancelled with the names of the sessions it waited for. Failures throw
// Refusal with a Chinese reason (pg_restore's own words only as a detail);
// the shop is unchanged then.
namespace ServerRestore {

// How long the restore waits for a table that another session holds.
inline constexpr std::chrono::milliseconds LockTimeout{std::chrono::seconds(15)};

// Needs the right to restore.
void restore(const Operator &who, const ConnectionSettings &settings, const QString &archive,
             std::chrono::milliseconds lockTimeout = LockTimeout);

} // namespace ServerRestore
