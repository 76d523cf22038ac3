#pragma once

#include <QString>
#include <QStringList>

class Database;
struct SoakTally;

// The shop a soak run works in, and the account of it afterwards.
namespace SoakShop {

constexpr int PlatesPerDesk = 6;
constexpr int Cards = 10;

// Each desk's plates: D<desk>P01 …
QString plate(int desk, int number);
QString card(int number); // 9001 …
QStringList employees();  // 001 …

// A hall, every desk's plates, three goods, three employees with a level,
// a member type with a rate and ten cards, each recharged once.
void prepare(Database &db, int desks);

// Prints what was done and met, the settlement times, and each check of
// the shop's state; true when every check held and no error was met.
bool report(const char *backend, Database &db, const SoakTally &tally);

} // namespace SoakShop
