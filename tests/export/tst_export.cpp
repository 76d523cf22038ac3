#include "VariantTableModel.h"
#include "WorkbookReader.h"

#include "common/Money.h"
#include "export/ExcelExporter.h"
#include "export/ExcelSheetReader.h"
#include "export/ExportToExcel.h"
#include "support/RecordingFileOpener.h"
#include "support/ScriptedPrompt.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

using Sheet = WorkbookReader::Sheet;

QStringList types(const QList<WorkbookReader::Cell> &row)
{
    QStringList out;
    for (const auto &cell : row)
        out.append(cell.type);
    return out;
}

QStringList values(const QList<WorkbookReader::Cell> &row)
{
    QStringList out;
    for (const auto &cell : row)
        out.append(cell.value);
    return out;
}

} // namespace

class TestExport : public QObject
{
    Q_OBJECT

private:
    // Writes columns first..last of the model and reads the workbook back.
    Sheet exportAndRead(QAbstractItemModel &model, int first, int last,
                        const ExcelExporter &exporter = ExcelExporter())
    {
        Sheet sheet;
        const QString path = m_dir.filePath(u"out.xlsx"_s);
        QString error;
        const auto outcome = exporter.write(model, path, first, last, &error);
        if (outcome != ExcelExporter::Outcome::Written) {
            qWarning("export failed: %s", qUtf8Printable(error));
            return sheet;
        }
        if (!WorkbookReader::read(path, &sheet, &error))
            qWarning("read failed: %s", qUtf8Printable(error));
        return sheet;
    }

    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // The remembered folder goes into settings of this run only.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.filePath(u"config"_s));
        if (!WorkbookReader::available())
            QSKIP("python3 with openpyxl is needed to read the workbooks back");
    }

    void typedCells_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("numericColumn");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("shown");

        QTest::newRow("int") << QVariant(42) << false << u"number"_s << u"42"_s;
        QTest::newRow("negative long long") << QVariant(qlonglong(-7)) << false << u"number"_s << u"-7"_s;
        QTest::newRow("double") << QVariant(12.5) << false << u"number"_s << u"12.5"_s;
        QTest::newRow("bill number") << QVariant(qlonglong(202403010830)) << false << u"number"_s
                                     << u"202403010830"_s;
        QTest::newRow("integer past 15 digits stays exact as text")
            << QVariant(qlonglong(1234567890123456789)) << false << u"str"_s << u"1234567890123456789"_s;
        QTest::newRow("bool") << QVariant(true) << false << u"bool"_s << u"true"_s;
        QTest::newRow("Money") << QVariant::fromValue(Money::fromText(u"3.5")) << false << u"number"_s
                               << u"3.5"_s;
        QTest::newRow("amount text in numeric column") << QVariant(u"28.0500"_s) << true << u"number"_s
                                                       << u"28.05"_s;
        QTest::newRow("amount text in text column") << QVariant(u"28.05"_s) << false << u"str"_s
                                                    << u"28.05"_s;
        QTest::newRow("code with leading zeros") << QVariant(u"007"_s) << false << u"str"_s << u"007"_s;
        QTest::newRow("words in numeric column") << QVariant(u"免单"_s) << true << u"str"_s << u"免单"_s;
        QTest::newRow("QDateTime") << QVariant(QDateTime(QDate(2024, 3, 1), QTime(8, 30, 15))) << false
                                   << u"datetime"_s << u"2024-03-01 08:30:15"_s;
        QTest::newRow("QDate") << QVariant(QDate(2024, 3, 1)) << false << u"datetime"_s
                               << u"2024-03-01 00:00:00"_s;
        QTest::newRow("QTime") << QVariant(QTime(8, 30)) << false << u"time"_s << u"08:30:00"_s;
        QTest::newRow("date-time text") << QVariant(u"2024-03-01 08:30:15"_s) << false << u"datetime"_s
                                        << u"2024-03-01 08:30:15"_s;
        QTest::newRow("date text") << QVariant(u"2024-03-01"_s) << false << u"datetime"_s
                                   << u"2024-03-01 00:00:00"_s;
        QTest::newRow("date text in numeric column") << QVariant(u"2024-03-01"_s) << true << u"datetime"_s
                                                     << u"2024-03-01 00:00:00"_s;
        QTest::newRow("impossible date text") << QVariant(u"2024-02-30"_s) << false << u"str"_s
                                              << u"2024-02-30"_s;
        QTest::newRow("impossible time text") << QVariant(u"2024-03-01 24:00:00"_s) << false << u"str"_s
                                              << u"2024-03-01 24:00:00"_s;
        QTest::newRow("ISO text with T") << QVariant(u"2024-03-01T08:30:15"_s) << false << u"str"_s
                                         << u"2024-03-01T08:30:15"_s;
        QTest::newRow("date before Excel's first day") << QVariant(QDate(1899, 12, 31)) << false
                                                       << u"str"_s << u"1899-12-31"_s;
        QTest::newRow("Chinese text") << QVariant(u"洗剪吹（男）"_s) << false << u"str"_s
                                      << u"洗剪吹（男）"_s;
        QTest::newRow("markup characters") << QVariant(u"<a & \"b\">"_s) << false << u"str"_s
                                           << u"<a & \"b\">"_s;
        QTest::newRow("database NULL") << QVariant(QMetaType::fromType<int>()) << false << u"none"_s
                                       << QString();
        QTest::newRow("NULL text in numeric column") << QVariant(QMetaType::fromType<QString>()) << true
                                                     << u"none"_s << QString();
        QTest::newRow("no value") << QVariant() << false << u"none"_s << QString();
        QTest::newRow("empty text") << QVariant(u""_s) << false << u"none"_s << QString();
    }

    void typedCells()
    {
        QFETCH(QVariant, value);
        QFETCH(bool, numericColumn);
        QFETCH(QString, type);
        QFETCH(QString, shown);

        VariantTableModel model({u"值"_s, u"后"_s}, {{value, u"end"_s}});
        ExcelExporter exporter;
        if (numericColumn)
            exporter.setNumericColumns({0});
        const Sheet sheet = exportAndRead(model, 0, 1, exporter);
        QCOMPARE(sheet.rows.size(), 2);
        QCOMPARE(sheet.rows[1].size(), 2);
        QCOMPARE(sheet.rows[1][0].type, type);
        QCOMPARE(sheet.rows[1][0].value, shown);
        // The next cell still lands in its own column.
        QCOMPARE(sheet.rows[1][1].value, u"end"_s);
    }

    void headersAndColumnRange_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<QStringList>("headers");
        QTest::addColumn<QStringList>("row");

        QTest::newRow("all columns") << 0 << 3 << QStringList{u"号牌"_s, u"商品名"_s, u"总数量"_s, u"总合计"_s}
                                     << QStringList{u"A01"_s, u"洗发"_s, u"2"_s, u"30"_s};
        QTest::newRow("middle columns start in column A")
            << 1 << 2 << QStringList{u"商品名"_s, u"总数量"_s} << QStringList{u"洗发"_s, u"2"_s};
        QTest::newRow("one column") << 3 << 3 << QStringList{u"总合计"_s} << QStringList{u"30"_s};
    }

    void headersAndColumnRange()
    {
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(QStringList, headers);
        QFETCH(QStringList, row);

        VariantTableModel model({u"号牌"_s, u"商品名"_s, u"总数量"_s, u"总合计"_s},
                                {{u"A01"_s, u"洗发"_s, 2, 30}, {u"A02"_s, u"剪发"_s, 1, 15}});
        const Sheet sheet = exportAndRead(model, first, last);
        QCOMPARE(sheet.sheetCount, 1);
        QCOMPARE(sheet.rows.size(), 3);
        QCOMPARE(values(sheet.rows[0]), headers);
        QCOMPARE(types(sheet.rows[0]), QStringList(headers.size(), u"str"_s));
        QCOMPARE(values(sheet.rows[1]), row);
    }

    void emptyModelGivesHeaderRowOnly()
    {
        VariantTableModel model({u"号牌"_s, u"商品名"_s}, {});
        const Sheet sheet = exportAndRead(model, 0, 1);
        QCOMPARE(sheet.rows.size(), 1);
        QCOMPARE(values(sheet.rows[0]), (QStringList{u"号牌"_s, u"商品名"_s}));
    }

    void columnWidthsFitContent()
    {
        VariantTableModel model(
            {u"A"_s, u"B"_s, u"C"_s, u"一个很长的列标题"_s, u"E"_s},
            {{u"abcd"_s, u"美容美发"_s, u"abcdefgh"_s, 1, u"ab"_s},
             {u"ab"_s, u"美发"_s, u"abc"_s, 2, u"2024-03-01 08:30:15"_s}});
        const Sheet sheet = exportAndRead(model, 0, 4);
        const double ascii4 = sheet.widths.value(u"A"_s);
        const double chinese4 = sheet.widths.value(u"B"_s);
        const double ascii8 = sheet.widths.value(u"C"_s);
        const double longHeading = sheet.widths.value(u"D"_s);
        const double dateTime = sheet.widths.value(u"E"_s);
        QVERIFY2(ascii4 > 0, "every exported column gets a width");
        // Four Chinese characters take the room of eight Latin ones.
        QVERIFY(chinese4 > ascii4);
        QVERIFY(qAbs(chinese4 - ascii8) < 0.5);
        // The heading counts too, however short the data below it.
        QVERIFY(longHeading > ascii8 + 6);
        // A date-time is as wide as "yyyy-mm-dd hh:mm:ss" shows.
        QVERIFY(dateTime >= 19);
    }

    void cancelWhileWritingLeavesNoFile()
    {
        VariantTableModel model({u"号牌"_s}, QList<QVariantList>(2000, {u"A01"_s}));
        ExcelExporter exporter;
        exporter.setProgress([](int done, int) { return done < 1000; });
        const QString path = m_dir.filePath(u"cancelled.xlsx"_s);
        QString error;
        QCOMPARE(exporter.write(model, path, 0, 0, &error), ExcelExporter::Outcome::Cancelled);
        QVERIFY(!QFileInfo::exists(path));
        QVERIFY(error.isEmpty());
    }

    void writeFailureNamesTheFile_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("missing folder") << u"/nonexistent-folder/out.xlsx"_s;
        QTest::newRow("a folder, not a file") << QDir::tempPath();
    }

    void writeFailureNamesTheFile()
    {
        QFETCH(QString, path);
        VariantTableModel model({u"号牌"_s}, {{u"A01"_s}});
        QString error;
        QCOMPARE(ExcelExporter().write(model, path, 0, 0, &error), ExcelExporter::Outcome::Failed);
        QVERIFY2(error.contains(QDir::toNativeSeparators(path)), qPrintable(error));
    }

    void columnsOutsideTheModelAreRefused()
    {
        VariantTableModel model({u"号牌"_s}, {{u"A01"_s}});
        QString error;
        QCOMPARE(ExcelExporter().write(model, m_dir.filePath(u"x.xlsx"_s), 0, 1, &error),
                 ExcelExporter::Outcome::Failed);
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFileInfo::exists(m_dir.filePath(u"x.xlsx"_s)));
    }

    // The operator's answers, one export each: where a spreadsheet program
    // exists the workbook is offered for opening, and where none does it is
    // written all the same and the operator told where it went.
    void savesTheWorkbookWhereChosen_data()
    {
        QTest::addColumn<bool>("hasProgram");
        QTest::addColumn<bool>("openIt");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<int>("openedCount");
        QTest::newRow("no spreadsheet program") << false << false << false
                                                << QStringList{u"message"_s} << 0;
        QTest::newRow("opened on request") << true << true << true
                                           << QStringList{u"question"_s} << 1;
        QTest::newRow("not opened when declined") << true << false << true
                                                  << QStringList{u"question"_s} << 0;
        QTest::newRow("the program fails to start") << true << true << false
                                                    << QStringList{u"question"_s, u"message"_s} << 1;
    }

    void savesTheWorkbookWhereChosen()
    {
        QFETCH(bool, hasProgram);
        QFETCH(bool, openIt);
        QFETCH(bool, opens);
        QFETCH(QStringList, shown);
        QFETCH(int, openedCount);
        VariantTableModel model({u"号牌"_s, u"合计"_s}, {{u"A01"_s, 30}});
        ScriptedPrompt prompt;
        RecordingFileOpener opener;
        opener.hasProgram = hasProgram;
        opener.succeed = opens;
        prompt.answers.enqueue(openIt);
        const QString path = m_dir.filePath(u"chosen/账单.xlsx"_s);
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        prompt.files.enqueue(path);

        QVERIFY(ExportToExcel(model, 0, 1, u"账单查询"_s, prompt, opener));

        QStringList kinds;
        for (const auto &entry : prompt.shown)
            kinds.append(entry.kind);
        QCOMPARE(kinds, QStringList{u"save"_s} + shown);
        QCOMPARE(prompt.shown[0].caption, u"另存为"_s);
        QCOMPARE(opener.opened.size(), openedCount);
        for (const auto &entry : prompt.shown.mid(1)) {
            // Each message says where the workbook is.
            QVERIFY2(entry.text.contains(QDir::toNativeSeparators(path)), qPrintable(entry.text));
            QVERIFY(!entry.text.contains(u"系统没excel"_s));
        }
        // Read back with the program's own reader, as the goods import does.
        const ExcelSheet sheet = ExcelSheetReader::read(path);
        QCOMPARE(sheet.name(), u"账单查询"_s);
        QCOMPARE(sheet.text(1, 1), u"号牌"_s);
        QCOMPARE(sheet.text(2, 1), u"A01"_s);
        QCOMPARE(sheet.text(2, 2), u"30"_s);
        QCOMPARE(ExcelExportFlow::lastFolder(), QFileInfo(path).absolutePath());
    }

    void proposesCaptionDateAndLastFolder()
    {
        ExcelExportFlow::rememberFolder({});
        VariantTableModel model({u"号牌"_s}, {{u"A01"_s}});
        ScriptedPrompt prompt;
        RecordingFileOpener opener;
        opener.hasProgram = false;
        const QString folder = m_dir.filePath(u"last"_s);
        QVERIFY(QDir().mkpath(folder));
        prompt.files.enqueue(QDir(folder).filePath(u"first.xlsx"_s));
        QVERIFY(ExportToExcel(model, 0, 0, u"会员资料"_s, prompt, opener));
        const QString today = QDate::currentDate().toString(u"yyyyMMdd"_s);
        // The first export of a user starts outside any remembered folder.
        QCOMPARE(QFileInfo(prompt.shown[0].text).fileName(), u"会员资料_"_s + today + u".xlsx"_s);
        QVERIFY(QFileInfo(prompt.shown[0].text).absolutePath() != folder);

        prompt.clear();
        // A name typed without a suffix becomes a workbook's.
        prompt.files.enqueue(QDir(folder).filePath(u"second"_s));
        QVERIFY(ExportToExcel(model, 0, 0, u"商品/项目: 明细"_s, prompt, opener));
        QCOMPARE(prompt.shown[0].text,
                 QDir(folder).filePath(u"商品_项目_ 明细_"_s + today + u".xlsx"_s));
        QVERIFY(QFileInfo::exists(QDir(folder).filePath(u"second.xlsx"_s)));
        // Kept in the user's settings, where the next start finds it.
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, u"SalonDesk"_s,
                           u"salondesk"_s);
        QCOMPARE(settings.value(u"export/lastFolder"_s).toString(), folder);
    }

    void proposedName_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("name");
        QTest::newRow("caption") << u"账单查询"_s << u"账单查询_20261211.xlsx"_s;
        QTest::newRow("characters no file may hold") << u"a\\b/c:d*e?f\"g<h>i|j"_s
                                                      << u"a_b_c_d_e_f_g_h_i_j_20261211.xlsx"_s;
        QTest::newRow("no caption") << u"  "_s << u"导出_20261211.xlsx"_s;
    }

    void proposedName()
    {
        QFETCH(QString, title);
        QFETCH(QString, name);
        QCOMPARE(ExcelExportFlow::proposedName(title, QDate(2026, 12, 11)), name);
    }

    void sheetIsNamedAfterTheWindow_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("sheet");
        QTest::newRow("caption") << u"员工工资"_s << u"员工工资"_s;
        QTest::newRow("characters Excel refuses") << u"[A]:B*C?D/E\\F"_s << u"ABCDEF"_s;
        QTest::newRow("quotes at the ends") << u"'提成'"_s << u"提成"_s;
        QTest::newRow("longer than 31") << QString(40, u'号') << QString(31, u'号');
        QTest::newRow("nothing left") << u"[]"_s << u"Sheet1"_s;
    }

    void sheetIsNamedAfterTheWindow()
    {
        QFETCH(QString, title);
        QFETCH(QString, sheet);
        QCOMPARE(ExcelExporter::sheetNameFor(title), sheet);
        VariantTableModel model({u"号牌"_s}, {{u"A01"_s}});
        ExcelExporter exporter;
        exporter.setSheetName(title);
        const QString path = m_dir.filePath(u"named.xlsx"_s);
        QCOMPARE(exporter.write(model, path, 0, 0), ExcelExporter::Outcome::Written);
        QCOMPARE(ExcelSheetReader::read(path).name(), sheet);
    }

    // Cancelling the 另存为 dialog or the writing leaves everything as it was:
    // no file, no message, the remembered folder unchanged, and a workbook
    // the operator chose to replace still whole.
    void cancelWritesNothing_data()
    {
        QTest::addColumn<bool>("atTheDialog");
        QTest::newRow("at the file dialog") << true;
        QTest::newRow("while writing") << false;
    }

    void cancelWritesNothing()
    {
        QFETCH(bool, atTheDialog);
        const QString folder = m_dir.filePath(u"cancel"_s);
        QVERIFY(QDir().mkpath(folder));
        ExcelExportFlow::rememberFolder(m_dir.path());
        const QString existing = QDir(folder).filePath(u"old.xlsx"_s);
        {
            QFile file(existing);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("the operator's own workbook");
        }
        VariantTableModel model({u"号牌"_s}, QList<QVariantList>(2000, {u"A01"_s}));
        ExcelExporter exporter;
        exporter.setProgress([](int done, int) { return done < 1000; });
        ScriptedPrompt prompt;
        RecordingFileOpener opener;
        if (!atTheDialog)
            prompt.files.enqueue(existing);

        QVERIFY(!ExportToExcel(model, 0, 0, u"号牌"_s, prompt, opener, exporter));

        QCOMPARE(prompt.shown.size(), 1);
        QCOMPARE(prompt.shown[0].kind, u"save"_s);
        QVERIFY(opener.opened.isEmpty());
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{u"old.xlsx"_s});
        QFile file(existing);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), "the operator's own workbook"_ba);
        QCOMPARE(ExcelExportFlow::lastFolder(), m_dir.path());
    }

    // The temporary folder plays no part: a machine whose TMPDIR is gone
    // still exports.
    void brokenTempFolderDoesNotMatter()
    {
        const QByteArray savedTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", m_dir.filePath(u"not-a-folder"_s).toLocal8Bit());
        VariantTableModel model({u"号牌"_s}, {{u"A01"_s}});
        const QString path = m_dir.filePath(u"tmpdir.xlsx"_s);
        QString error;
        const auto outcome = ExcelExporter().write(model, path, 0, 0, &error);
        qputenv("TMPDIR", savedTmp);
        QCOMPARE(outcome, ExcelExporter::Outcome::Written);
        QCOMPARE(ExcelSheetReader::read(path).text(2, 1), u"A01"_s);
    }

    void failureIsShownAndExplained()
    {
        VariantTableModel model({u"号牌"_s}, {{u"A01"_s}});
        ScriptedPrompt prompt;
        RecordingFileOpener opener;
        const QString path = m_dir.filePath(u"missing-folder/out.xlsx"_s);
        prompt.files.enqueue(path);
        QVERIFY(!ExportToExcel(model, 0, 0, u"号牌"_s, prompt, opener));
        QCOMPARE(prompt.messages().size(), 1);
        const QString text = prompt.lastMessage();
        QVERIFY2(text.contains(QDir::toNativeSeparators(path)), qPrintable(text));
        QVERIFY2(text.contains(u"文件或文件夹不存在"_s), qPrintable(text));
        QVERIFY2(text.contains(u"No such file or directory"_s), qPrintable(text));
        QVERIFY(opener.opened.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestExport)
#include "tst_export.moc"
