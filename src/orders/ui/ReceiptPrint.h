#pragma once

#include "orders/ReceiptText.h"

class QWidget;
struct Session;

// The checkout window's "打印[F1]".
namespace ReceiptPrint {

// Prints the receipt of the bill the window shows: its figures as given,
// the lines of its plates that carry its bill number read afresh, the shop
// and operator from the session's context and the time from its clock. `preview` shows
// the receipt in the print preview; otherwise its bytes go straight to the
// receipt printer's port. A port that cannot be written or a database
// error is shown through the session's prompt and ends only the print.
void print(Session &session, const ReceiptText::Bill &bill, bool preview, QWidget *parent);

} // namespace ReceiptPrint
