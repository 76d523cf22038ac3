#include "WorkbookReader.h"

#include "common/Money.h"
#include "export/ExcelExporter.h"
#include "support/TestDb.h"

#include <QFileInfo>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The exporter over a query result as the windows hand it over, on each
// backend: PostgreSQL gives amounts as text and times as QDateTime, SQLite
// gives amounts as numbers and times as text.
class TestExportDb : public QObject
{
    Q_OBJECT

private:
    // `rows` open lines, read back as the line grid shows them.
    std::unique_ptr<QSqlQueryModel> lineModel(int rows)
    {
        m_db = TestDb::fresh();
        // By hand in one transaction: many lines, quickly.
        m_db->begin();
        for (int i = 1; i <= rows; ++i) {
            m_db->execute(u"insert into xfmx (号牌, 商品名, 合计, 消费时间, 员工编号) values (?, ?, ?, ?, ?)"_s,
                          {u"A01"_s, u"洗剪吹"_s, Money::fromText(u"12.5").toVariant(),
                           QDateTime(QDate(2024, 3, 1), QTime(8, 30, 15)), u"007"_s});
        }
        m_db->commit();
        QSqlQuery query(m_db->handle());
        if (m_db->dialect().isPostgres())
            query.setNumericalPrecisionPolicy(QSql::HighPrecision);
        query.exec(u"select 号牌, 商品名, 合计 as 总合计, 消费时间, 员工编号 from xfmx order by ID"_s);
        auto model = std::make_unique<QSqlQueryModel>();
        model->setQuery(std::move(query));
        return model;
    }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        if (!WorkbookReader::available())
            QSKIP("python3 with openpyxl is needed to read the workbooks back");
    }

    void cleanup()
    {
        m_db.reset();
    }

    void everyRowWithItsType()
    {
        auto model = lineModel(1000);
        // SQLite cannot tell the size of a result, so the model starts
        // partly read; PostgreSQL can.
        if (TestDb::backend() == Backend::Sqlite)
            QVERIFY(model->rowCount() < 1000);
        // PostgreSQL numeric arrives as text; only the field type says it is a number.
        if (TestDb::backend() == Backend::Postgres)
            QCOMPARE(model->index(0, 2).data().typeId(), QMetaType::QString);

        QString error;
        QCOMPARE(ExcelExporter().write(*model, path(u"lines.xlsx"_s), 0, 4, &error),
                 ExcelExporter::Outcome::Written);
        WorkbookReader::Sheet sheet;
        QVERIFY2(WorkbookReader::read(path(u"lines.xlsx"_s), &sheet, &error), qPrintable(error));
        QCOMPARE(sheet.rows.size(), 1001);

        QStringList headers;
        for (const auto &cell : sheet.rows[0])
            headers.append(cell.value);
        QCOMPARE(headers, (QStringList{u"号牌"_s, u"商品名"_s, u"总合计"_s, u"消费时间"_s, u"员工编号"_s}));

        const auto &last = sheet.rows[1000];
        QCOMPARE(last.size(), 5);
        QCOMPARE(last[0].type, u"str"_s);
        QCOMPARE(last[1].value, u"洗剪吹"_s);
        QCOMPARE(last[2].type, u"number"_s);
        QCOMPARE(last[2].value, u"12.5"_s);
        QCOMPARE(last[3].type, u"datetime"_s);
        QCOMPARE(last[3].value, u"2024-03-01 08:30:15"_s);
        QCOMPARE(last[4].type, u"str"_s);
        QCOMPARE(last[4].value, u"007"_s);
    }

    void cancelWhileFetching()
    {
        auto model = lineModel(600);
        if (!model->canFetchMore())
            QSKIP("this backend hands over the whole result at once");
        int reports = 0;
        ExcelExporter exporter;
        exporter.setProgress([&](int, int total) {
            ++reports;
            return total != 0;
        });
        QCOMPARE(exporter.write(*model, path(u"cancelled.xlsx"_s), 0, 4),
                 ExcelExporter::Outcome::Cancelled);
        QCOMPARE(reports, 1);
        QVERIFY(!QFileInfo::exists(path(u"cancelled.xlsx"_s)));
    }

    void progressEndsAtTotal()
    {
        auto model = lineModel(700);
        int lastDone = -1;
        int lastTotal = -1;
        ExcelExporter exporter;
        exporter.setProgress([&](int done, int total) {
            lastDone = done;
            lastTotal = total;
            return true;
        });
        QCOMPARE(exporter.write(*model, path(u"progress.xlsx"_s), 0, 4),
                 ExcelExporter::Outcome::Written);
        QCOMPARE(lastTotal, 700);
        QCOMPARE(lastDone, 700);
    }
};

SALONDESK_DB_TEST_MAIN(TestExportDb)
#include "tst_export_db.moc"
