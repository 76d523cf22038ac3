#include "support/TestDb.h"

#include "common/Money.h"
#include "db/Transaction.h"

#include <QDateTime>
#include <QTest>

using namespace Qt::StringLiterals;

// The connection layer: bound values, errors, transactions.
class TestDatabase : public QObject
{
    Q_OBJECT

private slots:
    void keepsAwkwardTextAsTyped_data();
    void keepsAwkwardTextAsTyped();
    void likePatternTreatsBoundValueAsData();
    void refusedStatementCarriesDatabaseText();
    void transactionRollsBackWhenLeftByException();
    void transactionCommits();
    void moneyRoundTripsExactly_data();
    void moneyRoundTripsExactly();
    void dateTimesCompareAsDates();
    void reportsTablesAndColumns();
    void openingMissingServerFails();
};

void TestDatabase::keepsAwkwardTextAsTyped_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("double quote") << u"a\"b"_s;
    QTest::newRow("single quote") << u"O'Brien"_s;
    QTest::newRow("statement end") << u"x'; delete from 管理员; --"_s;
    QTest::newRow("percent and underscore") << u"50%_off"_s;
    QTest::newRow("backslash") << u"C:\\temp\\"_s;
    QTest::newRow("Chinese") << u"超级管理员"_s;
}

void TestDatabase::keepsAwkwardTextAsTyped()
{
    QFETCH(QString, text);
    auto db = TestDb::fresh();
    db->execute(u"insert into 管理员 (用户名, 密码) values (?, ?)"_s, {u"keep"_s, u"1"_s});
    db->execute(u"insert into 管理员 (用户名, 密码) values (?, ?)"_s, {text, text});
    QCOMPARE(db->scalar(u"select 密码 from 管理员 where 用户名=?"_s, {text}).toString(), text);
    QCOMPARE(db->scalar(u"select count(*) from 管理员"_s).toInt(), 2);
}

void TestDatabase::likePatternTreatsBoundValueAsData()
{
    auto db = TestDb::fresh();
    for (const QString &name : {u"洗发水"_s, u"洗'发"_s, u"护发素"_s})
        db->execute(u"insert into 商品库 (商品名) values (?)"_s, {name});
    QCOMPARE(db->scalar(u"select count(*) from 商品库 where 商品名 like ?"_s, {u"%发%"_s}).toInt(), 3);
    QCOMPARE(db->scalar(u"select count(*) from 商品库 where 商品名 like ?"_s, {u"%'%"_s}).toInt(), 1);
}

void TestDatabase::refusedStatementCarriesDatabaseText()
{
    auto db = TestDb::fresh();
    try {
        db->exec(u"select no_such_column from 管理员"_s);
        QFAIL("the statement should have been refused");
    } catch (const DbError &error) {
        QVERIFY2(error.text().contains(u"no_such_column"_s), qPrintable(error.text()));
    }
    db->execute(u"insert into 管理员 (用户名) values (?)"_s, {u"甲"_s});
    QVERIFY_THROWS_EXCEPTION(DbError, db->execute(u"insert into 管理员 (用户名) values (?)"_s, {u"甲"_s}));
}

void TestDatabase::transactionRollsBackWhenLeftByException()
{
    auto db = TestDb::fresh();
    try {
        Transaction transaction(*db);
        db->execute(u"insert into 包厢 (包厢) values (?)"_s, {u"一楼"_s});
        db->execute(u"insert into 号牌管理 (号牌, 所属包厢) values (?, ?)"_s, {u"A1"_s, u"一楼"_s});
        db->execute(u"insert into 号牌管理 (号牌, 所属包厢) values (?, ?)"_s, {u"A1"_s, u"一楼"_s});
        transaction.commit();
        QFAIL("the duplicate plate should have been refused");
    } catch (const DbError &) {
    }
    QCOMPARE(db->scalar(u"select count(*) from 包厢"_s).toInt(), 0);
    QCOMPARE(db->scalar(u"select count(*) from 号牌管理"_s).toInt(), 0);
    QVERIFY(!db->inTransaction());
    // The connection is usable afterwards.
    db->execute(u"insert into 包厢 (包厢) values (?)"_s, {u"一楼"_s});
    QCOMPARE(db->scalar(u"select count(*) from 包厢"_s).toInt(), 1);
}

void TestDatabase::transactionCommits()
{
    auto db = TestDb::fresh();
    {
        Transaction outer(*db);
        db->execute(u"insert into 包厢 (包厢) values (?)"_s, {u"一楼"_s});
        {
            Transaction inner(*db);
            db->execute(u"insert into 包厢 (包厢) values (?)"_s, {u"二楼"_s});
            inner.commit();
        }
        outer.commit();
    }
    QCOMPARE(db->scalar(u"select count(*) from 包厢"_s).toInt(), 2);
}

void TestDatabase::moneyRoundTripsExactly_data()
{
    QTest::addColumn<QString>("amount");
    QTest::newRow("cents") << u"28.05"_s;
    QTest::newRow("ten-thousandth") << u"0.0001"_s;
    QTest::newRow("negative") << u"-45.5"_s;
    QTest::newRow("large") << u"12345678.9999"_s;
}

void TestDatabase::moneyRoundTripsExactly()
{
    QFETCH(QString, amount);
    auto db = TestDb::fresh();
    const Money money = Money::fromText(amount);
    db->execute(u"insert into 包厢 (包厢, 门票价格) values (?, ?)"_s,
                {u"一楼"_s, QVariant::fromValue(money)});
    QCOMPARE(Money::fromVariant(db->scalar(u"select 门票价格 from 包厢"_s)), money);
    const QVariant sum = db->scalar(u"select sum(门票价格) from 包厢 where 门票价格 = ?"_s,
                                    {QVariant::fromValue(money)});
    QCOMPARE(Money::fromVariant(sum), money);
}

void TestDatabase::dateTimesCompareAsDates()
{
    auto db = TestDb::fresh();
    const QDateTime base(QDate(2024, 3, 1), QTime(8, 0));
    for (int day = 0; day < 3; ++day) {
        db->execute(u"insert into 结帐管理 (单据号, 结帐时间) values (?, ?)"_s,
                    {QString::number(day), base.addDays(day)});
    }
    // A range of whole days: from the first day to the day after the last.
    const int count = db->scalar(u"select count(*) from 结帐管理 where 结帐时间 >= ? and 结帐时间 <= ?"_s,
                                 {QDate(2024, 3, 2), QDate(2024, 3, 3)})
                          .toInt();
    QCOMPARE(count, 1);
}

void TestDatabase::reportsTablesAndColumns()
{
    auto db = TestDb::fresh();
    QVERIFY(db->hasTable(u"号牌管理"_s));
    QVERIFY(!db->hasTable(u"没有这个表"_s));
    QVERIFY(db->hasColumn(u"管理员"_s, u"商品管理"_s));
    QVERIFY(!db->hasColumn(u"管理员"_s, u"没有这列"_s));
}

void TestDatabase::openingMissingServerFails()
{
    ConnectionSettings settings;
    settings.backend = Backend::Postgres;
    settings.host = u"127.0.0.1"_s;
    settings.port = 1; // nothing listens here
    settings.database = u"none"_s;
    QVERIFY_THROWS_EXCEPTION(DbError, Database::open(settings));
}

SALONDESK_DB_TEST_MAIN(TestDatabase)
#include "tst_database.moc"
