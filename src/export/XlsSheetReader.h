#pragma once

#include "ExcelSheet.h"

#include <QString>

// The active worksheet of an .xls file, through freexl; cells as
// ExcelSheetBuilder keeps them. Throws Refusal with the reason alone;
// ExcelSheetReader names the file.
namespace XlsSheetReader {

ExcelSheet read(const QString &path, int keptColumns);

} // namespace XlsSheetReader
