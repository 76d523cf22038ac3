#include "PdfText.h"

#include "report/ListReport.h"
#include "report/ReportPagination.h"

#include <QBuffer>
#include <QDir>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(ReportPagination::Heights)

namespace {

const QDateTime PrintedAt(QDate(2024, 3, 1), QTime(8, 5, 9));

// Open lines as the plate board lists them; 合计 holds 0.1 per line so
// that a floating-point total would show its rounding error.
std::unique_ptr<QStandardItemModel> boardLines(int rows)
{
    auto model = std::make_unique<QStandardItemModel>(0, 8);
    model->setHorizontalHeaderLabels({u"号牌"_s, u"商品名"_s, u"单价"_s, u"数量"_s, u"折扣"_s,
                                      u"合计"_s, u"员工姓名"_s, u"营业员"_s});
    for (int i = 1; i <= rows; ++i) {
        QList<QStandardItem *> items;
        for (const QVariant &value :
             QVariantList{u"A01"_s, u"项目%1"_s.arg(i, 4, 10, QChar(u'0')), u"0.1"_s, 1, u"1"_s,
                          u"0.1"_s, u"王芳"_s, u"管理员"_s}) {
            auto *item = new QStandardItem;
            item->setData(value, Qt::DisplayRole);
            items.append(item);
        }
        model->appendRow(items);
    }
    return model;
}

// The board's list: its headings, the line columns below them and the
// closing band with date, time and totals.
ListReport boardReport(QAbstractItemModel *model)
{
    ListReport report;
    report.setModel(model);
    report.setPrintedAt(PrintedAt);
    report.addTitle(u"消费明细表"_s, 16);
    const auto right = Qt::AlignRight;
    report.addColumn({u"号牌"_s, u"号牌"_s});
    report.addColumn({u"商品名"_s, u"商品名"_s, 2.5});
    report.addColumn({u"单价"_s, u"单价"_s, 1, right});
    report.addColumn({u"数量"_s, u"数量"_s, 1, right, true});
    report.addColumn({u"折"_s, u"折扣"_s, 0.8, right});
    report.addColumn({u"合计"_s, u"合计"_s, 1, right, true});
    report.addColumn({u"服务生"_s, u"员工姓名"_s, 1.2});
    report.addColumn({u"营业员"_s, u"营业员"_s, 1.2});
    report.addClosingLine(u"打印日期:[DATE] 时间:[TIME] 数量:[SUM(数量)] 合计:[SUM(合计)] 元"_s);
    return report;
}

std::unique_ptr<QStandardItemModel> valuesModel(const QVariantList &values)
{
    auto model = std::make_unique<QStandardItemModel>(0, 2);
    model->setHorizontalHeaderLabels({u"名称"_s, u"金额"_s});
    for (const QVariant &value : values) {
        auto *amount = new QStandardItem;
        amount->setData(value, Qt::DisplayRole);
        model->appendRow({new QStandardItem(u"x"_s), amount});
    }
    return model;
}

} // namespace

class TestReport : public QObject
{
    Q_OBJECT

private:
    QStringList renderPages(const ListReport &report)
    {
        const QString path = m_dir.filePath(u"report.pdf"_s);
        QString error;
        if (!report.writePdf(path, &error)) {
            qWarning("writePdf: %s", qUtf8Printable(error));
            return {};
        }
        const QStringList pages = PdfText::pages(path, &error);
        if (pages.isEmpty())
            qWarning("pdftotext: %s", qUtf8Printable(error));
        return pages;
    }

    QTemporaryDir m_dir;

private slots:
    void tokens_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expanded");

