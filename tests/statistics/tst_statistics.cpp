#include "support/ShopBuilder.h"
#include "support/TestDb.h"

#include "common/Money.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "lists/ListQuery.h"
#include "statistics/CurrentConsumption.h"
#include "statistics/ItemStatistics.h"

#include <QSqlQuery>
#include <QTest>

using namespace Qt::StringLiterals;

// Item statistics and the current consumption lists: which lines count,
// and the totals the database adds up for them.
class TestStatistics : public QObject
{
    Q_OBJECT

private slots:
    void itemsIncludeTheWholeLastDay_data();
    void itemsIncludeTheWholeLastDay();
    void itemsOfOneTypeOrAll_data();
    void itemsOfOneTypeOrAll();
    void itemFootersAddUpExactly();
    void typeChoicesStartWithAll();
    void occupiedPlatesInTheirOrder();
    void plateAloneOrItsGroup();
    void totalsFollowEveryChangeOfTheLines_data();
    void totalsFollowEveryChangeOfTheLines();
    void upgradeAddsUpTheLinesThereAre();
};

namespace {

QDateTime timeOf(const QVariant &at)
{
    if (at.typeId() == QMetaType::QDateTime)
        return at.toDateTime();
    return QDateTime::fromString(at.toString(), u"yyyy-MM-dd hh:mm:ss"_s);
}

// A line settled under bill B1 at the given total; a null goods, type or
// time is left empty, as older data has it.
void settled(Database &db, const QVariant &goods, const QVariant &type, const QString &quantity,
             const QString &total, const QVariant &at)
{
    ShopBuilder::Line line;
    line.plate = u"SP001"_s;
    line.goods = goods.toString();
    line.type = type.toString();
    line.quantity = Money::fromText(quantity);
    line.total = Money::fromText(total);
    line.time = timeOf(at);
    ShopBuilder(db).settledLine(line, u"B1"_s);
}

// "name quantity amount" per row, sorted: the server's collation decides
// the list's order of Chinese names.
QStringList items(ListQuery &query, const ListFilter &filter)
{
    QStringList rows;
    QSqlQuery result = query.run(filter);
    while (result.next()) {
        rows.append(result.value(u"商品名"_s).toString() + u' '
                    + Money::fromVariant(result.value(u"总数量"_s)).toString() + u' '
                    + Money::fromVariant(result.value(u"总合计"_s)).toString());
    }
    rows.sort();
    return rows;
}

void open(Database &db, const QString &plate, const QString &main, const QString &goods,
          const QString &total)
{
    ShopBuilder(db).line({.plate = plate, .mainPlate = main, .goods = goods,
                          .price = Money::fromText(total),
                          .time = QDateTime(QDate(2024, 3, 1), QTime(9, 0))});
}

QStringList goodsOf(ListQuery &query, const ListFilter &filter)
{
    QStringList goods;
    QSqlQuery result = query.run(filter);
    while (result.next())
        goods.append(result.value(u"商品名"_s).toString());
    return goods;
}

} // namespace

void TestStatistics::itemsIncludeTheWholeLastDay_data()
{
    QTest::addColumn<QString>("at");
    QTest::addColumn<bool>("counted");
    QTest::newRow("day before, last second") << u"2024-02-29 23:59:59"_s << false;
    QTest::newRow("first day, midnight") << u"2024-03-01 00:00:00"_s << true;
    QTest::newRow("last day, last second") << u"2024-03-02 23:59:59"_s << true;
    // The day after begins at its midnight.
    QTest::newRow("next day, midnight") << u"2024-03-03 00:00:00"_s << false;
}

