#include "support/TestDb.h"

#include "BillsFixture.h"
#include "bills/BillSearch.h"
#include "bills/LineSearch.h"
#include "common/Refusal.h"
#include "db/Schema.h"
#include "lists/ListQuery.h"

#include <QTest>

using namespace Qt::StringLiterals;

// The bill list's and the settled lines' searches as the database answers
// them: where a range ends, which values match how, the footers, the day's
// takings, and the indexes the lists are read by.
class TestBills : public QObject
{
    Q_OBJECT

private slots:
    void billRangeEndsAtTheChosenSecond_data();
    void billRangeEndsAtTheChosenSecond();
    void billSearchConditions_data();
    void billSearchConditions();
    void billFootersComeFromTheDatabase();
    void todayIsTheWholeDay();
    void takingsOfTheDay();
    void lineSearchKeepsTheOperatorsWildcards_data();
    void lineSearchKeepsTheOperatorsWildcards();
    void lineSearchRangeEndsAtTheChosenSecond();
    void upgradeAddsTheBillIndexes();
};

namespace {

const QDateTime Now(QDate(2024, 3, 10), QTime(15, 0));

struct Shop
{
    std::unique_ptr<Database> db = TestDb::fresh();
    FixedClock clock{Now};
    BillsFixture make{*db, clock};
};

// The bill numbers the query finds, in the list's order.
QStringList billNumbers(Database &db, const ListFilter &filter)
{
    ListQuery query(db, BillSearch::list());
    QSqlQuery rows = query.run(filter);
    QStringList numbers;
    while (rows.next())
        numbers.append(rows.value(u"单据号"_s).toString());
    return numbers;
}

QStringList goodsFound(Database &db, const ListFilter &filter)
{
    ListQuery query(db, LineSearch::list());
    QSqlQuery rows = query.run(filter);
    QStringList goods;
    while (rows.next())
        goods.append(rows.value(u"商品名"_s).toString());
    return goods;
}

QDateTime at(const QString &text)
{
    return QDateTime::fromString(text, u"yyyy-MM-dd hh:mm:ss"_s);
}

} // namespace

void TestBills::billRangeEndsAtTheChosenSecond_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QStringList>("found");
    // Bills at 10 March 12:00:00 (B1), 12:00:01 (B2), 11 March 12:00:00
    // (B3) and 1 March 00:00:00 (B0); the list is latest first.
    QTest::newRow("to the second, inclusive")
        << u"2024-03-01 00:00:00"_s << u"2024-03-10 12:00:00"_s << QStringList{u"B1"_s, u"B0"_s};
    QTest::newRow("not the next day at that time")
        << u"2024-03-01 00:00:01"_s << u"2024-03-10 12:00:00"_s << QStringList{u"B1"_s};
    QTest::newRow("end of the day")
        << u"2024-03-10 12:00:01"_s << u"2024-03-10 23:59:59"_s << QStringList{u"B2"_s};
    QTest::newRow("the window's defaults")
        << u"2000-01-01 00:00:00"_s << u"2024-03-11 23:59:59"_s
        << QStringList{u"B3"_s, u"B2"_s, u"B1"_s, u"B0"_s};
}

void TestBills::billRangeEndsAtTheChosenSecond()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QStringList, found);
    Shop shop;
    shop.make.bill(u"B0"_s, at(u"2024-03-01 00:00:00"_s), u"10"_s, u"10"_s);
    shop.make.bill(u"B1"_s, at(u"2024-03-10 12:00:00"_s), u"10"_s, u"10"_s);
    shop.make.bill(u"B2"_s, at(u"2024-03-10 12:00:01"_s), u"10"_s, u"10"_s);
    shop.make.bill(u"B3"_s, at(u"2024-03-11 12:00:00"_s), u"10"_s, u"10"_s);
    BillSearch search;
    search.from = at(from);
    search.to = at(to);
    QCOMPARE(billNumbers(*shop.db, search.filter()), found);
}

