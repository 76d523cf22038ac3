#include "VariantTableModel.h"
#include "WorkbookReader.h"

#include "export/ExcelSheetReader.h"
#include "export/ExportToExcel.h"
#include "export/ui/ExcelExport.h"
#include "support/RecordingFileOpener.h"
#include "support/ScriptedPrompt.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
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
    QString saveFile(const QString &, const QString &, const QString &) override
    {
        // Like the real dialog, a while in the event loop: no progress
        // dialog may come up over it either.
        QTest::qWait(1200);
        for (auto *dialog : m_window->findChildren<QProgressDialog *>())
            progressShownOverMessage |= dialog->isVisible();
        return file;
    }

    QString file;
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
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.filePath(u"config"_s));
    }

    // The window's caption names the proposed file and the sheet; the
    // operator is asked before the workbook is opened.
    void exportsEveryColumnAndOpensIt()
    {
        QWidget window;
        window.setWindowTitle(u"账单查询"_s);
        auto *inner = new QWidget(&window);
        VariantTableModel model({u"号牌"_s, u"商品名"_s, u"合计"_s}, {{u"A01"_s, u"洗发"_s, 30}});
        ScriptedPrompt prompt;
        RecordingFileOpener opener;
        ExcelExportFlow::rememberFolder(m_dir.path());
        const QString proposed = QDir(m_dir.path()).filePath(
            u"账单查询_"_s + QDate::currentDate().toString(u"yyyyMMdd"_s) + u".xlsx"_s);
        prompt.files.enqueue(proposed);
        prompt.answers.enqueue(true);
        QVERIFY(ExcelExport::run(inner, prompt, opener, model));
        QCOMPARE(prompt.shown.size(), 2);
        QCOMPARE(prompt.shown[0].kind, u"save"_s);
        QCOMPARE(prompt.shown[0].text, proposed);
        QCOMPARE(prompt.shown[1].kind, u"question"_s);
        QCOMPARE(opener.opened, QStringList{proposed});
        const ExcelSheet sheet = ExcelSheetReader::read(proposed);
        QCOMPARE(sheet.name(), u"账单查询"_s);
        QCOMPARE(sheet.rowCount(), 2);
        QCOMPARE(sheet.columnCount(), 3);
        QCOMPARE(sheet.text(1, 3), u"合计"_s);
    }

    // Where no program can open a workbook the export still writes it; the
    // message saying where is not covered by the progress dialog.
    void noSpreadsheetProgramStillWrites()
    {
        QWidget window;
        window.setWindowTitle(u"号牌设置"_s);
        window.show();
        VariantTableModel model({u"号牌"_s}, {{u"A01"_s}});
        WaitingPrompt prompt(&window);
        prompt.file = m_dir.filePath(u"plates.xlsx"_s);
        RecordingFileOpener opener;
        opener.hasProgram = false;
        QVERIFY(ExcelExport::run(&window, prompt, opener, model));
        QCOMPARE(prompt.messages.size(), 1);
        QVERIFY2(prompt.messages[0].contains(QDir::toNativeSeparators(prompt.file)),
                 qPrintable(prompt.messages[0]));
        QVERIFY(!prompt.progressShownOverMessage);
        QVERIFY(opener.opened.isEmpty());
        QCOMPARE(ExcelSheetReader::read(prompt.file).text(2, 1), u"A01"_s);
    }

    void longExportCanBeCancelled()
    {
        QWidget window;
        window.show();
        SlowModel model(20000);
        ScriptedPrompt prompt;
        RecordingFileOpener opener;
        const QString path = m_dir.filePath(u"slow.xlsx"_s);
        prompt.files.enqueue(path);

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
        QCOMPARE(prompt.shown.size(), 1); // the file dialog only
        QVERIFY(!QFileInfo::exists(path));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestExportUi)
#include "tst_export_ui.moc"
