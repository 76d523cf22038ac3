#pragma once

#include "export/ExcelExporter.h"

class FileOpener;
class Prompt;
class QAbstractItemModel;
class QWidget;

// What a window's "Excel" button calls: ExportToExcel over every column of
// the model, with a progress dialog over `parent` when the export takes a
// while. The dialog keeps the window painted and can cancel the export.
namespace ExcelExport {

bool run(QWidget *parent, Prompt &prompt, FileOpener &opener, QAbstractItemModel &model,
         ExcelExporter exporter = ExcelExporter());

} // namespace ExcelExport
