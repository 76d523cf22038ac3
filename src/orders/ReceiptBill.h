#pragma once

#include "ReceiptText.h"

#include <QList>
#include <QString>

class Clock;
class Database;
struct AppContext;

// What a receipt prints at the moment it is printed. The lines are read
// anew for every print, so a discount given since the last one shows.
namespace ReceiptBill {

// The open lines that carry the bill number, in the order they were booked.
// Lines of other bills and lines not stamped with a number are not the
// bill's. An amount that is no number throws DbError naming it.
QList<ReceiptText::Line> readLines(Database &database, const QString &billNumber);

// The checkout window's figures with the shop, the signed-in operator, the
// clock's time and the bill's lines filled in.
ReceiptText::Bill prepare(ReceiptText::Bill bill, Database &database, const AppContext &context,
                          const Clock &clock);

} // namespace ReceiptBill
