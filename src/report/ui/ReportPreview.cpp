#include "ReportPreview.h"

#include "report/ListReport.h"

#include <QPrintPreviewDialog>
#include <QPrinter>

using namespace Qt::StringLiterals;

namespace ReportPreview {

void exec(const ListReport &report, QWidget *parent)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(report.pageLayout());
    if (!report.titles().isEmpty())
        printer.setDocName(report.expand(report.titles().first().text));

    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(u"打印预览"_s);
    // The preview and the print run both paint through here, so what is
    // printed is what was previewed.
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&report](QPrinter *target) { report.render(*target); });
    dialog.exec();
}

} // namespace ReportPreview
