#include "support/TestDb.h"

#include "db/Schema.h"

#include <QSqlRecord>
#include <QTest>

using namespace Qt::StringLiterals;

// The tables as the rest of the program relies on them.
class TestSchema : public QObject
{
    Q_OBJECT

private slots:
    void createsEveryTableOnceAndRecordsVersion();
    void createRefusesDatabaseWithTables();
    void settledLinesTakeOpenLinesByPosition();
    void goodsAcceptExplicitIds();
    void yesNoColumnsDefaultToFalse();
    void enforcesUniqueNames_data();
    void enforcesUniqueNames();
    void fillsInMissingTables();
    void upgradesVersionOneInPlace();
    void upgradeSeparatesRepeatedBillNumbers();
    void lineColumnsAreThoseOfBothLineTables();
};

void TestSchema::createsEveryTableOnceAndRecordsVersion()
{
    auto db = Database::open(TestDb::freshSettings());
    QCOMPARE(Schema::version(*db), 0);
    QVERIFY(!Schema::isInstalled(*db));
    Schema::create(*db);
    QVERIFY(Schema::isInstalled(*db));
    for (const QString &table : Schema::tableNames())
        QVERIFY2(db->hasTable(table), qPrintable(table));
    QCOMPARE(Schema::version(*db), Schema::CurrentVersion);
    db->execute(u"insert into 包厢 (包厢) values (?)"_s, {u"一楼"_s});
    Schema::upgrade(*db);
    // Creating again is refused rather than run over the shop.
    QVERIFY_THROWS_EXCEPTION(DbError, Schema::create(*db));
    QCOMPARE(db->scalar(u"select count(*) from 包厢"_s).toInt(), 1);
    QCOMPARE(db->scalar(u"select count(*) from schema_version"_s).toInt(), 1);
}

void TestSchema::createRefusesDatabaseWithTables()
{
    auto db = Database::open(TestDb::freshSettings());
    db->exec(u"create table customers (name text)"_s);
    try {
        Schema::create(*db);
        QFAIL("a database with tables of its own should have been refused");
    } catch (const DbError &error) {
        QVERIFY2(error.text().contains(db->displayName()), qPrintable(error.text()));
    }
    QVERIFY(!Schema::isInstalled(*db));
    QVERIFY(!db->hasTable(u"号牌管理"_s));
}

void TestSchema::settledLinesTakeOpenLinesByPosition()
{
    auto db = TestDb::fresh();
    QCOMPARE(db->columns(u"jzmx"_s), db->columns(u"xfmx"_s));
    for (int i = 0; i < 2; ++i) {
        db->execute(u"insert into xfmx (号牌, 商品名, 单价, 数量, 合计, TcYf, 消费时间) values (?, ?, ?, ?, ?, ?, ?)"_s,
                    {u"SP001"_s, u"洗剪吹"_s, u"30"_s, 1, u"30"_s, u"0"_s, u"2024-03-01 08:00:00"_s});
    }
    db->execute(u"insert into jzmx select * from xfmx where 号牌=?"_s, {u"SP001"_s});
    db->execute(u"delete from xfmx"_s);
    // A line booked after the settlement must not reuse a settled number.
    db->execute(u"insert into xfmx (号牌) values (?)"_s, {u"SP002"_s});
    const int settledMax = db->scalar(u"select max(ID) from jzmx"_s).toInt();
    QVERIFY(db->scalar(u"select ID from xfmx"_s).toInt() > settledMax);
    QCOMPARE(db->scalar(u"select count(*) from jzmx where 商品名=? and 合计=30"_s, {u"洗剪吹"_s}).toInt(), 2);
    // The commission flag takes the bare number 1.
    db->execute(u"update jzmx set tcyf=1 where 号牌=?"_s, {u"SP001"_s});
    QCOMPARE(db->scalar(u"select max(TcYf) from jzmx"_s).toString(), u"1"_s);
}

void TestSchema::goodsAcceptExplicitIds()
{
    auto db = TestDb::fresh();
    db->execute(u"insert into 商品库 (id, 商品名) values (?, ?)"_s, {u"42"_s, u"洗发水"_s});
    QCOMPARE(db->scalar(u"select 商品名 from 商品库 where id=42"_s).toString(), u"洗发水"_s);
    QVERIFY_THROWS_EXCEPTION(DbError, db->execute(u"insert into 商品库 (id, 商品名) values (?, ?)"_s,
                                                  {u"42"_s, u"护发素"_s}));
}

void TestSchema::yesNoColumnsDefaultToFalse()
{
    auto db = TestDb::fresh();
    db->execute(u"insert into 管理员 (用户名, 密码) values (?, ?)"_s, {u"新人"_s, u"0000"_s});
    const QSqlRecord row = db->firstRow(u"select * from 管理员"_s);
    for (const QString &right : Schema::rightColumns()) {
        QVERIFY2(!row.isNull(right), qPrintable(right));
        QCOMPARE(row.value(right).toBool(), false);
    }
    db->execute(u"insert into 商品类型 (名称) values (?)"_s, {u"饮料"_s});
    QVERIFY(!db->exists(u"select 1 from 商品类型 where 库存=true"_s));
    QCOMPARE(db->scalar(u"select 参与打折 from 商品类型"_s).toString(), u"n"_s);
}