void TestStatistics::itemsIncludeTheWholeLastDay()
{
    QFETCH(QString, at);
    QFETCH(bool, counted);
    auto db = TestDb::fresh();
    settled(*db, u"烫发"_s, u"美发服务"_s, u"1"_s, u"280"_s, at);
    settled(*db, u"烫发"_s, u"美发服务"_s, u"2"_s, u"560"_s, u"2024-03-02 10:00:00"_s);
    // Lines without a booking time never count.
    settled(*db, u"烫发"_s, u"美发服务"_s, u"5"_s, u"1400"_s, QVariant());
    ListQuery query(*db, ItemStatistics::description());
    const ListFilter days = ItemStatistics::filter(QDate(2024, 3, 1), QDate(2024, 3, 2), u"全部"_s);
    QCOMPARE(items(query, days), QStringList{counted ? u"烫发 3 840"_s : u"烫发 2 560"_s});
}

void TestStatistics::itemsOfOneTypeOrAll_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QStringList>("rows");
    // One name sold under two types is one row; the entry ticket has a type
    // no list offers and counts under 全部 only.
    QTest::newRow("all") << u"全部"_s
                         << QStringList{u"洗剪吹 2 60"_s, u"洗发水 3 135"_s, u"门票 1 10"_s};
    QTest::newRow("nothing chosen") << QString()
                                    << QStringList{u"洗剪吹 2 60"_s, u"洗发水 3 135"_s, u"门票 1 10"_s};
    QTest::newRow("one type") << u"洗护用品"_s << QStringList{u"洗发水 2 90"_s};
    QTest::newRow("blanks around") << u" 美发服务 "_s
                                   << QStringList{u"洗剪吹 2 60"_s, u"洗发水 1 45"_s};
    QTest::newRow("exactly the type") << u"美发"_s << QStringList();
}

void TestStatistics::itemsOfOneTypeOrAll()
{
    QFETCH(QString, type);
    QFETCH(QStringList, rows);
    auto db = TestDb::fresh();
    const QString at = u"2024-03-01 10:00:00"_s;
    settled(*db, u"洗剪吹"_s, u"美发服务"_s, u"1"_s, u"30"_s, at);
    settled(*db, u"洗剪吹"_s, u"美发服务"_s, u"1"_s, u"30"_s, at);
    settled(*db, u"洗发水"_s, u"洗护用品"_s, u"2"_s, u"90"_s, at);
    settled(*db, u"洗发水"_s, u"美发服务"_s, u"1"_s, u"45"_s, at);
    settled(*db, u"门票"_s, u"门票"_s, u"1"_s, u"10"_s, at);
    ListQuery query(*db, ItemStatistics::description());
    QCOMPARE(items(query, ItemStatistics::filter(QDate(2000, 1, 1), QDate(2024, 3, 1), type)), rows);
}

void TestStatistics::itemFootersAddUpExactly()
{
    auto db = TestDb::fresh();
    const QString at = u"2024-03-01 10:00:00"_s;
    // Tenths that doubles cannot hold add up to the exact sum.
    for (int i = 0; i < 10; ++i)
        settled(*db, u"护发素"_s, u"洗护用品"_s, u"0.1"_s, u"38.51"_s, at);
    settled(*db, u"洗剪吹"_s, u"美发服务"_s, u"-1"_s, u"-30"_s, at);
    settled(*db, u"烫发"_s, u"美发服务"_s, u"1"_s, u"0.0001"_s, at);
    ListQuery query(*db, ItemStatistics::description());
    const ListFilter all = ItemStatistics::filter(QDate(2000, 1, 1), QDate(2024, 3, 1), u"全部"_s);
    QCOMPARE(items(query, all).value(0), u"护发素 1 385.1"_s);
    const ListQuery::Footers footers = query.footers(all);
    QCOMPARE(footers.rows, 3);
    QCOMPARE(footers.texts, (QStringList{u"3"_s, u"1"_s, u"355.1001"_s}));
    // Paged as the grid reads it.
    QSqlQuery page = query.page(all, 1, 1);
    QVERIFY(page.next());
    QVERIFY(!page.next());
    const ListFilter none = ItemStatistics::filter(QDate(2024, 3, 2), QDate(2024, 3, 2), u"全部"_s);
    QCOMPARE(query.footers(none).texts, (QStringList{u"0"_s, u"0"_s, u"0"_s}));
}

