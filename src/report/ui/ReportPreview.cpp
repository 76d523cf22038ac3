#include "ReportPreview.h"

#include "common/Clock.h"
#include "report/ListReport.h"

#include <QGuiApplication>
#include <QPrintPreviewDialog>
#include <QScreen>
#include <QPrinter>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace ReportPreview {

void exec(const ListReport &shown, const Clock &clock, QWidget *parent)
{
    ListReport report = shown;
    report.setPrintedAt(clock.now());

    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(report.pageLayout());
    if (!report.titles().isEmpty())
        printer.setDocName(report.expand(report.titles().first().text));

    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(u"打印预览"_s);
    // Big enough to read a page without zooming first.
    if (const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        dialog.resize(area.width() * 4 / 5, area.height() * 9 / 10);
    }
    // The preview and the print run both paint through here, so what is
    // printed is what was previewed.
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&report](QPrinter *target) { report.render(*target); });
    dialog.exec();
}

} // namespace ReportPreview
