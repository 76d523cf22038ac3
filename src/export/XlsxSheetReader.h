#pragma once

#include "ExcelSheet.h"

#include <QString>

// The active sheet of an .xlsx file: shared strings, inline strings,
// numbers, dates (told by the cell's number format), booleans, error
// values and the cached results of formulas; cells as ExcelSheetBuilder
// keeps them. Throws Refusal with the reason alone; ExcelSheetReader names
// the file.
namespace XlsxSheetReader {

ExcelSheet read(const QString &path, int keptColumns);

} // namespace XlsxSheetReader
