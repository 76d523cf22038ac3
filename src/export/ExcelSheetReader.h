#pragma once

#include "ExcelSheet.h"

#include <QString>

// Reads a workbook straight from its file, with no spreadsheet program:
// .xlsx through its zipped XML (minizip, and SheetXmlScanner for the
// sheet itself), .xls (Excel 97 to 2003, and older BIFF files) through
// freexl. The content decides the format, not the name.
//
// The sheet read is the one Excel shows on opening the workbook: the
// active sheet of an .xlsx. freexl does not report the active sheet of an
// .xls, so there it is the first worksheet.
//
// A file that cannot be read throws Refusal naming the file and why, in
// the user's words; a damaged file never ends the program.
namespace ExcelSheetReader {

ExcelSheet read(const QString &path);

} // namespace ExcelSheetReader