void TestBills::billSearchConditions_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QStringList>("found");
    QTest::addColumn<QString>("refusal");
    const QStringList all{u"B4"_s, u"B3"_s, u"B2"_s, u"B1"_s};
    QTest::newRow("nothing asked: every bill but linshi")
        << QString() << QString() << QString() << QString() << all << QString();
    QTest::newRow("value anywhere in the name")
        << u"顾客姓名"_s << u"女士"_s << QString() << QString()
        << QStringList{u"B2"_s, u"B1"_s} << QString();
    QTest::newRow("value not trimmed")
        << u"顾客姓名"_s << u" 王"_s << QString() << QString() << QStringList() << QString();
    QTest::newRow("percent is an ordinary character")
        << u"顾客姓名"_s << u"%"_s << QString() << QString() << QStringList{u"B4"_s} << QString();
    QTest::newRow("underscore is an ordinary character")
        << u"顾客姓名"_s << u"_"_s << QString() << QString() << QStringList{u"B3"_s} << QString();
    QTest::newRow("quote in the value")
        << u"顾客姓名"_s << u"O'N"_s << QString() << QString() << QStringList{u"B3"_s} << QString();
    QTest::newRow("value without a field is ignored")
        << QString() << u"王"_s << QString() << QString() << all << QString();
    QTest::newRow("field without a value is ignored")
        << u"顾客姓名"_s << QString() << QString() << QString() << all << QString();
    QTest::newRow("bill number") << u"单据号"_s << u"3"_s << QString() << QString()
                                 << QStringList{u"B3"_s} << QString();
    QTest::newRow("payment method") << QString() << QString() << u"卡内扣除"_s << QString()
                                    << QStringList{u"B2"_s} << QString();
    QTest::newRow("state") << QString() << QString() << QString() << u"免单"_s
                           << QStringList{u"B3"_s} << QString();
    QTest::newRow("method and state") << u"顾客姓名"_s << u"女士"_s << u"现金支付"_s << u"已结"_s
                                      << QStringList{u"B1"_s} << QString();
    QTest::newRow("a column the table lacks")
        << u"金额"_s << u"1"_s << QString() << QString() << QStringList()
        << u"没有这个查询字段: 金额"_s;
    QTest::newRow("an expression for a column")
        << u"顾客姓名 like '%' or 1=1 --"_s << u"1"_s << QString() << QString() << QStringList()
        << u"没有这个查询字段: 顾客姓名 like '%' or 1=1 --"_s;
}

void TestBills::billSearchConditions()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QString, method);
    QFETCH(QString, state);
    QFETCH(QStringList, found);
    QFETCH(QString, refusal);
    Shop shop;
    const QDateTime day = at(u"2024-03-05 10:00:00"_s);
    shop.make.bill(u"B1"_s, day, u"10"_s, u"10"_s, u"现金支付"_s, u"已结"_s, u"李女士"_s);
    shop.make.bill(u"B2"_s, day.addSecs(60), u"10"_s, u"10"_s, u"卡内扣除"_s, u"已结"_s,
                   u"王女士"_s);
    shop.make.bill(u"B3"_s, day.addSecs(120), u"10"_s, u"0"_s, u"现金支付"_s, u"免单"_s,
                   u"O'Neil_x"_s);
    shop.make.bill(u"B4"_s, day.addSecs(180), u"10"_s, u"10"_s, u"现金支付"_s, u"已结"_s,
                   u"100%满意"_s);
    shop.make.bill(u"linshi"_s, day.addSecs(240), u"10"_s, u"10"_s);

    // Opening lists every bill, the temporary one too.
    QCOMPARE(billNumbers(*shop.db, {}).first(), u"linshi"_s);

    BillSearch search{field, value, at(u"2000-01-01 00:00:00"_s), at(u"2024-03-11 23:59:59"_s),
                      method, state};
    try {
        QCOMPARE(billNumbers(*shop.db, search.filter()), found);
        QVERIFY2(refusal.isEmpty(), "the search should have been refused");
    } catch (const Refusal &refused) {
        QCOMPARE(refused.text(), refusal);
    }
}

