#pragma once

#include "ExcelExporter.h"

#include <functional>

class FileOpener;
class Prompt;
class QAbstractItemModel;

// The program's Excel export, behind every list's "Excel" button: columns
// firstColumn..lastColumn of the model go into a new workbook in the
// temporary folder, which is then opened with the desktop's spreadsheet
// program for the operator to keep or discard. The workbook file stays
// until the program ends.
//
// Every outcome is shown through `prompt`: "系统没excel，不能导出Excel！"
// when nothing can open the workbook, the file and the reason when it
// cannot be written. A cancelled export shows nothing. Returns true when
// the workbook was opened. `writingDone` runs once the writing is over,
// before anything is shown or opened (the progress dialog closes there).
bool ExportToExcel(QAbstractItemModel &model, int firstColumn, int lastColumn, Prompt &prompt,
                   FileOpener &opener, const ExcelExporter &exporter = ExcelExporter(),
                   const std::function<void()> &writingDone = {});
