#include "report/ListReport.h"
#include "report/ui/ReportPreview.h"

#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QStandardItemModel>
#include <QTest>
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
        ReportPreview::exec(report, &window);

        QCOMPARE(title, u"打印预览"_s);
        QVERIFY2(severalPages ? pageCount > 1 : pageCount == 1, qPrintable(QString::number(pageCount)));
    }
};

QTEST_MAIN(TestReportUi)
#include "tst_report_ui.moc"
