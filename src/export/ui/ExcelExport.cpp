#include "ExcelExport.h"

#include "export/ExportToExcel.h"

#include <QAbstractItemModel>
#include <QProgressDialog>
#include <QWidget>

#include <memory>

using namespace Qt::StringLiterals;

namespace ExcelExport {

bool run(QWidget *parent, Prompt &prompt, FileOpener &opener, QAbstractItemModel &model,
         ExcelExporter exporter)
{
    const QString title = parent ? parent->window()->windowTitle() : QString();
    const QString path = ExcelExportFlow::askPath(title, prompt);
    if (path.isEmpty())
        return false;

    // Made once the writing begins: a progress dialog counts its delay from
    // when it is made, and would come up over the file dialog.
    std::unique_ptr<QProgressDialog> progress;
    exporter.setProgress([&progress, parent](int done, int total) {
        if (!progress) {
            progress = std::make_unique<QProgressDialog>(u"正在导出Excel…"_s, u"取消"_s, 0, 0, parent);
            progress->setWindowTitle(u"导出Excel"_s);
            progress->setWindowModality(Qt::WindowModal);
            // Short exports finish before the dialog would appear.
            progress->setMinimumDuration(800);
            progress->setAutoReset(false);
            progress->setAutoClose(false);
        }
        // While rows are still being fetched the total is unknown (0), which
        // the dialog shows as a busy bar.
        if (progress->maximum() != total)
            progress->setRange(0, total);
        // A window-modal dialog runs the event loop in setValue.
        progress->setValue(done);
        return !progress->wasCanceled();
    });
    // The dialog goes before any message or the spreadsheet program shows:
    // left open, it would come up over them once its delay ran out.
    return ExportToExcelFile(model, 0, model.columnCount() - 1, title, path, prompt, opener,
                             exporter, [&progress] {
                                 if (progress) {
                                     progress->reset();
                                     progress->hide();
                                 }
                             });
}

} // namespace ExcelExport
