#pragma once

#include <QString>

// Which sheet of an .xls file Excel shows on opening it: the active tab of
// the workbook's first window (WINDOW1's itabCur), counted among all its
// sheets as freexl counts them, or the first worksheet when the active tab
// is a chart or a macro sheet. freexl does not report it, so the workbook
// stream is found in the compound file and its global records are read
// here. 0 when the file does not say, or cannot be read: freexl then tells
// what is wrong with it.
namespace XlsActiveSheet {

unsigned int index(const QString &path);

} // namespace XlsActiveSheet
