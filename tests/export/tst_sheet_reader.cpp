#include "VariantTableModel.h"
#include "support/WorkbookMaker.h"

#include "common/Refusal.h"
#include "export/ExcelCellText.h"
#include "export/ExcelExporter.h"
#include "export/ExcelSheetReader.h"

Q_DECLARE_METATYPE(WorkbookMaker::RepeatedPart)

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <new>

using namespace Qt::StringLiterals;

namespace {

QJsonObject date(const QString &text)
{
    return {{u"date"_s, text}};
}

QJsonObject dateTime(const QString &text)
{
    return {{u"datetime"_s, text}};
}

QJsonObject time(const QString &text)
{
    return {{u"time"_s, text}};
}

QJsonObject formatted(double number, const QString &format)
{
    return {{u"number"_s, number}, {u"format"_s, format}};
}

// Every cell of the used range, row by row, "|" between cells.
QStringList texts(const ExcelSheet &sheet)
{
    QStringList rows;
    for (int row = 1; row <= sheet.rowCount(); ++row) {
        QStringList cells;
        for (int column = 1; column <= sheet.columnCount(); ++column)
            cells.append(sheet.text(row, column));
        rows.append(cells.join(u'|'));
    }
    return rows;
}

// The minimal parts of an .xlsx, for cell forms that openpyxl never
// writes. `sheet` is the content of <sheetData>.
QMap<QString, QByteArray> handMadePackage(const QByteArray &sheet, const QByteArray &sharedStrings = {},
                                          const QByteArray &styles = {},
                                          const QByteArray &workbookPr = {})
{
    const QByteArray relsNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    QByteArray workbookRels =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"" + relsNs + "/worksheet\" Target=\"worksheets/sheet1.xml\"/>";
    if (!sharedStrings.isEmpty())
        workbookRels += "<Relationship Id=\"rId2\" Type=\"" + relsNs
            + "/sharedStrings\" Target=\"/xl/sharedStrings.xml\"/>";
    if (!styles.isEmpty())
        workbookRels += "<Relationship Id=\"rId3\" Type=\"" + relsNs + "/styles\" Target=\"styles.xml\"/>";
    workbookRels += "</Relationships>";
    const QByteArray main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    QMap<QString, QByteArray> parts{
        {u"[Content_Types].xml"_s,
         "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>"},
        {u"_rels/.rels"_s,
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" Type=\"" + relsNs + "/officeDocument\" Target=\"xl/workbook.xml\"/>"
         "</Relationships>"},
        {u"xl/workbook.xml"_s,
         "<x:workbook xmlns:x=\"" + main + "\" xmlns:rel=\"" + relsNs + "\">" + workbookPr
             + "<x:sheets><x:sheet name=\"手工\" sheetId=\"1\" rel:id=\"rId1\"/></x:sheets></x:workbook>"},
        {u"xl/_rels/workbook.xml.rels"_s, workbookRels},
        {u"xl/worksheets/sheet1.xml"_s,
         "<worksheet xmlns=\"" + main + "\"><sheetData>" + sheet + "</sheetData></worksheet>"},
    };
    if (!sharedStrings.isEmpty())
        parts.insert(u"xl/sharedStrings.xml"_s, "<sst xmlns=\"" + main + "\">" + sharedStrings + "</sst>");
    if (!styles.isEmpty())
        parts.insert(u"xl/styles.xml"_s, "<styleSheet xmlns=\"" + main + "\">" + styles + "</styleSheet>");
    return parts;
}

// A field of /proc/self/status, in kB.
qint64 statusKb(const QByteArray &field)
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(QByteArray(field + ':')))
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

struct Bounded
{
    QString outcome; // "R rows, C columns, last: text", the refusal, or what went wrong
    qint64 growthKb = 0; // of the peak resident size
};

