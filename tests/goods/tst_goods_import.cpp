#include "GoodsFixture.h"
#include "support/TestDb.h"

#include "common/Clock.h"
#include "common/Refusal.h"
#include "export/ExcelSheet.h"
#include "goods/GoodsCatalogue.h"
#include "goods/GoodsImport.h"
#include "session/AppContext.h"

#include <QSqlQuery>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace GoodsFixture;

namespace {

// Whoever imports here may; the right itself is test_rights' matter.
const Operator Owner{u"店长"_s, Rights::all()};

const QStringList Titles{u"id"_s,   u"编号"_s,     u"商品名"_s, u"拼音"_s,        u"单价"_s,
                         u"提成金额"_s, u"商品类型"_s, u"库存"_s,   u"是否需要服务"_s};

ExcelSheet sheet(const QList<QStringList> &dataRows)
{
    QList<QStringList> rows{Titles};
    rows.append(dataRows);
    return ExcelSheet(u"Sheet1"_s, rows);
}

// Every 商品库 row as "id|编号|商品名|拼音|单价|提成金额|商品类型|库存|是否需要服务",
// amounts in their shortest form, by id.
QStringList catalogue(Database &db)
{
    QStringList rows;
    QSqlQuery query = db.exec(u"select id, 编号, 商品名, 拼音, 单价, 提成金额, 商品类型, 库存, 是否需要服务 "
                              "from 商品库 order by id"_s);
    while (query.next()) {
        QStringList cells;
        for (int column = 0; column < 9; ++column) {
            const QVariant value = query.value(column);
            const bool amount = column == 4 || column == 5 || column == 7;
            cells.append(amount ? Money::fromVariant(value).toString() : value.toString());
        }
        rows.append(cells.join(u'|'));
    }
    return rows;
}

// The database itself refuses goods of this name, as a constraint the
// import knows nothing of would.
void refuseName(Database &db, const QString &name)
{
    if (db.backend() == Backend::Postgres) {
        db.exec(u"create function refuse_name() returns trigger language plpgsql as $$ begin "
                "if new.商品名 = '"_s + name + u"' then raise exception 'refused'; end if; "
                "return new; end $$"_s);
        db.exec(u"create trigger refuse_name before insert on 商品库 for each row "
                "execute function refuse_name()"_s);
    } else {
        db.exec(u"create trigger refuse_name before insert on 商品库 when new.商品名 = '"_s + name +
                u"' begin select raise(abort, 'refused'); end"_s);
    }
}

int addThroughCatalogue(Database &db, const QString &name)
{
    AppContext context;
    context.OperatorName = u"店长"_s;
    FixedClock clock(QDateTime(QDate(2024, 3, 1), QTime(8, 0)));
    return GoodsCatalogue(db, context.signedIn(), clock)
        .add({u"9"_s, name, {}, u"美发服务"_s, u"否"_s, u"20"_s, {}, {}, {}});
}

} // namespace

// The goods import on both backends: which rows go in and as what, which
// fail and why, numbering by sheet row, the id sequence afterwards, and
// the password.
class TestGoodsImport : public QObject
{
    Q_OBJECT

private slots:
    void refusedRowsAreListedOthersKept();
    void rowsGoInAsTheyStand();
    void numberingBySheetRow();
    void sheetWithoutDataRows_data();
    void sheetWithoutDataRows();
    void emptyRowsAreNoFailures_data();
    void emptyRowsAreNoFailures();
    void goodsAddedLaterGetNewIds_data();
    void goodsAddedLaterGetNewIds();
    void progressHearsEveryRow();
    void stoppingKeepsNothing();
    void password_data();
    void password();
};

