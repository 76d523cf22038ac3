#pragma once

#include "ExcelSheet.h"
#include "ExcelSheetBuilder.h"

#include <QString>

// Reads a workbook straight from its file, with no spreadsheet program:
// .xlsx through its zipped XML (minizip, and SheetXmlScanner for the
// sheet itself), .xls (Excel 97 to 2003, and older BIFF files) through
// freexl. The content decides the format, not the name.
//
// The sheet read is the one Excel shows on opening the workbook: the
// active sheet, or the first worksheet when the active one is a chart.
//
// Row 1 (the titles) is kept whole, later rows only up to `keptColumns`:
// the goods import reads nine columns, and a value far to the right then
// costs nothing. A workbook too large to read safely is refused, saying
// which limit it passed.
//
// A file that cannot be read throws Refusal naming the file and why, in
// the user's words; a damaged file never ends the program.
namespace ExcelSheetReader {

ExcelSheet read(const QString &path, int keptColumns = ExcelSheetBuilder::AllColumns);

} // namespace ExcelSheetReader
