#pragma once

#include "ExcelExporter.h"

#include <QDate>
#include <QString>

#include <functional>

class FileOpener;
class Prompt;
class QAbstractItemModel;

// The program's Excel export, behind every list's "Excel" button. The
// operator names the workbook in a 另存为 dialog that proposes
// "<window caption>_<yyyyMMdd>.xlsx" in the folder of the last export (kept
// in the user's own settings, not in system.ini); columns
// firstColumn..lastColumn of the model go into it, on a sheet named after
// the window. No spreadsheet program is needed for that: once it is
// written the operator is offered to open it where the desktop has a
// program for workbooks, and told where it is otherwise.
namespace ExcelExportFlow {

// The file name proposed for a window's export: its caption with the
// characters no file name may hold replaced, "_", the date, ".xlsx".
QString proposedName(const QString &title, const QDate &date);

// The folder the last export went to; empty before the first one. Kept
// per user (QSettings), so another operator's machine account keeps its own.
QString lastFolder();
void rememberFolder(const QString &folder);

// Asks where to save the workbook for the window `title`; empty when the
// operator cancelled. A name typed without a suffix gets ".xlsx".
QString askPath(const QString &title, Prompt &prompt, const QDate &date = QDate::currentDate());

} // namespace ExcelExportFlow

// The whole export after the file has been chosen: writes `path`, remembers
// its folder and offers to open it. Every outcome is shown through
// `prompt`: the file and the reason when it cannot be written, where it
// went when nothing can open it. A cancelled export shows nothing and
// writes nothing. `writingDone` runs once the writing is over, before
// anything is shown or opened (the progress dialog closes there). Returns
// true when the workbook was written.
bool ExportToExcelFile(QAbstractItemModel &model, int firstColumn, int lastColumn,
                       const QString &title, const QString &path, Prompt &prompt,
                       FileOpener &opener, ExcelExporter exporter = ExcelExporter(),
                       const std::function<void()> &writingDone = {});

// Asks for the file (ExcelExportFlow::askPath) and exports into it; false
// when the operator cancelled or the export failed.
bool ExportToExcel(QAbstractItemModel &model, int firstColumn, int lastColumn, const QString &title,
                   Prompt &prompt, FileOpener &opener, const ExcelExporter &exporter = ExcelExporter(),
                   const std::function<void()> &writingDone = {});
