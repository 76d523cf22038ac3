#include "ReportPreview.h"

#include "common/Clock.h"
#include "report/ListReport.h"

#include <QGuiApplication>
#include <QPaintEngine>
#include <QPrintPreviewDialog>
#include <QProgressDialog>
#include <QScreen>
#include <QTimer>
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
    // A long list takes a while to lay out: the pages are counted in a
    // progress dialog over the preview, and 取消 stops there. A print that
    // is stopped is taken back from the printer, and the preview closes
    // rather than show half a list.
    QProgressDialog progress(u"正在排版…"_s, u"取消"_s, 0, 0, &dialog);
    progress.setWindowTitle(u"打印预览"_s);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(800);
    progress.setAutoReset(false);
    progress.setAutoClose(false);

    // The preview and the print run both paint through here, so what is
    // printed is what was previewed.
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&report, &progress, &dialog](QPrinter *target) {
                         progress.reset();
                         const bool whole = report.render(*target, [&progress](int page, int pages) {
                             progress.setMaximum(pages);
                             progress.setLabelText(u"正在排版第 %1 页，共 %2 页…"_s.arg(page).arg(pages));
                             // A window-modal dialog runs the event loop here.
                             progress.setValue(page);
                             return !progress.wasCanceled();
                         });
                         const bool stopped = progress.wasCanceled();
                         progress.reset();
                         progress.hide();
                         if (whole || !stopped)
                             return;
                         // The preview draws into pictures; a printer or a
                         // file is told to drop what it was given.
                         const QPaintEngine *engine = target->paintEngine();
                         if (engine && engine->type() != QPaintEngine::Picture)
                             target->abort();
                         QTimer::singleShot(0, &dialog, &QDialog::reject);
                     });
    dialog.exec();
}

} // namespace ReportPreview