// Reads `path` in a child process whose address space may grow by no more
// than `budget` bytes beyond what it holds at the start.
Bounded readWithin(const QString &path, qint64 budget)
{
    int channel[2];
    if (pipe(channel) != 0)
        return {u"no pipe"_s};
    const pid_t child = fork();
    if (child == 0) {
        ::close(channel[0]);
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        const qint64 startKb = usage.ru_maxrss;
        const rlim_t limit = rlim_t(statusKb("VmSize")) * 1024 + rlim_t(budget);
        const rlimit bound{limit, limit};
        setrlimit(RLIMIT_AS, &bound);
        QByteArray outcome;
        try {
            const ExcelSheet sheet = ExcelSheetReader::read(path);
            outcome = QString(u"%1 rows, %2 columns, last: "_s.arg(sheet.rowCount()).arg(sheet.columnCount())
                              + sheet.text(sheet.rowCount(), sheet.columnCount()))
                          .toUtf8();
        } catch (const Refusal &refusal) {
            outcome = refusal.text().toUtf8();
        } catch (const std::bad_alloc &) {
            outcome = "out of memory";
        } catch (const std::exception &error) {
            outcome = QByteArray("failed: ") + error.what();
        }
        getrusage(RUSAGE_SELF, &usage);
        const QByteArray report = QByteArray::number(usage.ru_maxrss - startKb) + '\n' + outcome;
        qsizetype written = 0;
        while (written < report.size()) {
            const ssize_t count = ::write(channel[1], report.constData() + written, report.size() - written);
            if (count <= 0)
                break;
            written += count;
        }
        _exit(0);
    }
    ::close(channel[1]);
    QByteArray report;
    char buffer[4096];
    ssize_t count = 0;
    while ((count = ::read(channel[0], buffer, sizeof buffer)) > 0)
        report.append(buffer, count);
    ::close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFSIGNALED(status))
        return {u"ended by signal %1"_s.arg(WTERMSIG(status))};
    const qsizetype lineEnd = report.indexOf('\n');
    return {QString::fromUtf8(report.mid(lineEnd + 1)), report.left(lineEnd).toLongLong()};
}

} // namespace

// Reading a sheet from .xls and .xlsx files written by independent
// writers: cell texts, the used range, which sheet, and damaged files.
class TestSheetReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cellsReadAsText_data();
    void cellsReadAsText();
    void usedRangeEndsAtTheLastValue_data();
    void usedRangeEndsAtTheLastValue();
    void readsTheActiveSheet_data();
    void readsTheActiveSheet();
    void keptColumnsAndTheUsedRange_data();
    void keptColumnsAndTheUsedRange();
    void craftedWorkbooksStayWithinMemory_data();
    void craftedWorkbooksStayWithinMemory();
    void xlsxCellFormsOfOtherWriters_data();
    void xlsxCellFormsOfOtherWriters();
    void numberTexts_data();
    void numberTexts();
    void unreadableFilesAreRefused_data();
    void unreadableFilesAreRefused();
    void exportedWorkbookReadsBack();

private:
    QString write(const QString &name, const QJsonObject &book);

    QTemporaryDir m_dir;
};

void TestSheetReader::initTestCase()
{
    QVERIFY(m_dir.isValid());
    for (const QString &suffix : {u".xls"_s, u".xlsx"_s}) {
        if (!WorkbookMaker::available(suffix))
            QFAIL("python3 with openpyxl and xlwt is needed to write the workbooks");
    }
}

QString TestSheetReader::write(const QString &name, const QJsonObject &book)
{
    const QString path = m_dir.filePath(name);
    QString error;
    if (!WorkbookMaker::write(path, book, &error))
        qWarning("%s", qPrintable(error));
    return path;
}

void TestSheetReader::cellsReadAsText_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::newRow("xlsx") << u".xlsx"_s;
    QTest::newRow("xls") << u".xls"_s;
}

