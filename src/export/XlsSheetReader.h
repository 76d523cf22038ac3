#pragma once

#include "ExcelSheet.h"

#include <QString>

// The first worksheet of an .xls file, through freexl. Throws Refusal with
// the reason alone; ExcelSheetReader names the file.
namespace XlsSheetReader {

ExcelSheet read(const QString &path);

} // namespace XlsSheetReader
