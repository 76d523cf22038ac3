#pragma once

#include "export/ExcelExporter.h"

class FileOpener;
class Prompt;
class QAbstractItemModel;
class QWidget;

// What a window's "Excel" button calls: the 另存为 question, then
// ExportToExcelFile over every column of the model, named after the
// caption of `parent`'s window, with a progress dialog over it when the
// writing takes a while. The dialog keeps the window painted and can
// cancel the export. True when the workbook was written.
namespace ExcelExport {

bool run(QWidget *parent, Prompt &prompt, FileOpener &opener, QAbstractItemModel &model,
         ExcelExporter exporter = ExcelExporter());

} // namespace ExcelExport