void TestSheetReader::cellsReadAsText()
{
    QFETCH(QString, suffix);
    // Repeated texts make the writers share one string.
    const QJsonArray rows{
        QJsonArray{u"id"_s, u"编号"_s, u"商品名"_s, u"单价"_s, u"日期"_s},
        QJsonArray{1, u"001"_s, u"洗发水"_s, 12.5, date(u"2008-08-08"_s)},
        QJsonArray{2, QJsonValue(), u"洗发水"_s, 0.1 + 0.2, dateTime(u"2008-08-08 13:05:06"_s)},
        QJsonArray{-3, u"  前后空格 "_s, QJsonValue(), 123456789012.0, time(u"09:30:00"_s)},
        QJsonArray{formatted(7, u"0.00"_s), u"A\"'%_\\"_s, u"洗发水"_s, 1e-5,
                   formatted(40000.5, u"yyyy\"年\"m\"月\"d\"日\" hh:mm"_s)},
    };
    const ExcelSheet sheet = ExcelSheetReader::read(write(u"cells"_s + suffix, WorkbookMaker::book(rows, u"商品"_s)));
    QCOMPARE(sheet.name(), u"商品"_s);
    QCOMPARE(sheet.rowCount(), 5);
    QCOMPARE(sheet.columnCount(), 5);
    const QStringList expected{
        u"id|编号|商品名|单价|日期"_s,
        u"1|001|洗发水|12.5|2008-08-08"_s,
        u"2||洗发水|0.3|2008-08-08 13:05:06"_s,
        u"-3|  前后空格 ||123456789012|09:30:00"_s,
        // A number keeps its value whatever format shows it.
        u"7|A\"'%_\\|洗发水|0.00001|2009-07-06 12:00:00"_s,
    };
    QCOMPARE(texts(sheet), expected);
    // Outside the used range every cell is empty.
    QCOMPARE(sheet.text(1, 6), QString());
    QCOMPARE(sheet.text(6, 1), QString());
    QCOMPARE(sheet.text(0, 0), QString());
}

void TestSheetReader::usedRangeEndsAtTheLastValue_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QJsonObject>("book");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("columns");

    const QJsonArray gaps{QJsonArray{u"a"_s}, QJsonArray{}, QJsonArray{QJsonValue(), QJsonValue(), u"c"_s}};
    QJsonObject styled = WorkbookMaker::book(QJsonArray{QJsonArray{u"a"_s, u"b"_s}, QJsonArray{1, 2}});
    QJsonObject sheet = styled[u"sheets"_s].toArray().at(0).toObject();
    sheet[u"styledEmpty"_s] = QJsonArray{QJsonArray{5, 2}, QJsonArray{1, 7}};
    styled[u"sheets"_s] = QJsonArray{sheet};
    for (const QString &suffix : {u".xlsx"_s, u".xls"_s}) {
        const auto row = [&suffix](const char *what) -> QTestData & {
            return QTest::newRow(qPrintable(suffix.mid(1) + u' ' + QString::fromLatin1(what)));
        };
        row("empty rows and columns inside count") << suffix << WorkbookMaker::book(gaps) << 3 << 3;
        row("formatted empty cells do not") << suffix << styled << 2 << 2;
        row("titles only") << suffix << WorkbookMaker::book(QJsonArray{QJsonArray{u"id"_s, u"编号"_s}}) << 1 << 2;
        row("empty sheet") << suffix << WorkbookMaker::book({}) << 0 << 0;
    }
}

void TestSheetReader::usedRangeEndsAtTheLastValue()
{
    QFETCH(QString, suffix);
    QFETCH(QJsonObject, book);
    QFETCH(int, rows);
    QFETCH(int, columns);
    const QString name = QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'-') + suffix;
    const ExcelSheet sheet = ExcelSheetReader::read(write(name, book));
    QCOMPARE(sheet.rowCount(), rows);
    QCOMPARE(sheet.columnCount(), columns);
}

void TestSheetReader::readsTheActiveSheet_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<int>("active");
    QTest::addColumn<QString>("expected");
    // Excel opens a workbook on its active sheet, whichever it is.
    QTest::newRow("xlsx: the second") << u".xlsx"_s << 1 << u"第二"_s;
    QTest::newRow("xls: the second") << u".xls"_s << 1 << u"第二"_s;
    QTest::newRow("xls: the third") << u".xls"_s << 2 << u"第三"_s;
    QTest::newRow("xls: the first") << u".xls"_s << 0 << u"第一"_s;
}

void TestSheetReader::readsTheActiveSheet()
{
    QFETCH(QString, suffix);
    QFETCH(int, active);
    QFETCH(QString, expected);
    const QJsonObject book{
        {u"sheets"_s,
         QJsonArray{QJsonObject{{u"name"_s, u"第一"_s}, {u"rows"_s, QJsonArray{QJsonArray{u"第一"_s}}}},
                    QJsonObject{{u"name"_s, u"第二"_s}, {u"rows"_s, QJsonArray{QJsonArray{u"第二"_s}}}},
                    QJsonObject{{u"name"_s, u"第三"_s}, {u"rows"_s, QJsonArray{QJsonArray{u"第三"_s}}}}}},
        {u"active"_s, active}};
    const ExcelSheet sheet = ExcelSheetReader::read(write(u"sheets%1"_s.arg(active) + suffix, book));
    QCOMPARE(sheet.name(), expected);
    QCOMPARE(sheet.text(1, 1), expected);
}

