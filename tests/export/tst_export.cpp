#include "VariantTableModel.h"
#include "WorkbookReader.h"

#include "common/Money.h"
#include "export/ExcelExporter.h"
#include "export/ExportToExcel.h"
#include "support/RecordingFileOpener.h"
#include "support/ScriptedPrompt.h"

#include <QDir>
#include <QFileInfo>
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

    void exportOpensANewWorkbook()
    {
        VariantTableModel model({u"号牌"_s, u"合计"_s}, {{u"A01"_s, 30}});
        ScriptedPrompt prompt;
        RecordingFileOpener opener;
        QVERIFY(ExportToExcel(model, 0, 1, prompt, opener));
        QVERIFY(ExportToExcel(model, 0, 1, prompt, opener));
        QCOMPARE(prompt.shown.size(), 0);
        QCOMPARE(opener.opened.size(), 2);
        // A second export is a second workbook, not the first one overwritten.
        QVERIFY(opener.opened[0] != opener.opened[1]);
        for (const QString &path : opener.opened) {
            const QFileInfo file(path);
            QCOMPARE(file.absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
            QVERIFY(file.fileName().startsWith(u"salondesk-export-"));
            QCOMPARE(file.suffix(), u"xlsx"_s);
            Sheet sheet;
            QString error;
            QVERIFY2(WorkbookReader::read(path, &sheet, &error), qPrintable(error));
            QCOMPARE(values(sheet.rows.value(1)), (QStringList{u"A01"_s, u"30"_s}));
        }
    }

    void noSpreadsheetProgram()
    {
        VariantTableModel model({u"号牌"_s}, {{u"A01"_s}});
        ScriptedPrompt prompt;
        RecordingFileOpener opener;
        opener.succeed = false;
        QVERIFY(!ExportToExcel(model, 0, 0, prompt, opener));
        QCOMPARE(opener.opened.size(), 1);
        QCOMPARE(prompt.shown.size(), 1);
        QCOMPARE(prompt.shown[0].kind, u"message"_s);
        QCOMPARE(prompt.shown[0].text, u"系统没excel，不能导出Excel！"_s);
        QCOMPARE(prompt.shown[0].caption, u"错误"_s);
        // Nobody will look at that workbook.
        QVERIFY(!QFileInfo::exists(opener.opened[0]));
    }

    void unusableTempFolderIsReported_data()
    {
        QTest::addColumn<bool>("folderIsAFile");
        QTest::newRow("missing folder") << false;
        QTest::newRow("a file, not a folder") << true;
    }

    void unusableTempFolderIsReported()
    {
        QFETCH(bool, folderIsAFile);
        const QString folder = m_dir.filePath(u"not-a-folder"_s);
        if (folderIsAFile) {
            QFile file(folder);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const QByteArray savedTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", folder.toLocal8Bit());
        VariantTableModel model({u"号牌"_s}, {{u"A01"_s}});
        ScriptedPrompt prompt;
        RecordingFileOpener opener;
        const bool opened = ExportToExcel(model, 0, 0, prompt, opener);
        qputenv("TMPDIR", savedTmp);
        QFile::remove(folder);

        QVERIFY(!opened);
        QVERIFY(opener.opened.isEmpty());
        QCOMPARE(prompt.shown.size(), 1);
        QCOMPARE(prompt.shown[0].caption, u"错误"_s);
        QVERIFY2(prompt.shown[0].text.contains(QDir::toNativeSeparators(folder)),
                 qPrintable(prompt.shown[0].text));
        // Nothing was written beside the program instead.
        QVERIFY(QDir::current().entryList({u"salondesk-export-*"_s}).isEmpty());
    }

    void cancelledExportShowsNothing()
    {
        VariantTableModel model({u"号牌"_s}, QList<QVariantList>(600, {u"A01"_s}));
        ExcelExporter exporter;
        exporter.setProgress([](int done, int) { return done == 0; });
        ScriptedPrompt prompt;
        RecordingFileOpener opener;
        QVERIFY(!ExportToExcel(model, 0, 0, prompt, opener, exporter));
        QVERIFY(prompt.shown.isEmpty());
        QVERIFY(opener.opened.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestExport)
#include "tst_export.moc"