void TestGoodsImport::refusedRowsAreListedOthersKept()
{
    auto db = TestDb::fresh();
    type(*db, u"美发服务"_s, false);
    const int existing = item(*db, u"旧商品"_s, u"美发服务"_s, u"0"_s);
    QCOMPARE(existing, 1);
    refuseName(*db, u"拒绝的"_s);
    const ExcelSheet rows = sheet({
        {u"2"_s, u"101"_s, u"洗发"_s, u"XF"_s, u"20"_s, u"2"_s, u"美发服务"_s, u"0"_s, u"是"_s},
        {u"1"_s, u"102"_s, u"重复的旧id"_s, {}, u"10"_s},                       // row 3: id taken
        {u"3"_s, u"103"_s, u"剪发"_s, u"JF"_s, u"30"_s},
        {u"3"_s, u"104"_s, u"表内重复"_s, {}, u"10"_s},                         // row 5: id repeated
        {u"4"_s, u"105"_s, u"价格是字"_s, {}, u"二十"_s},                       // row 6: no number
        {u"abc"_s, u"106"_s, u"id是字"_s, {}, u"10"_s},                         // row 7: no number
        {u"5"_s, u"107"_s, u"控制\u0001字符"_s, {}, u"10"_s},                   // row 8: refused text
        {u"6"_s, u"108"_s, u"库存是字"_s, {}, u"10"_s, {}, {}, u"很多"_s},      // row 9
        {u"7"_s, u"109"_s, u"烫发"_s, u"TF"_s, u"88.5"_s, u"5"_s, u"美发服务"_s, u"-2"_s, u"否"_s},
        {u"8"_s, u"110"_s, u"拒绝的"_s},                                         // row 11: refused
        {u"9"_s, u"111"_s, u"染发"_s},
    });
    const GoodsImport::Outcome outcome = GoodsImport(*db, Owner).run(rows, false);
    QCOMPARE(outcome.failedRows, (QList<int>{3, 5, 6, 7, 8, 9, 11}));
    QCOMPARE(outcome.inserted, 4);
    // Each failed row says why, for the operator to mend it in the sheet.
    const QString notNumbers = u"单价、提成金额或库存不是数字"_s;
    const QString refused = u"数据库不接受这一行："_s;
    const QHash<int, QString> reasons{{3, u"id 1 已有商品"_s}, {5, u"id 3 已有商品"_s},
                                      {6, notNumbers},        {7, u"id“abc”不是整数"_s},
                                      {8, refused},           {9, notNumbers},
                                      {11, refused}};
    QCOMPARE(outcome.reasons.size(), reasons.size());
    for (auto it = reasons.cbegin(); it != reasons.cend(); ++it) {
        const QString reason = outcome.reasons.value(it.key());
        QVERIFY2(it.value() == refused ? reason.startsWith(refused) && reason.size() > refused.size()
                                       : reason == it.value(),
                 qPrintable(u"row %1: %2"_s.arg(it.key()).arg(reason)));
    }
    QCOMPARE(catalogue(*db), (QStringList{
                                 u"1|001|旧商品|P|10|0|美发服务|0|否"_s,
                                 u"2|101|洗发|XF|20|2|美发服务|0|是"_s,
                                 u"3|103|剪发|JF|30|0||0|"_s,
                                 u"7|109|烫发|TF|88.5|5|美发服务|-2|否"_s,
                                 u"9|111|染发||0|0||0|"_s,
                             }));
}

void TestGoodsImport::rowsGoInAsTheyStand()
{
    auto db = TestDb::fresh();
    const ExcelSheet rows = sheet({
        // An empty 编号 becomes "0"; empty amounts are 0; the pinyin is not
        // computed and the type not checked; quotes and % are plain text.
        {u"10"_s, {}, u"洗发水"_s, {}, {}, {}, u"没有的类型"_s, {}, u"也许"_s},
        {u"11"_s, u" 0012 "_s, u"O'Neil \"100%\" _\\"_s, u"ab"_s, u" 12.50 "_s, u"0.00005"_s,
         u"洗护"_s, u"3.25"_s, u"否"_s, u"第十列不读"_s},
    });
    const GoodsImport::Outcome outcome = GoodsImport(*db, Owner).run(rows, false);
    QVERIFY(outcome.failedRows.isEmpty());
    QCOMPARE(catalogue(*db), (QStringList{
                                 u"10|0|洗发水||0|0|没有的类型|0|也许"_s,
                                 // Amounts keep four decimals, rounded half to even.
                                 u"11| 0012 |O'Neil \"100%\" _\\|ab|12.5|0|洗护|3.25|否"_s,
                             }));
    QCOMPARE(db->scalar(u"select count(*) from 商品库 where 拼音 is null or 单价 is null"_s).toInt(), 0);
    QCOMPARE(count(*db, u"进货表"_s), 0);
}