void TestSheetReader::keptColumnsAndTheUsedRange_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::newRow("xlsx") << u".xlsx"_s;
    QTest::newRow("xls") << u".xls"_s;
}

void TestSheetReader::keptColumnsAndTheUsedRange()
{
    QFETCH(QString, suffix);
    const QJsonArray rows{
        QJsonArray{u"a"_s, u"b"_s, u"c"_s, u"d"_s},
        QJsonArray{1, 2, 3},
        QJsonArray{},
        QJsonArray{QJsonValue(), QJsonValue(), QJsonValue(), u"只在第四列"_s},
        QJsonArray{5},
    };
    const ExcelSheet sheet = ExcelSheetReader::read(write(u"kept"_s + suffix, WorkbookMaker::book(rows)), 2);
    // The used range counts every value; only the titles and columns A
    // and B are held.
    QCOMPARE(sheet.rowCount(), 5);
    QCOMPARE(sheet.columnCount(), 4);
    QCOMPARE(texts(sheet), (QStringList{u"a|b|c|d"_s, u"1|2||"_s, u"|||"_s, u"|||"_s, u"5|||"_s}));
    QCOMPARE(sheet.rowsWithValues(), (QList<int>{1, 2, 5}));
}

void TestSheetReader::craftedWorkbooksStayWithinMemory_data()
{
    QTest::addColumn<QByteArray>("sheet");
    QTest::addColumn<QByteArray>("sharedStrings");
    QTest::addColumn<QString>("repeatedPart");
    QTest::addColumn<WorkbookMaker::RepeatedPart>("repeated");
    QTest::addColumn<QString>("expected");

    // A few dozen kilobytes zipped; held as rows of 16,384 cells each,
    // nearly 2 GB.
    QByteArray far;
    for (int row = 1; row <= 5000; ++row)
        far += "<row r=\"" + QByteArray::number(row) + "\"><c r=\"XFD" + QByteArray::number(row)
            + "\"><v>" + QByteArray::number(row) + "</v></c></row>";
    QTest::newRow("a value in XFD on 5,000 rows")
        << far << QByteArray() << QString() << WorkbookMaker::RepeatedPart()
        << u"5000 rows, 16384 columns, last: 5000"_s;
    QTest::newRow("one value in the last row")
        << QByteArray("<row r=\"1048576\"><c r=\"A1048576\"><v>7</v></c></row>") << QByteArray()
        << QString() << WorkbookMaker::RepeatedPart() << u"1048576 rows, 1 columns, last: 7"_s;
    // Millions of one-letter strings in a few hundred kilobytes.
    const QByteArray main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    QTest::newRow("shared-strings bomb")
        << QByteArray("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>") << QByteArray("<si><t>x</t></si>")
        << u"xl/sharedStrings.xml"_s
        << WorkbookMaker::RepeatedPart{"<sst xmlns=\"" + main + "\">", "<si><t>x</t></si>", 3'800'000, "</sst>"}
        << u"工作簿中的文字太多：超过 1000000 条不同的文字，无法读取。"_s;
    // A sheet that inflates to 300 MB.
    QTest::newRow("zip bomb")
        << QByteArray() << QByteArray() << u"xl/worksheets/sheet1.xml"_s
        << WorkbookMaker::RepeatedPart{"<worksheet xmlns=\"" + main + "\"><sheetData>",
                                       QByteArray(1024, ' '), 300 * 1024, "</sheetData></worksheet>"}
        << u"工作簿太大：其中的 xl/worksheets/sheet1.xml 解压后超过 64 MB，无法读取。"_s;
}