        QTest::newRow("date and time") << u"[DATE] [TIME]"_s << u"2024-03-01 08:05:09"_s;
        QTest::newRow("no tokens") << u"合计: 元"_s << u"合计: 元"_s;
        QTest::newRow("same token twice") << u"[DATE]/[DATE]"_s << u"2024-03-01/2024-03-01"_s;
        QTest::newRow("sum by heading") << u"数量:[SUM(数量)]"_s << u"数量:3"_s;
        QTest::newRow("sum by field behind another heading") << u"[SUM(折扣)]"_s << u"3"_s;
        QTest::newRow("sum by heading of a renamed field") << u"[SUM(折)]"_s << u"3"_s;
        QTest::newRow("sum is exact") << u"合计:[SUM(合计)] 元"_s << u"合计:0.3 元"_s;
        QTest::newRow("sum of a model column the list does not show") << u"[SUM(单价)]"_s << u"0.3"_s;
        QTest::newRow("unknown column stays") << u"[SUM(无此列)]"_s << u"[SUM(无此列)]"_s;
        QTest::newRow("lower case is no token") << u"[date]"_s << u"[date]"_s;
        QTest::newRow("unclosed bracket") << u"[DATE"_s << u"[DATE"_s;
    }

    void tokens()
    {
        QFETCH(QString, text);
        QFETCH(QString, expanded);
        auto model = boardLines(3);
        const ListReport report = boardReport(model.get());
        QCOMPARE(report.expand(text), expanded);
    }

    void sums_data()
    {
        QTest::addColumn<QVariantList>("values");
        QTest::addColumn<QString>("total");

        QTest::newRow("no rows") << QVariantList{} << u"0"_s;
        QTest::newRow("amount texts add exactly")
            << QVariantList{u"0.1"_s, u"0.2"_s, u"0.3"_s} << u"0.6"_s;
        QTest::newRow("doubles add exactly") << QVariantList{0.1, 0.2} << u"0.3"_s;
        QTest::newRow("integers") << QVariantList{2, qlonglong(40)} << u"42"_s;
        QTest::newRow("four decimals") << QVariantList{u"28.0501"_s, u"-0.0001"_s} << u"28.05"_s;
        QTest::newRow("blank, NULL and words count nothing")
            << QVariantList{u"5"_s, u""_s, QVariant(QMetaType::fromType<QString>()), u"免单"_s}
            << u"5"_s;
        QTest::newRow("negative total") << QVariantList{u"-12.5"_s, 2} << u"-10.5"_s;
    }

    void sums()
    {
        QFETCH(QVariantList, values);
        QFETCH(QString, total);
        auto model = valuesModel(values);
        ListReport report;
        report.setModel(model.get());
        report.addColumn({u"名称"_s, 0});
        report.addColumn({u"金额"_s, 1});
        QCOMPARE(report.sum(1).toString(), total);
    }

    void columnsByNumberOrField_data()
    {
        QTest::addColumn<int>("modelColumn");
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("resolved");

        QTest::newRow("by number") << 2 << QString() << 2;
        QTest::newRow("by field") << -1 << u"合计"_s << 5;
        QTest::newRow("number wins over field") << 1 << u"合计"_s << 1;
        QTest::newRow("unknown field") << -1 << u"无此列"_s << -1;
        QTest::newRow("number past the model") << 8 << QString() << -1;
    }

    void columnsByNumberOrField()
    {
        QFETCH(int, modelColumn);
        QFETCH(QString, field);
        QFETCH(int, resolved);
        auto model = boardLines(1);
        ListReport report;
        report.setModel(model.get());
        ReportColumn column(u"列"_s, field);
        column.modelColumn = modelColumn;
        report.addColumn(column);
        QCOMPARE(report.modelColumns(), QList<int>{resolved});
    }

    void cellText_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("text");

        QTest::newRow("text") << QVariant(u"洗剪吹"_s) << u"洗剪吹"_s;
        QTest::newRow("double") << QVariant(12.5) << u"12.5"_s;
        QTest::newRow("date-time") << QVariant(QDateTime(QDate(2024, 3, 1), QTime(8, 30, 15)))
                                   << u"2024-03-01 08:30:15"_s;
        QTest::newRow("date") << QVariant(QDate(2024, 3, 1)) << u"2024-03-01"_s;
        QTest::newRow("NULL") << QVariant(QMetaType::fromType<QString>()) << QString();
    }

    void cellText()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, text);
        auto model = valuesModel({value});
        ListReport report;
        report.setModel(model.get());
        QCOMPARE(report.cellText(0, 1), text);
    }

    void pagination_data()
    {
        // A page of 100 with a footer and headings of 10 each: 80 left for
        // rows of 10, and 20 less on the first page for the titles.
        const ReportPagination::Heights heights{100, 20, 10, 10, 10, 15};
        using Pages = QList<QList<int>>; // first row, row count, titles, closing
        QTest::addColumn<int>("rows");
        QTest::addColumn<ReportPagination::Heights>("heights");
        QTest::addColumn<Pages>("pages");

        QTest::newRow("no rows") << 0 << heights << Pages{{0, 0, 1, 1}};
        QTest::newRow("closing fits under the rows") << 4 << heights << Pages{{0, 4, 1, 1}};
        QTest::newRow("first page full, closing moves on")
            << 6 << heights << Pages{{0, 6, 1, 0}, {6, 0, 0, 1}};
        QTest::newRow("rows run over")
            << 13 << heights << Pages{{0, 6, 1, 0}, {6, 7, 0, 0}, {13, 0, 0, 1}};
        QTest::newRow("closing on the last rows' page")
            << 12 << heights << Pages{{0, 6, 1, 0}, {6, 6, 0, 1}};
        QTest::newRow("page smaller than a row still takes one")
            << 2 << ReportPagination::Heights{15, 0, 10, 10, 10, 0}
            << Pages{{0, 1, 1, 0}, {1, 1, 0, 1}};
    }

    void pagination()
    {
        using Pages = QList<QList<int>>;
        QFETCH(int, rows);
        QFETCH(ReportPagination::Heights, heights);
        QFETCH(Pages, pages);
        Pages actual;
        for (const auto &page : ReportPagination::paginate(rows, heights))
            actual.append({page.firstRow, page.rowCount, page.titles ? 1 : 0, page.closing ? 1 : 0});
        QCOMPARE(actual, pages);
    }

    void multiPagePdf()
    {
        if (!PdfText::available())
            QSKIP("pdftotext is needed to read the PDF back");
        const int rows = 150;
        auto model = boardLines(rows);
        const QStringList pages = renderPages(boardReport(model.get()));
        QVERIFY2(pages.size() >= 3, qPrintable(QString::number(pages.size())));

        const QStringList headings{u"号牌"_s, u"商品名"_s, u"单价"_s, u"数量"_s, u"折"_s,
                                   u"合计"_s, u"服务生"_s, u"营业员"_s};
        QMap<QString, int> seen;
        static const QRegularExpression label(u"项目\\d{4}"_s);
        for (qsizetype p = 0; p < pages.size(); ++p) {
            const QString &page = pages[p];
            for (const QString &heading : headings)
                QVERIFY2(page.contains(heading), qPrintable(u"page %1 lacks %2"_s.arg(p + 1).arg(heading)));
            QCOMPARE(page.contains(u"消费明细表"), p == 0);
            QVERIFY2(page.contains(u"第 %1 页，共 %2 页"_s.arg(p + 1).arg(pages.size())),
                     qPrintable(page.right(200)));
            for (auto it = label.globalMatch(page); it.hasNext();)
                ++seen[it.next().captured()];
        }
        // Every line printed once, none lost at a page break.
        QCOMPARE(seen.size(), rows);
        QCOMPARE(seen.first(), 1);
        QCOMPARE(seen.last(), 1);
        QVERIFY(std::all_of(seen.begin(), seen.end(), [](int n) { return n == 1; }));

        const QString last = pages.last();
        QVERIFY2(last.contains(u"打印日期:2024-03-01 时间:08:05:09 数量:150 合计:15 元"_s),
                 qPrintable(last));
        QVERIFY(!last.contains(u"[DATE]") && !last.contains(u"[SUM("));
        // The sums row under the list: 150 lines, 150 × 0.1.
        static const QRegularExpression sumsRow(u"合计\\s+150\\s+15\\s*\\n"_s);
        QVERIFY2(sumsRow.match(last).hasMatch(), qPrintable(last));
        for (qsizetype p = 0; p + 1 < pages.size(); ++p)
            QVERIFY(!pages[p].contains(u"打印日期"));
    }

    void progressCountsPagesAndCanStop()
    {
        auto model = boardLines(150);
        const ListReport report = boardReport(model.get());
        QBuffer nowhere;
        nowhere.open(QIODevice::WriteOnly);

        QList<std::pair<int, int>> heard;
        {
            QPdfWriter writer(&nowhere);
            QVERIFY(report.render(writer, [&heard](int page, int pages) {
                heard.append({page, pages});
                return true;
            }));
        }
        QVERIFY(heard.size() >= 3);
        for (qsizetype i = 0; i < heard.size(); ++i)
            QCOMPARE(heard[i], std::make_pair(int(i) + 1, int(heard.size())));

        // Stopped before the third page: no further page is drawn, and the
        // caller hears that the list is not whole.
        int asked = 0;
        QPdfWriter writer(&nowhere);
        QVERIFY(!report.render(writer, [&asked](int page, int) {
            ++asked;
            return page < 3;
        }));
        QCOMPARE(asked, 3);
    }

    void emptyListStillPrints()
    {
        if (!PdfText::available())
            QSKIP("pdftotext is needed to read the PDF back");
        auto model = boardLines(0);
        const QStringList pages = renderPages(boardReport(model.get()));
        QCOMPARE(pages.size(), 1);
        QVERIFY(pages[0].contains(u"消费明细表"));
        QVERIFY(pages[0].contains(u"服务生"));
        QVERIFY2(pages[0].contains(u"数量:0 合计:0 元"), qPrintable(pages[0]));
        QVERIFY(pages[0].contains(u"第 1 页，共 1 页"));
    }

    // A receipt prints "/" before every number of a line but not before the
    // total under them, and a roll has no page numbers.
    void prefixedCellsWithoutPageNumbers()
    {
        if (!PdfText::available())
            QSKIP("pdftotext is needed to read the PDF back");
        auto model = valuesModel({u"12.5"_s, u"0.1"_s});
        ListReport report;
        report.setModel(model.get());
        report.setPageNumbers(false);
        report.addColumn({u"名称"_s, 0});
        ReportColumn amount(u"金额"_s, 1, 1, Qt::AlignLeft, true);
        amount.prefix = u"/"_s;
        report.addColumn(amount);
        report.addClosingLine(u"小计:[SUM(金额)]"_s);

        const QStringList pages = renderPages(report);
        QCOMPARE(pages.size(), 1);
        static const QRegularExpression rows(u"x\\s+/12\\.5\\s*\\n\\s*x\\s+/0\\.1\\s*\\n"_s);
        QVERIFY2(rows.match(pages[0]).hasMatch(), qPrintable(pages[0]));
        static const QRegularExpression sumsRow(u"合计\\s+12\\.6\\s*\\n"_s);
        QVERIFY2(sumsRow.match(pages[0]).hasMatch(), qPrintable(pages[0]));
        QVERIFY2(pages[0].contains(u"小计:12.6"), qPrintable(pages[0]));
        QVERIFY2(!pages[0].contains(u"页"), qPrintable(pages[0]));
    }

    // A page made as tall as the measured content holds the whole report;
    // one three rows shorter does not, so the measure is not simply generous.
    void contentHeightFitsOnePage()
    {
        if (!PdfText::available())
            QSKIP("pdftotext is needed to read the PDF back");
        auto rows20 = boardLines(20);
        auto rows17 = boardLines(17);
        ListReport report = boardReport(rows20.get());
        const qreal height20 = report.contentHeightMm();
        const qreal height17 = boardReport(rows17.get()).contentHeightMm();
        QVERIFY2(height17 > 0 && height20 > height17, qPrintable(u"%1 %2"_s.arg(height17).arg(height20)));

        const auto pageOf = [](qreal contentMm) {
            return QPageLayout(QPageSize(QSizeF(210, contentMm + 20), QPageSize::Millimeter),
                               QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                               QPageLayout::Millimeter);
        };
        report.setPageLayout(pageOf(height20));
        QStringList pages = renderPages(report);
        QCOMPARE(pages.size(), 1);
        QVERIFY(pages[0].contains(u"项目0020"));
        QVERIFY(pages[0].contains(u"打印日期:"));

        report.setPageLayout(pageOf(height17));
        pages = renderPages(report);
        QCOMPARE(pages.size(), 2);
    }

    void writePdfNamesTheFileItCannotWrite()
    {
        auto model = boardLines(1);
        const QString path = m_dir.filePath(u"missing/report.pdf"_s);
        QString error;
        QVERIFY(!boardReport(model.get()).writePdf(path, &error));
        QVERIFY2(error.contains(QDir::toNativeSeparators(path)), qPrintable(error));
    }
};

QTEST_MAIN(TestReport)
#include "tst_report.moc"
