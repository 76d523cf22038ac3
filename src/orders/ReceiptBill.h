#pragma once

#include "ReceiptText.h"

#include <QList>
#include <QString>
#include <QStringList>

class Clock;
class Database;
struct AppContext;

// What a receipt prints at the moment it is printed. The lines are read
// anew for every print, so a discount given since the last one shows.
namespace ReceiptBill {

// The open lines of the checkout list's plates that carry the bill number,
// in the order they were booked: what the checkout lists and sums up.
// Lines of other bills, lines not stamped with a number and lines of a
// plate outside the list (moved out, or another checkout's that got the
// same number) are not the bill's. An amount that is no number throws
// DbError naming it.
QList<ReceiptText::Line> readLines(Database &database, const QString &billNumber,
                                   const QStringList &plates);

// The checkout window's figures with the shop, the signed-in operator, the
// clock's time and the lines of the bill's number and plates filled in.
ReceiptText::Bill prepare(ReceiptText::Bill bill, Database &database, const AppContext &context,
                          const Clock &clock);

} // namespace ReceiptBill