void TestBills::billFootersComeFromTheDatabase()
{
    Shop shop;
    const QDateTime day = at(u"2024-03-05 10:00:00"_s);
    shop.make.bill(u"B1"_s, day, u"100.05"_s, u"80"_s);
    shop.make.bill(u"B2"_s, day.addSecs(1), u"0.1"_s, u"0.2"_s, u"现金支付"_s, u"免单"_s);
    shop.make.bill(u"B3"_s, day.addDays(2), u"7"_s, u"7"_s);
    shop.db->execute(u"update 结帐管理 set 卡内扣除=20.05 where 单据号='B1'"_s);

    ListQuery query(*shop.db, BillSearch::list());
    BillSearch search;
    search.from = at(u"2024-03-05 00:00:00"_s);
    search.to = at(u"2024-03-05 23:59:59"_s);
    const ListQuery::Footers footers = query.footers(search.filter());
    QCOMPARE(footers.rows, 2);
    // id, 单据号, 号牌, 进店时间, 实收金额, 卡内扣除, 应收金额, ...
    QCOMPARE(footers.texts.mid(0, 7),
             (QStringList{u"2"_s, {}, {}, {}, u"80.2"_s, u"20.05"_s, u"100.15"_s}));
}

void TestBills::todayIsTheWholeDay()
{
    Shop shop;
    shop.make.settledLine(1, u"B1"_s, u"SP001"_s, u"午夜"_s, at(u"2024-03-10 00:00:00"_s));
    shop.make.settledLine(2, u"B1"_s, u"SP001"_s, u"最后一秒"_s, at(u"2024-03-10 23:59:59"_s));
    shop.make.settledLine(3, u"B2"_s, u"SP001"_s, u"明天"_s, at(u"2024-03-11 00:00:00"_s));
    shop.make.settledLine(4, u"B2"_s, u"SP001"_s, u"昨天"_s, at(u"2024-03-09 23:59:59"_s));
    shop.make.settledLine(5, u"B2"_s, u"SP001"_s, u"没有时间"_s, QVariant());

    QCOMPARE(goodsFound(*shop.db, LineSearch::day(QDate(2024, 3, 10))),
             (QStringList{u"午夜"_s, u"最后一秒"_s}));
    // A search without conditions lists them all, the line without a time too.
    QCOMPARE(goodsFound(*shop.db, LineSearch{}.filter()).size(), 5);
}

void TestBills::takingsOfTheDay()
{
    Shop shop;
    QCOMPARE(LineSearch::takings(*shop.db, QDate(2024, 3, 10)), std::nullopt);
    shop.make.bill(u"B1"_s, at(u"2024-03-10 00:00:00"_s), u"30"_s, u"28.05"_s);
    shop.make.bill(u"B2"_s, at(u"2024-03-10 23:59:59"_s), u"30"_s, u"0.1"_s, u"现金支付"_s,
                   u"免单"_s);
    shop.make.bill(u"B3"_s, at(u"2024-03-11 00:00:00"_s), u"30"_s, u"1000"_s);
    shop.make.bill(u"B4"_s, at(u"2024-03-09 23:59:59"_s), u"30"_s, u"1000"_s);
    const std::optional<Money> takings = LineSearch::takings(*shop.db, QDate(2024, 3, 10));
    QVERIFY(takings);
    QCOMPARE(takings->toString(), u"28.15"_s);
}

void TestBills::lineSearchKeepsTheOperatorsWildcards_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("found");
    QTest::newRow("no wildcard: the whole name") << u"商品名"_s << u"洗"_s << QStringList{u"洗"_s};
    QTest::newRow("the typed percent") << u"商品名"_s << u"洗%"_s
                                       << QStringList{u"洗"_s, u"洗发"_s, u"洗发水"_s};
    QTest::newRow("the typed underscore") << u"商品名"_s << u"洗_"_s << QStringList{u"洗发"_s};
    QTest::newRow("anywhere") << u"商品名"_s << u"%发%"_s
                              << QStringList{u"洗发"_s, u"洗发水"_s, u"烫发"_s};
    QTest::newRow("blanks around are dropped") << u"商品名"_s << u"  洗发 "_s
                                               << QStringList{u"洗发"_s};
    QTest::newRow("blanks only ask for an empty name") << u"商品名"_s << u"   "_s
                                                       << QStringList{QString()};
    QTest::newRow("a backslash is an ordinary character")
        << u"商品名"_s << u"a\\%"_s << QStringList{u"a\\b"_s};
    QTest::newRow("a quote is an ordinary character")
        << u"商品名"_s << u"O'N%"_s << QStringList{u"O'Neil"_s};
    QTest::newRow("employee number") << u"员工编号"_s << u"008"_s << QStringList{u"烫发"_s};
    QTest::newRow("no value: every line") << u"商品名"_s << QString()
                                          << QStringList{u"洗"_s, u"洗发"_s, u"洗发水"_s, u"烫发"_s,
                                                         u"a\\b"_s, u"O'Neil"_s, QString()};
}

