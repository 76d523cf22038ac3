#include "VariantTableModel.h"
#include "WorkbookReader.h"

#include "export/ui/ExcelExport.h"
#include "support/RecordingFileOpener.h"
#include "support/ScriptedPrompt.h"

#include <QApplication>
#include <QProgressDialog>
#include <QTest>
#include <QThread>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// Rows that take a millisecond each to read, so an export of a few
// thousand lasts long enough for the progress dialog to come up.
class SlowModel final : public QAbstractTableModel
{
public:
    explicit SlowModel(int rows) : m_rows(rows) {}
    int rowCount(const QModelIndex & = {}) const override { return m_rows; }
    int columnCount(const QModelIndex & = {}) const override { return 2; }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole)
            return {};
        if (index.column() == 0)
            QThread::usleep(1000);
        return index.row();
    }
    QVariant headerData(int section, Qt::Orientation, int role) const override
    {
        return role == Qt::DisplayRole ? QVariant(section == 0 ? u"编号"_s : u"序号"_s) : QVariant();
    }

private:
    int m_rows;
};

// A prompt whose message box, like the real one, runs the event loop for a
// while; it notes whether a progress dialog is showing at the end of it.
class WaitingPrompt final : public Prompt
{
public:
    explicit WaitingPrompt(QWidget *window) : m_window(window) {}
    void message(const QString &text, const QString &, Kind) override
    {
        messages.append(text);
        QTest::qWait(1200);
        for (auto *dialog : m_window->findChildren<QProgressDialog *>())
            progressShownOverMessage |= dialog->isVisible();
    }
    bool question(const QString &, const QString &) override { return false; }
    std::optional<QString> input(const QString &, const QString &, const QString &) override { return {}; }
    std::optional<QString> maskedInput(const QString &, const QString &, const QString &) override
    {
        return {};
    }
    QString openFile(const QString &, const QString &, const QString &) override { return {}; }
    QString saveFile(const QString &, const QString &, const QString &) override { return {}; }

    QStringList messages;
    bool progressShownOverMessage = false;

private:
    QWidget *m_window;
};

} // namespace

class TestExportUi : public QObject
{
    Q_OBJECT

private slots:
    void exportsEveryColumnAndOpensIt()
    {
        if (!WorkbookReader::available())
            QSKIP("python3 with openpyxl is needed to read the workbook back");
        QWidget window;
        VariantTableModel model({u"号牌"_s, u"商品名"_s, u"合计"_s}, {{u"A01"_s, u"洗发"_s, 30}});
        ScriptedPrompt prompt;
        RecordingFileOpener opener;
        QVERIFY(ExcelExport::run(&window, prompt, opener, model));
        QVERIFY(prompt.shown.isEmpty());
        QCOMPARE(opener.opened.size(), 1);
        WorkbookReader::Sheet sheet;
        QString error;
        QVERIFY2(WorkbookReader::read(opener.opened[0], &sheet, &error), qPrintable(error));
        QCOMPARE(sheet.rows.size(), 2);
        QCOMPARE(sheet.rows[0].size(), 3);
        QCOMPARE(sheet.rows[0][2].value, u"合计"_s);
    }

    void noSpreadsheetMessageIsNotCoveredByProgress()
    {
        QWidget window;
        window.show();
        VariantTableModel model({u"号牌"_s}, {{u"A01"_s}});
        WaitingPrompt prompt(&window);
        RecordingFileOpener opener;
        opener.succeed = false;
        QVERIFY(!ExcelExport::run(&window, prompt, opener, model));
        QCOMPARE(prompt.messages, QStringList{u"系统没excel，不能导出Excel！"_s});
        QVERIFY(!prompt.progressShownOverMessage);
    }

    void longExportCanBeCancelled()
    {
        QWidget window;
        window.show();
        SlowModel model(20000);
        ScriptedPrompt prompt;
        RecordingFileOpener opener;

        // Presses Cancel as soon as the dialog is up; this only happens if
        // the export lets the event loop run.
        bool sawDialog = false;
        QTimer poll;
        poll.setInterval(50);
        QObject::connect(&poll, &QTimer::timeout, &window, [&] {
            for (auto *dialog : window.findChildren<QProgressDialog *>()) {
                if (dialog->isVisible()) {
                    sawDialog = true;
                    dialog->cancel();
                }
            }
        });
        poll.start();
        const bool opened = ExcelExport::run(&window, prompt, opener, model);
        poll.stop();

        QVERIFY(sawDialog);
        QVERIFY(!opened);
        QVERIFY(opener.opened.isEmpty());
        QVERIFY(prompt.shown.isEmpty());
    }
};

QTEST_MAIN(TestExportUi)
#include "tst_export_ui.moc"