void TestSheetReader::craftedWorkbooksStayWithinMemory()
{
    QFETCH(QByteArray, sheet);
    QFETCH(QByteArray, sharedStrings);
    QFETCH(QString, repeatedPart);
    QFETCH(WorkbookMaker::RepeatedPart, repeated);
    QFETCH(QString, expected);
    const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()).remove(u',').replace(u' ', u'-')
                                        + u".xlsx"_s);
    QMap<QString, QByteArray> parts = handMadePackage(sheet, sharedStrings);
    QMap<QString, WorkbookMaker::RepeatedPart> repeatedParts;
    if (!repeatedPart.isEmpty()) {
        parts.remove(repeatedPart);
        repeatedParts.insert(repeatedPart, repeated);
    }
    QString error;
    QVERIFY2(WorkbookMaker::writeZip(path, parts, &error, repeatedParts), qPrintable(error));

    const Bounded read = readWithin(path, qint64(200) << 20);
    qInfo("%s: a file of %lld kB; the peak resident size grew by %lld kB", QTest::currentDataTag(),
          QFileInfo(path).size() / 1024, read.growthKb);
    const QString prefix = u"无法读取Excel文件 "_s + QDir::toNativeSeparators(path) + u"："_s;
    if (expected.contains(u"无法读取"))
        QCOMPARE(read.outcome.left(prefix.size() + expected.size()), prefix + expected);
    else
        QCOMPARE(read.outcome, expected);
}

void TestSheetReader::xlsxCellFormsOfOtherWriters_data()
{
    QTest::addColumn<QByteArray>("sheet");
    QTest::addColumn<QByteArray>("sharedStrings");
    QTest::addColumn<QByteArray>("styles");
    QTest::addColumn<QByteArray>("workbookPr");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("rich text, without its phonetic guide")
        << QByteArray("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c></row>")
        << QByteArray("<si><t>洗发水</t></si>"
                      "<si><r><rPr><b/></rPr><t xml:space=\"preserve\">染 </t></r><r><t>发</t></r>"
                      "<rPh sb=\"0\" eb=\"1\"><t>ran</t></rPh></si>")
        << QByteArray() << QByteArray() << QStringList{u"洗发水|染 发"_s};
    QTest::newRow("inline strings, formulas' results, booleans, errors")
        << QByteArray("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>剪发</t></is></c>"
                      "<c r=\"B1\"><f>1+2</f><v>3</v></c><c r=\"C1\" t=\"str\"><f>\"a\"&amp;\"b\"</f><v>ab</v></c>"
                      "<c r=\"D1\" t=\"b\"><v>1</v></c><c r=\"E1\" t=\"e\"><v>#N/A</v></c>"
                      "<c r=\"F1\"><f>NOW()</f></c></row>")
        << QByteArray() << QByteArray() << QByteArray() << QStringList{u"剪发|3|ab|TRUE|#N/A"_s};
    QTest::newRow("cells and rows without references")
        << QByteArray("<row><c t=\"inlineStr\"><is><t>a</t></is></c><c><v>2</v></c></row>"
                      "<row><c r=\"C2\"><v>5</v></c><c><v>6</v></c></row>")
        << QByteArray() << QByteArray() << QByteArray() << QStringList{u"a|2||"_s, u"||5|6"_s};
    QTest::newRow("prefixes, references, CDATA, comments, quoting")
        << QByteArray("<!-- rows follow --><x:row xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" r = '1'>"
                      "<x:c r='A1' t=\"inlineStr\"><x:is><x:t>A&amp;B &lt;&#x4E2D;&#25991;&gt; &quot;&apos;</x:t></x:is></x:c>"
                      "<x:c r=\"B1\" t=\"inlineStr\"><x:is><x:t><![CDATA[<b>&amp;</b>]]></x:t></x:is></x:c>"
                      "<x:c r=\"C1\" t=\"inlineStr\"><x:is><x:t>一\r\n二&#13;</x:t></x:is></x:c>"
                      "<x:c r=\"D1\" s=\"0\"/><?pi ignored?><x:c r=\"E1\"><x:v> 7 </x:v></x:c></x:row>")
        << QByteArray() << QByteArray() << QByteArray()
        << QStringList{u"A&B <中文> \"'|<b>&amp;</b>|一\n二\r||7"_s};
    QTest::newRow("escaped control characters")
        << QByteArray("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>")
        << QByteArray("<si><t>一_x000D_二_x005F_x0041_</t></si>")
        << QByteArray() << QByteArray() << QStringList{u"一\r二_x0041_"_s};
    QTest::newRow("built-in and custom date formats")
        << QByteArray("<row r=\"1\"><c r=\"A1\" s=\"1\"><v>39668</v></c><c r=\"B1\" s=\"2\"><v>39668.75</v></c>"
                      "<c r=\"C1\" s=\"3\"><v>0.5</v></c><c r=\"D1\" s=\"4\"><v>39668</v></c>"
                      "<c r=\"E1\" s=\"5\"><v>39668</v></c><c r=\"F1\" s=\"6\"><v>1.5</v></c>"
                      "<c r=\"G1\" t=\"d\"><v>2008-08-08T13:05:06</v></c></row>")
        << QByteArray()
        << QByteArray("<numFmts count=\"2\"><numFmt numFmtId=\"164\" formatCode=\"[$-804]yyyy&quot;年&quot;m&quot;月&quot;\"/>"
                      "<numFmt numFmtId=\"165\" formatCode=\"[Red]0.00&quot;d&quot;;[h]:mm\"/></numFmts>"
                      "<cellStyleXfs count=\"1\"><xf numFmtId=\"14\"/></cellStyleXfs>"
                      "<cellXfs count=\"7\"><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/><xf numFmtId=\"22\"/>"
                      "<xf numFmtId=\"20\"/><xf numFmtId=\"164\"/><xf numFmtId=\"58\"/><xf numFmtId=\"165\"/></cellXfs>")
        << QByteArray()
        << QStringList{u"2008-08-08|2008-08-08 18:00:00|12:00:00|2008-08-08|2008-08-08|1.5|2008-08-08 13:05:06"_s};
    QTest::newRow("the 1904 date system")
        << QByteArray("<row r=\"1\"><c r=\"A1\" s=\"1\"><v>38206</v></c></row>") << QByteArray()
        << QByteArray("<cellXfs count=\"2\"><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/></cellXfs>")
        << QByteArray("<x:workbookPr date1904=\"1\"/>") << QStringList{u"2008-08-08"_s};
}