void TestGoodsImport::numberingBySheetRow()
{
    auto db = TestDb::fresh();
    const ExcelSheet rows = sheet({
        {u"900"_s, u"1"_s, u"洗发"_s},
        {{}, u"2"_s, u"剪发"_s},
        {u"不是数"_s, u"3"_s, u"烫发"_s},
    });
    GoodsImport::Outcome outcome = GoodsImport(*db, Owner).run(rows, true);
    QVERIFY(outcome.failedRows.isEmpty());
    QCOMPARE(db->strings(u"select id from 商品库 order by id"_s), (QStringList{u"2"_s, u"3"_s, u"4"_s}));

    // The same sheet again numbers from 2 again: every row fails and the
    // first import stays as it was.
    outcome = GoodsImport(*db, Owner).run(rows, true);
    QCOMPARE(outcome.failedRows, (QList<int>{2, 3, 4}));
    QCOMPARE(outcome.inserted, 0);
    QCOMPARE(db->strings(u"select 商品名 from 商品库 order by id"_s),
             (QStringList{u"洗发"_s, u"剪发"_s, u"烫发"_s}));
}

void TestGoodsImport::sheetWithoutDataRows_data()
{
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::newRow("titles only") << QList<QStringList>{Titles};
    QTest::newRow("empty sheet") << QList<QStringList>{};
}

void TestGoodsImport::sheetWithoutDataRows()
{
    QFETCH(QList<QStringList>, rows);
    auto db = TestDb::fresh();
    const GoodsImport::Outcome outcome = GoodsImport(*db, Owner).run(ExcelSheet(u"Sheet1"_s, rows), false);
    QCOMPARE(outcome.inserted, 0);
    QVERIFY(outcome.failedRows.isEmpty());
    QCOMPARE(count(*db, u"商品库"_s), 0);
}

void TestGoodsImport::emptyRowsAreNoFailures_data()
{
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::addColumn<bool>("numberRows");
    QTest::addColumn<QStringList>("ids");
    QTest::addColumn<QList<int>>("heard");

    const QList<QStringList> gaps{
        {u"1"_s, u"101"_s, u"洗发"_s},
        {},
        {{}, {}, {}, {}, {}, {}, {}, {}, {}, u"只在第十列"_s},
        {u"2"_s, u"102"_s, u"剪发"_s},
    };
    QTest::newRow("blank rows between goods") << gaps << false << QStringList{u"1"_s, u"2"_s}
                                              << QList<int>{2, 5};
    // Numbered by row, a blank row still makes no item.
    QTest::newRow("blank rows, numbered") << gaps << true << QStringList{u"2"_s, u"5"_s} << QList<int>{2, 5};
    // The last row Excel has, and nothing between the titles and it.
    QList<QStringList> last(1048574);
    last.append({u"7"_s, u"107"_s, u"染发"_s});
    QTest::newRow("only the last row of the sheet") << last << false << QStringList{u"7"_s}
                                                    << QList<int>{1048576};
}

