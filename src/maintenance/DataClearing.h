#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class Database;
struct Operator;

// Emptying the business records a shop chooses: salary payments, settled
// bills with their lines, recharges, the goods catalogue, stock purchases.
// Open orders, plates, members, staff and operators are never touched.
namespace DataClearing {

enum class Records { Salaries, Bills, Recharges, Goods, Purchases };

inline constexpr auto Password = u"pmtr";
inline constexpr auto WrongPassword = u"密码错误!";

// The tick box caption of each kind of record, in the window's order.
QString caption(Records records);
QList<Records> all();

// The tables each kind empties, in the order they are emptied.
QStringList tables(Records records);

// Empties every chosen kind in one transaction: all of them or, when a
// statement fails, none. Needs the right to clear data.
void clear(const Operator &who, Database &database, const QList<Records> &chosen);

} // namespace DataClearing