void TestStatistics::typeChoicesStartWithAll()
{
    auto db = TestDb::fresh();
    QCOMPARE(ItemStatistics::typeChoices(*db), QStringList{u"全部"_s});
    ShopBuilder(*db).goodsType(u"洗护用品"_s).goodsType(u"美发服务"_s);
    QCOMPARE(ItemStatistics::typeChoices(*db),
             (QStringList{u"全部"_s, u"洗护用品"_s, u"美发服务"_s}));
}

void TestStatistics::occupiedPlatesInTheirOrder()
{
    auto db = TestDb::fresh();
    for (const auto &[plate, state] : {std::pair{u"SP003"_s, u"占用"_s}, {u"SP001"_s, u"可用"_s},
                                       {u"SP010"_s, u"占用"_s}, {u"SP002"_s, u"预定"_s}}) {
        ShopBuilder(*db).plate({.plate = plate, .state = state});
    }
    QCOMPARE(CurrentConsumption::occupiedPlates(*db), (QStringList{u"SP003"_s, u"SP010"_s}));
}

void TestStatistics::plateAloneOrItsGroup()
{
    auto db = TestDb::fresh();
    open(*db, u"SP001"_s, u"SP001"_s, u"洗剪吹"_s, u"30"_s);
    open(*db, u"SP002"_s, u"SP001"_s, u"烫发"_s, u"280.5"_s);
    open(*db, u"SP003"_s, u"SP003"_s, u"染发"_s, u"200"_s);
    ListQuery query(*db, CurrentConsumption::lines());
    QCOMPARE(goodsOf(query, CurrentConsumption::ofPlate(u"SP001"_s)), QStringList{u"洗剪吹"_s});
    QCOMPARE(goodsOf(query, CurrentConsumption::ofGroup(u"SP001"_s)),
             (QStringList{u"洗剪吹"_s, u"烫发"_s}));
    // A plate inside another plate's group leads no group.
    QCOMPARE(goodsOf(query, CurrentConsumption::ofGroup(u"SP002"_s)), QStringList());
    QCOMPARE(query.footers(CurrentConsumption::ofGroup(u"SP001"_s)).texts.value(3), u"310.5"_s);
    QCOMPARE(query.footers(CurrentConsumption::ofGroup(u"SP002"_s)).texts.value(3), u"0"_s);
}

void TestStatistics::totalsFollowEveryChangeOfTheLines_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("lines added") << u"none"_s;
    QTest::newRow("bill taken back") << u"delete bill"_s;
    QTest::newRow("history cleared") << u"delete all"_s;
    QTest::newRow("line changed") << u"update line"_s;
    QTest::newRow("commission paid") << u"mark paid"_s;
    QTest::newRow("line moved to another day") << u"update time"_s;
}