void TestSheetReader::xlsxCellFormsOfOtherWriters()
{
    QFETCH(QByteArray, sheet);
    QFETCH(QByteArray, sharedStrings);
    QFETCH(QByteArray, styles);
    QFETCH(QByteArray, workbookPr);
    QFETCH(QStringList, expected);
    const QString path = m_dir.filePath(u"hand%1.xlsx"_s.arg(QString::fromUtf8(QTest::currentDataTag())).replace(u' ', u'-').remove(u','));
    QString error;
    QVERIFY2(WorkbookMaker::writeZip(path, handMadePackage(sheet, sharedStrings, styles, workbookPr), &error),
             qPrintable(error));
    const ExcelSheet read = ExcelSheetReader::read(path);
    QCOMPARE(read.name(), u"手工"_s);
    QCOMPARE(texts(read), expected);
}

void TestSheetReader::numberTexts_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("whole") << 1.0 << u"1"_s;
    QTest::newRow("negative zero") << -0.0 << u"0"_s;
    QTest::newRow("fraction") << 12.5 << u"12.5"_s;
    QTest::newRow("binary noise") << 0.1 + 0.2 << u"0.3"_s;
    QTest::newRow("phone number") << 13800138000.0 << u"13800138000"_s;
    QTest::newRow("small") << 0.00012 << u"0.00012"_s;
    QTest::newRow("large") << 1e20 << u"100000000000000000000"_s;
    QTest::newRow("tiny") << 1e-20 << u"1e-20"_s;
}

void TestSheetReader::numberTexts()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(ExcelCellText::number(value), expected);
}

