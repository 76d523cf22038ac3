#include "PdfText.h"

#include "common/Clock.h"
#include "report/ListReport.h"
#include "report/ui/ReportPreview.h"

#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProgressDialog>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

using namespace Qt::StringLiterals;

class TestReportUi : public QObject
{
    Q_OBJECT

private slots:
    void previewShowsTheReport_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("severalPages");
        QTest::newRow("short list") << 3 << false;
        QTest::newRow("long list") << 200 << true;
    }

    void previewShowsTheReport()
    {
        QFETCH(int, rows);
        QFETCH(bool, severalPages);
        QStandardItemModel model(0, 2);
        model.setHorizontalHeaderLabels({u"号牌"_s, u"合计"_s});
        for (int i = 0; i < rows; ++i)
            model.appendRow({new QStandardItem(u"A%1"_s.arg(i)), new QStandardItem(u"10"_s)});
        ListReport report;
        report.setModel(&model);
        report.addTitle(u"消费明细表"_s, 16);
        report.addColumn({u"号牌"_s, 0});
        report.addColumn({u"合计"_s, 1, 1, Qt::AlignRight, true});

        QWidget window;
        QString title;
        int pageCount = -1;
        // The preview is modal: look at it from inside its own event loop.
        QTimer::singleShot(0, &window, [&] {
            auto *dialog = qobject_cast<QPrintPreviewDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            title = dialog->windowTitle();
            if (auto *preview = dialog->findChild<QPrintPreviewWidget *>())
                pageCount = preview->pageCount();
            dialog->reject();
        });
        const FixedClock clock(QDateTime(QDate(2024, 3, 1), QTime(8, 0)));
        ReportPreview::exec(report, clock, &window);

        QCOMPARE(title, u"打印预览"_s);
        QVERIFY2(severalPages ? pageCount > 1 : pageCount == 1, qPrintable(QString::number(pageCount)));
    }

    // A long list is laid out under a progress dialog; 取消 there closes
    // the preview instead of showing the pages laid out so far.
    void cancelClosesALongPreview()
    {
        // Slow to read, as a long list fetched from a busy server is: the
        // layout takes longer than the moment after which the progress shows.
        class SlowModel : public QStandardItemModel
        {
        public:
            using QStandardItemModel::QStandardItemModel;
            QVariant data(const QModelIndex &index, int role) const override
            {
                if (role == Qt::DisplayRole)
                    QThread::usleep(1000);
                return QStandardItemModel::data(index, role);
            }
        };
        SlowModel model(0, 1);
        model.setHorizontalHeaderLabels({u"号牌"_s});
        for (int i = 0; i < 3000; ++i)
            model.appendRow(new QStandardItem(u"A%1"_s.arg(i)));
        ListReport report;
        report.setModel(&model);
        report.addColumn({u"号牌"_s, 0});

        QWidget window;
        bool cancelled = false;
        bool leftOpen = false;
        // The progress dialog runs the event loop while it counts pages:
        // the operator presses 取消 once it shows.
        QTimer look;
        QObject::connect(&look, &QTimer::timeout, &window, [&] {
            for (QWidget *shown : QApplication::topLevelWidgets()) {
                auto *progress = qobject_cast<QProgressDialog *>(shown);
                if (progress && progress->isVisible() && !cancelled) {
                    progress->cancel();
                    cancelled = true;
                }
            }
        });
        look.start(20);
        QTimer::singleShot(10000, &window, [&] {
            if (auto *dialog = qobject_cast<QPrintPreviewDialog *>(QApplication::activeModalWidget())) {
                leftOpen = true;
                dialog->reject();
            }
        });
        const FixedClock clock(QDateTime(QDate(2024, 3, 1), QTime(8, 0)));
        ReportPreview::exec(report, clock, &window);
        QVERIFY(cancelled);
        QVERIFY(!leftOpen);
    }

    // The date and time on paper are the program's clock's, not the
    // machine's: printed from the preview into a PDF and read back.
    void printsTheClocksDateAndTime()
    {
        if (!PdfText::available())
            QSKIP("pdftotext is needed to read the PDF back");
        QStandardItemModel model(0, 1);
        model.setHorizontalHeaderLabels({u"号牌"_s});
        model.appendRow(new QStandardItem(u"A01"_s));
        ListReport report;
        report.setModel(&model);
        report.addTitle(u"消费明细表    [DATE]"_s, 16);
        report.addColumn({u"号牌"_s, 0});
        report.addClosingLine(u"打印时间:[DATE]/[TIME]"_s);

        QTemporaryDir dir;
        const QString path = dir.filePath(u"preview.pdf"_s);
        QWidget window;
        bool printed = false;
        QTimer::singleShot(0, &window, [&] {
            auto *dialog = qobject_cast<QPrintPreviewDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            if (auto *preview = dialog->findChild<QPrintPreviewWidget *>()) {
                dialog->printer()->setOutputFormat(QPrinter::PdfFormat);
                dialog->printer()->setOutputFileName(path);
                preview->print();
                printed = true;
            }
            dialog->reject();
        });
        const FixedClock clock(QDateTime(QDate(2019, 11, 23), QTime(21, 7, 5)));
        ReportPreview::exec(report, clock, &window);
        QVERIFY(printed);

        QString error;
        const QStringList pages = PdfText::pages(path, &error);
        QCOMPARE(pages.size(), 1);
        QVERIFY2(pages[0].contains(u"消费明细表    2019-11-23"_s), qPrintable(pages[0]));
        QVERIFY2(pages[0].contains(u"打印时间:2019-11-23/21:07:05"_s), qPrintable(pages[0]));
    }
};

QTEST_MAIN(TestReportUi)
#include "tst_report_ui.moc"