void TestStatistics::totalsFollowEveryChangeOfTheLines()
{
    // Whatever happens to the settled lines, the totals the windows read
    // are what the lines themselves add up to.
    QFETCH(QString, change);
    auto db = TestDb::fresh();
    const QString day = u"2024-03-01 10:00:00"_s;
    settled(*db, u"洗剪吹"_s, u"美发服务"_s, u"1"_s, u"30.1"_s, day);
    settled(*db, u"洗剪吹"_s, u"美发服务"_s, u"2"_s, u"60.2"_s, u"2024-03-01 23:59:59"_s);
    settled(*db, u"洗剪吹"_s, u"洗护用品"_s, u"1"_s, u"30"_s, u"2024-03-02 00:00:00"_s);
    settled(*db, u"烫发"_s, u"美发服务"_s, u"1"_s, u"280"_s, day);
    settled(*db, u"烫发"_s, QVariant(), u"-1"_s, u"-280"_s, day);
    settled(*db, QVariant(), u"美发服务"_s, u"1"_s, u"5"_s, day);
    settled(*db, QVariant(), u"美发服务"_s, u"1"_s, u"5"_s, day);
    settled(*db, u"染发"_s, u"美发服务"_s, u"1"_s, u"200"_s, QVariant());
    db->execute(u"update jzmx set 单据号='B2', 员工编号='001' where 商品名='烫发'"_s);

    if (change == u"delete bill")
        db->execute(u"delete from jzmx where 单据号='B2'"_s);
    else if (change == u"delete all")
        db->execute(u"delete from jzmx"_s);
    else if (change == u"update line")
        db->execute(u"update jzmx set 商品名='护理', 数量=3, 合计=90.3 where 合计=60.2"_s);
    else if (change == u"mark paid")
        db->execute(u"update jzmx set TcYf='1' where 员工编号='001'"_s);
    else if (change == u"update time")
        db->execute(u"update jzmx set 消费时间='2024-02-01 09:00:00' where 合计=60.2"_s);

    const QString direct =
        u"select 商品名, sum(数量) as 总数量, sum(合计) as 总合计 from jzmx "
        "where 消费时间 >= ? and 消费时间 < ? group by 商品名"_s;
    const auto byLines = [&](QDate first, QDate last) {
        QStringList rows;
        QSqlQuery result = db->exec(direct, {first.startOfDay(), last.addDays(1).startOfDay()});
        while (result.next()) {
            rows.append(result.value(0).toString() + u' '
                        + Money::fromVariant(result.value(1)).toString() + u' '
                        + Money::fromVariant(result.value(2)).toString());
        }
        rows.sort();
        return rows;
    };
    ListQuery query(*db, ItemStatistics::description());
    for (const auto &[first, last] : {std::pair{QDate(2000, 1, 1), QDate(2030, 1, 1)},
                                      {QDate(2024, 3, 1), QDate(2024, 3, 1)},
                                      {QDate(2024, 3, 2), QDate(2024, 3, 2)},
                                      {QDate(2024, 2, 1), QDate(2024, 2, 29)}}) {
        QCOMPARE(items(query, ItemStatistics::filter(first, last, u"全部"_s)), byLines(first, last));
    }
}

void TestStatistics::upgradeAddsUpTheLinesThereAre()
{
    auto db = TestDb::fresh();
    settled(*db, u"烫发"_s, u"美发服务"_s, u"1"_s, u"280"_s, u"2024-03-01 10:00:00"_s);
    settled(*db, u"烫发"_s, u"美发服务"_s, u"2"_s, u"560"_s, u"2024-03-01 11:00:00"_s);
    // A shop's database from before the totals per day.
    if (db->dialect().isPostgres()) {
        db->exec(u"drop function jzmx_汇总() cascade"_s);
    } else {
        for (const QString &event : {u"insert"_s, u"update"_s, u"delete"_s})
            db->exec(u"drop trigger jzmx_汇总_"_s + event);
    }
    db->exec(u"drop table 项目日汇总"_s);
    db->exec(u"drop table 提成日汇总"_s);
    db->execute(u"update schema_version set version = 3"_s);

    Schema::upgrade(*db);
    QCOMPARE(Schema::version(*db), Schema::CurrentVersion);
    ListQuery query(*db, ItemStatistics::description());
    const ListFilter all = ItemStatistics::filter(QDate(2000, 1, 1), QDate(2024, 3, 1), u"全部"_s);
    QCOMPARE(items(query, all), QStringList{u"烫发 3 840"_s});
    // And follows the lines from then on.
    settled(*db, u"烫发"_s, u"美发服务"_s, u"1"_s, u"280"_s, u"2024-03-01 12:00:00"_s);
    QCOMPARE(items(query, all), QStringList{u"烫发 4 1120"_s});
}

SALONDESK_DB_TEST_MAIN(TestStatistics)
#include "tst_statistics.moc"