void TestGoodsImport::emptyRowsAreNoFailures()
{
    QFETCH(QList<QStringList>, rows);
    QFETCH(bool, numberRows);
    QFETCH(QStringList, ids);
    QFETCH(QList<int>, heard);
    auto db = TestDb::fresh();
    QList<int> progress;
    const GoodsImport::Outcome outcome =
        GoodsImport(*db, Owner).run(sheet(rows), numberRows, [&progress](int row) {
            progress.append(row);
            return true;
        });
    QCOMPARE(outcome.failedRows, QList<int>());
    QCOMPARE(outcome.inserted, ids.size());
    QCOMPARE(db->strings(u"select id from 商品库 order by id"_s), ids);
    QCOMPARE(progress, heard);
}

void TestGoodsImport::goodsAddedLaterGetNewIds_data()
{
    QTest::addColumn<int>("addedBefore");
    QTest::addColumn<QStringList>("importedIds");
    QTest::addColumn<int>("nextId");
    QTest::newRow("imported ids beyond the sequence") << 0 << QStringList{u"100"_s, u"50"_s} << 101;
    // Ids handed out before (and deleted since) are not handed out again.
    QTest::newRow("sequence already beyond the imported ids") << 5 << QStringList{u"2"_s} << 6;
}

void TestGoodsImport::goodsAddedLaterGetNewIds()
{
    QFETCH(int, addedBefore);
    QFETCH(QStringList, importedIds);
    QFETCH(int, nextId);
    auto db = TestDb::fresh();
    type(*db, u"美发服务"_s, false);
    for (int i = 0; i < addedBefore; ++i)
        addThroughCatalogue(*db, u"先加的"_s);
    db->execute(u"delete from 商品库"_s);

    QList<QStringList> rows;
    for (const QString &id : std::as_const(importedIds))
        rows.append({id, u"1"_s, u"导入的"_s});
    QVERIFY(GoodsImport(*db, Owner).run(sheet(rows), false).failedRows.isEmpty());

    QCOMPARE(addThroughCatalogue(*db, u"后加的"_s), nextId);
    QCOMPARE(addThroughCatalogue(*db, u"再加的"_s), nextId + 1);
}

void TestGoodsImport::progressHearsEveryRow()
{
    auto db = TestDb::fresh();
    const ExcelSheet rows = sheet({{u"1"_s}, {u"1"_s}, {u"x"_s}});
    QList<int> heard;
    GoodsImport(*db, Owner).run(rows, false, [&heard](int row) {
        heard.append(row);
        return true;
    });
    QCOMPARE(heard, (QList<int>{2, 3, 4}));
}

void TestGoodsImport::stoppingKeepsNothing()
{
    // Stopped after two groups of rows had gone in under their savepoints:
    // those go too, as the operator was told nothing would be imported.
    auto db = TestDb::fresh();
    QList<QStringList> rows;
    for (int id = 1; id <= 450; ++id)
        rows.append({QString::number(id), QString::number(id), u"商品"_s + QString::number(id)});
    const GoodsImport::Outcome outcome =
        GoodsImport(*db, Owner).run(sheet(rows), false, [](int row) { return row < 420; });
    QVERIFY(outcome.cancelled);
    QCOMPARE(outcome.inserted, 0);
    QCOMPARE(count(*db, u"商品库"_s), 0);
    // The connection is fit for the next import.
    QCOMPARE(GoodsImport(*db, Owner).run(sheet(rows.mid(0, 3)), false).inserted, 3);
}

void TestGoodsImport::password_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("the password") << u"tupo"_s << true;
    QTest::newRow("empty, as a cancelled box leaves it") << QString() << false;
    QTest::newRow("upper case") << u"TUPO"_s << false;
    QTest::newRow("trailing blank") << u"tupo "_s << false;
    QTest::newRow("too short") << u"tup"_s << false;
}

void TestGoodsImport::password()
{
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    try {
        GoodsImport::checkPassword(typed);
        QVERIFY(accepted);
    } catch (const Refusal &refusal) {
        QVERIFY(!accepted);
        QCOMPARE(refusal.text(), u"密码错误!"_s);
    }
}

SALONDESK_DB_TEST_MAIN(TestGoodsImport)
#include "tst_goods_import.moc"