void TestBills::lineSearchKeepsTheOperatorsWildcards()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QStringList, found);
    Shop shop;
    const QStringList goods{u"洗"_s, u"洗发"_s, u"洗发水"_s, u"烫发"_s, u"a\\b"_s, u"O'Neil"_s,
                            QString()};
    for (int i = 0; i < goods.size(); ++i)
        shop.make.settledLine(i + 1, u"B1"_s, u"SP001"_s, goods[i], Now);
    shop.db->execute(u"update jzmx set 员工编号='008' where 商品名='烫发'"_s);
    shop.db->execute(u"update jzmx set 商品名='' where ID=7"_s);

    LineSearch search;
    search.field = field;
    search.value = value;
    QCOMPARE(goodsFound(*shop.db, search.filter()), found);
}

void TestBills::lineSearchRangeEndsAtTheChosenSecond()
{
    Shop shop;
    shop.make.settledLine(1, u"B1"_s, u"SP001"_s, u"开始前"_s, at(u"2024-03-10 00:00:00"_s));
    shop.make.settledLine(2, u"B1"_s, u"SP001"_s, u"开始"_s, at(u"2024-03-10 00:00:01"_s));
    shop.make.settledLine(3, u"B1"_s, u"SP001"_s, u"结束"_s, at(u"2024-03-12 23:59:59"_s));
    shop.make.settledLine(4, u"B1"_s, u"SP001"_s, u"结束后"_s, at(u"2024-03-13 00:00:00"_s));
    shop.make.settledLine(5, u"B1"_s, u"SP001"_s, u"第二天同一时刻"_s, at(u"2024-03-13 23:59:59"_s));
    LineSearch search;
    search.byTime = true;
    search.from = at(u"2024-03-10 00:00:01"_s);
    search.to = at(u"2024-03-12 23:59:59"_s);
    QCOMPARE(goodsFound(*shop.db, search.filter()), (QStringList{u"开始"_s, u"结束"_s}));

    // With a value as well, both count.
    search.field = u"商品名"_s;
    search.value = u"结%"_s;
    QCOMPARE(goodsFound(*shop.db, search.filter()), QStringList{u"结束"_s});
}

void TestBills::upgradeAddsTheBillIndexes()
{
    Shop shop;
    Database &db = *shop.db;
    const bool postgres = db.dialect().isPostgres();
    const QString indexes = postgres
        ? u"select indexname from pg_indexes where schemaname = current_schema()"_s
        : u"select name from sqlite_master where type = 'index'"_s;
    const QStringList wanted{u"ix_结帐管理_结帐时间_id"_s, u"ix_jzmx_员工编号_消费时间"_s,
                             u"ix_jzmx_员工姓名_消费时间"_s};
    for (const QString &index : wanted)
        QVERIFY2(db.strings(indexes).contains(index), qPrintable(index));

    // A shop at version 3 gets them in place, its bills kept.
    shop.make.bill(u"B1"_s, Now, u"10"_s, u"10"_s);
    for (const QString &index : wanted)
        db.exec(u"drop index "_s + index);
    db.execute(u"update schema_version set version = 3"_s);
    Schema::upgrade(db);
    QCOMPARE(Schema::version(db), Schema::CurrentVersion);
    for (const QString &index : wanted)
        QVERIFY2(db.strings(indexes).contains(index), qPrintable(index));
    QCOMPARE(db.scalar(u"select count(*) from 结帐管理"_s).toInt(), 1);
}

SALONDESK_DB_TEST_MAIN(TestBills)
#include "tst_bills.moc"