void TestSchema::enforcesUniqueNames_data()
{
    QTest::addColumn<QString>("insert");
    QTest::newRow("plate") << u"insert into 号牌管理 (号牌) values (?)"_s;
    QTest::newRow("member card") << u"insert into 会员管理 (会员卡号) values (?)"_s;
    QTest::newRow("goods type") << u"insert into 商品类型 (名称) values (?)"_s;
    QTest::newRow("employee level") << u"insert into 员工等级 (等级名称) values (?)"_s;
    QTest::newRow("operator") << u"insert into 管理员 (用户名) values (?)"_s;
    QTest::newRow("bill number") << u"insert into 结帐管理 (单据号) values (?)"_s;
}

void TestSchema::enforcesUniqueNames()
{
    QFETCH(QString, insert);
    auto db = TestDb::fresh();
    db->execute(insert, {u"甲"_s});
    QVERIFY_THROWS_EXCEPTION(DbError, db->execute(insert, {u"甲"_s}));
    db->execute(insert, {u"乙"_s});
}

void TestSchema::fillsInMissingTables()
{
    auto db = TestDb::fresh();
    db->execute(u"drop table 日志"_s);
    QVERIFY(!Schema::isComplete(*db));
    Schema::upgrade(*db);
    QVERIFY(db->hasTable(u"日志"_s));
}

void TestSchema::upgradesVersionOneInPlace()
{
    // A shop's database as version 1 left it: rooms without an order column.
    auto db = TestDb::fresh();
    db->exec(u"alter table 包厢 drop column 排序"_s);
    db->execute(u"update schema_version set version = 1"_s);
    for (const QString &room : {u"大厅"_s, u"二楼"_s, u"贵宾"_s})
        db->execute(u"insert into 包厢 (包厢, 门票价格) values (?, 10)"_s, {room});
    db->execute(u"insert into 号牌管理 (号牌, 所属包厢) values (?, ?)"_s, {u"SP001"_s, u"二楼"_s});

    Schema::ensure(*db);

    QCOMPARE(Schema::version(*db), Schema::CurrentVersion);
    QCOMPARE(db->strings(u"select 包厢 from 包厢 order by 排序"_s),
             QStringList({u"大厅"_s, u"二楼"_s, u"贵宾"_s}));
    QCOMPARE(db->scalar(u"select 所属包厢 from 号牌管理 where 号牌=?"_s, {u"SP001"_s}).toString(),
             u"二楼"_s);
    // An update moves a row to the end of the table on PostgreSQL; the
    // order stays.
    db->execute(u"update 包厢 set 门票价格 = 20 where 包厢=?"_s, {u"大厅"_s});
    QCOMPARE(db->strings(u"select 包厢 from 包厢 order by 排序"_s),
             QStringList({u"大厅"_s, u"二楼"_s, u"贵宾"_s}));
}

void TestSchema::upgradeSeparatesRepeatedBillNumbers()
{
    // Version 2 numbered bills without the day: 14:05:09 on the 15th and on
    // the 20th of a month both gave 200803140509.
    auto db = TestDb::fresh();
    db->exec(u"drop index ux_结帐管理_单据号"_s);
    db->execute(u"update schema_version set version = 2"_s);
    const QString number = u"200803140509"_s;
    const auto bill = [&](const QString &from, const QString &to) {
        db->execute(u"insert into 结帐管理 (单据号, 进店时间, 结帐时间) values (?, ?, ?)"_s,
                    {number, from, to});
        return db->scalar(u"select max(id) from 结帐管理"_s).toInt();
    };
    const auto line = [&](const QString &goods, const QString &at) {
        db->execute(u"insert into jzmx (ID, 商品名, 消费时间, 单据号) values "
                    "((select count(*) + 1 from jzmx), ?, ?, ?)"_s,
                    {goods, at, number});
    };
    bill(u"2008-03-15 13:00:00"_s, u"2008-03-15 14:05:09"_s);
    const int later = bill(u"2008-03-20 12:30:00"_s, u"2008-03-20 14:05:09"_s);
    line(u"洗发"_s, u"2008-03-15 13:10:00"_s);
    line(u"烫发"_s, u"2008-03-20 12:40:00"_s);
    line(u"染发"_s, u"2008-03-20 13:00:00"_s);

    Schema::ensure(*db);

    const QString renumbered = number + u'-' + QString::number(later);
    QCOMPARE(db->strings(u"select 单据号 from 结帐管理 order by id"_s),
             QStringList({number, renumbered}));
    QCOMPARE(db->strings(u"select 商品名 from jzmx where 单据号=? order by ID"_s, {number}),
             QStringList({u"洗发"_s}));
    QCOMPARE(db->strings(u"select 商品名 from jzmx where 单据号=? order by ID"_s, {renumbered}),
             QStringList({u"烫发"_s, u"染发"_s}));
    QVERIFY_THROWS_EXCEPTION(
        DbError, db->execute(u"insert into 结帐管理 (单据号) values (?)"_s, {number}));
}

void TestSchema::lineColumnsAreThoseOfBothLineTables()
{
    auto db = TestDb::fresh();
    QStringList expected{u"id"_s};
    for (const QString &column : Schema::lineColumns())
        expected.append(column.toLower());
    for (const QString &table : {u"xfmx"_s, u"jzmx"_s}) {
        const QSqlRecord record = db->exec(u"select * from "_s + table + u" where 1=0"_s).record();
        QStringList columns;
        for (int i = 0; i < record.count(); ++i)
            columns.append(record.fieldName(i).toLower());
        QCOMPARE(columns, expected);
    }
}

SALONDESK_DB_TEST_MAIN(TestSchema)
#include "tst_schema.moc"
