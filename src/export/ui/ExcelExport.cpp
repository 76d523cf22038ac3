#include "ExcelExport.h"

#include "export/ExportToExcel.h"

#include <QAbstractItemModel>
#include <QProgressDialog>

using namespace Qt::StringLiterals;

namespace ExcelExport {

bool run(QWidget *parent, Prompt &prompt, FileOpener &opener, QAbstractItemModel &model,
         ExcelExporter exporter)
{
    QProgressDialog progress(u"正在导出Excel…"_s, u"取消"_s, 0, 0, parent);
    progress.setWindowTitle(u"导出Excel"_s);
    progress.setWindowModality(Qt::WindowModal);
    // Short exports finish before the dialog would appear.
    progress.setMinimumDuration(800);
    progress.setAutoReset(false);
    progress.setAutoClose(false);

    exporter.setProgress([&progress](int done, int total) {
        // While rows are still being fetched the total is unknown (0), which
        // the dialog shows as a busy bar.
        if (progress.maximum() != total)
            progress.setRange(0, total);
        // A window-modal dialog runs the event loop in setValue.
        progress.setValue(done);
        return !progress.wasCanceled();
    });
    // The dialog goes before any message or the spreadsheet program shows:
    // left open, it would come up over them once its delay ran out.
    return ExportToExcel(model, 0, model.columnCount() - 1, prompt, opener, exporter,
                         [&progress] { progress.reset(); progress.hide(); });
}

} // namespace ExcelExport
