#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

class Database;

// The bill number: the moment a checkout was shown, "yyyyMMddhhmmss", as
// the bills, their lines and every workstation store it. An open checkout
// stamps its lines with its number, a settled bill keeps it; no two of
// them may share one, though two workstations may show their checkouts in
// the same second. A number that belongs to someone else moves on to the
// next second's.
namespace BillNumber {

QString fromMoment(const QDateTime &moment);

// The next second's number; a number that is no moment gets "-1" added.
QString next(const QString &number);

// Holds back every other workstation that chooses a number until the
// current write transaction ends (LockRank::BillNumber): PostgreSQL takes a
// transaction-level advisory lock, SQLite's write transactions already run
// one at a time.
void lock(Database &database);

// Whether the number belongs to someone other than the checkout of
// `plates`: a bill has it, or an open line of another plate carries it.
bool taken(Database &database, const QString &number, const QStringList &plates);

// `number`, or the first number after it that is not taken. Run it under
// lock() so that no other workstation chooses between the check and the
// stamp or insert.
QString firstFree(Database &database, QString number, const QStringList &plates);

} // namespace BillNumber