void TestSheetReader::unreadableFilesAreRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("reason");

    const QString damaged = u"文件已损坏或不完整"_s;
    QTest::newRow("xlsx cut short") << u"cut.xlsx"_s << u"truncate"_s << damaged;
    QTest::newRow("xls cut short") << u"cut.xls"_s << u"truncate"_s << damaged;
    QTest::newRow("xlsx with a damaged byte stream") << u"bytes.xlsx"_s << u"scramble"_s << damaged;
    QTest::newRow("text named .xlsx") << u"text.xlsx"_s << u"text"_s
                                      << u"不是Excel工作簿，只能读取 .xls 和 .xlsx 文件。"_s;
    QTest::newRow("zip that is no workbook") << u"other.xlsx"_s << u"zip"_s << u"不是Excel工作簿。"_s;
    QTest::newRow("broken sheet XML") << u"xml.xlsx"_s << u"xml"_s
                                      << u"文件已损坏或不完整（xl/worksheets/sheet1.xml）。"_s;
    QTest::newRow("string index beyond the strings") << u"index.xlsx"_s << u"index"_s
                                                     << u"文件已损坏或不完整（xl/worksheets/sheet1.xml）。"_s;
    QTest::newRow("empty file") << u"empty.xls"_s << u"empty"_s << u"文件是空的。"_s;
    QTest::newRow("missing file") << u"missing.xlsx"_s << u"missing"_s
                                  << u"文件或文件夹不存在。请检查路径是否正确"_s;
}

void TestSheetReader::unreadableFilesAreRefused()
{
    QFETCH(QString, name);
    QFETCH(QString, how);
    QFETCH(QString, reason);
    const QString path = m_dir.filePath(name);
    const QJsonArray rows{QJsonArray{u"id"_s, u"商品名"_s}, QJsonArray{1, u"洗发水"_s}};
    QString error;
    if (how == u"truncate" || how == u"scramble") {
        QJsonArray many = rows;
        for (int i = 0; i < 300; ++i)
            many.append(QJsonArray{i, u"商品%1"_s.arg(i)});
        write(name, WorkbookMaker::book(many));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        if (how == u"truncate") {
            QVERIFY(file.resize(file.size() / 2));
        } else {
            // Overwrite part of the sheet's deflated data, just after its
            // local header (which ends with the part's name).
            const QByteArray content = file.readAll();
            const qsizetype header = content.indexOf("xl/worksheets/sheet1.xml");
            QVERIFY(header > 0);
            QVERIFY(file.seek(header + 40));
            file.write(QByteArray(64, '\x5a'));
        }
    } else if (how == u"text") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("id,商品名\n1,洗发水\n");
    } else if (how == u"zip") {
        QVERIFY2(WorkbookMaker::writeZip(path, {{u"readme.txt"_s, "hello"}}, &error), qPrintable(error));
    } else if (how == u"xml") {
        QVERIFY2(WorkbookMaker::writeZip(path, handMadePackage("<row r=\"1\"><c r=\"A1\"><v>1</v></row>"), &error),
                 qPrintable(error));
    } else if (how == u"index") {
        QVERIFY2(WorkbookMaker::writeZip(path, handMadePackage("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>3</v></c></row>",
                                                               "<si><t>a</t></si>"),
                                         &error),
                 qPrintable(error));
    } else if (how == u"empty") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    try {
        ExcelSheetReader::read(path);
        QFAIL("the file should have been refused");
    } catch (const Refusal &refusal) {
        const QString prefix = u"无法读取Excel文件 "_s + QDir::toNativeSeparators(path) + u"："_s;
        QVERIFY2(refusal.text().startsWith(prefix), qPrintable(refusal.text()));
        QVERIFY2(refusal.text().mid(prefix.size()).startsWith(reason), qPrintable(refusal.text()));
    }
}

// The program writes workbooks with libxlsxwriter and reads them with
// this reader, in one process: each must keep its own zip library (a
// second copy of minizip under the same names once made the export crash).
void TestSheetReader::exportedWorkbookReadsBack()
{
    VariantTableModel model({u"编号"_s, u"商品名"_s, u"单价"_s, u"日期"_s},
                            {{1, u"洗发水"_s, 12.5, QDate(2008, 8, 8)},
                             {2, u"剪发"_s, 30, QDate(2024, 3, 1)}});
    const QString path = m_dir.filePath(u"exported.xlsx"_s);
    QString error;
    QCOMPARE(ExcelExporter().write(model, path, 0, 3, &error), ExcelExporter::Outcome::Written);
    QCOMPARE(texts(ExcelSheetReader::read(path)),
             (QStringList{u"编号|商品名|单价|日期"_s, u"1|洗发水|12.5|2008-08-08"_s,
                          u"2|剪发|30|2024-03-01"_s}));
}

QTEST_GUILESS_MAIN(TestSheetReader)
#include "tst_sheet_reader.moc"
