#include "support/TestDb.h"

#include "db/Schema.h"
#include "db/SchemaShape.h"
#include "db/SchemaSteps.h"
#include "db/Transaction.h"

#include <QSqlQuery>
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
    void createAndUpgradeFromVersionOneGiveOneShape();
    void damagedShopIsMendedOrRefused_data();
    void damagedShopIsMendedOrRefused();
    void checkForRestoreChangesNothing_data();
    void checkForRestoreChangesNothing();
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
    // The daily totals came with version 5.
    for (const QString &trigger : {u"jzmx_汇总_insert"_s, u"jzmx_汇总_delete"_s, u"jzmx_汇总_update"_s})
        db->exec(u"drop trigger "_s + trigger + (db->dialect().isPostgres() ? u" on jzmx"_s : QString()));
    db->exec(u"drop table 项目日汇总"_s);
    db->exec(u"drop table 提成日汇总"_s);
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

namespace {

bool onPostgres()
{
    return TestDb::backend() == Backend::Postgres;
}

QStringList shapeOf(Database &db)
{
    return SchemaShape::read(db).lines();
}

// A shop's database as the first release made it, at version 1.
std::unique_ptr<Database> versionOneShop()
{
    auto db = Database::open(TestDb::freshSettings());
    db->exec(u"create table schema_version (version integer not null)"_s);
    db->execute(u"insert into schema_version (version) values (1)"_s);
    SchemaSteps::createVersion1(*db);
    return db;
}

// A settled line as settlement writes it.
void settle(Database &db, int id, const QString &goods, const QString &amount)
{
    db.execute(u"insert into jzmx (ID, 商品名, 商品类型, 数量, 合计, 员工编号, 提成金额, 消费时间) "
               "values (?, ?, ?, 1, ?, ?, 5, ?)"_s,
               {id, goods, u"美发"_s, amount, u"E01"_s, u"2024-03-01 10:00:00"_s});
}

// The item totals per goods name, as the summary holds them and as the
// lines add up: "name lines amount".
QStringList itemTotals(Database &db, const QString &sql)
{
    QStringList totals;
    QSqlQuery query = db.exec(sql);
    while (query.next()) {
        totals.append(query.value(0).toString() + u' ' + query.value(1).toString() + u' '
                      + QString::number(query.value(2).toDouble()));
    }
    return totals;
}

void verifyTotalsFollowLines(Database &db)
{
    QCOMPARE(itemTotals(db, u"select 商品名, sum(行数), sum(合计) from 项目日汇总 "
                            "group by 商品名 having sum(行数) > 0 order by 商品名"_s),
             itemTotals(db, u"select 商品名, count(*), sum(合计) from jzmx group by 商品名 "
                            "order by 商品名"_s));
}

// What a foreign object does is beside the point; that it is there is.
void addForeignTrigger(Database &db)
{
    db.execute(u"insert into 会员管理 (会员卡号, 卡内金额) values (?, 100)"_s, {u"M001"_s});
    if (onPostgres()) {
        db.exec(u"create function 清零() returns trigger language plpgsql as "
                "$$ begin update 会员管理 set 卡内金额 = 0; return null; end $$"_s);
        db.exec(u"create trigger 清零 after insert on 结帐管理 for each statement "
                "execute function 清零()"_s);
    } else {
        db.exec(u"create trigger 清零 after insert on 结帐管理 begin "
                "update 会员管理 set 卡内金额 = 0; end"_s);
    }
}

void dropTrigger(Database &db, const QString &name)
{
    db.exec(u"drop trigger "_s + name + (onPostgres() ? u" on jzmx"_s : QString()));
}

void damage(Database &db, const QString &what)
{
    settle(db, 1, u"洗剪吹"_s, u"30"_s);
    if (what == u"only the version table") {
        QStringList tables = Schema::tableNames();
        tables << u"项目日汇总"_s << u"提成日汇总"_s;
        for (const QString &table : tables)
            db.exec(u"drop table "_s + table);
    } else if (what == u"plates as a view") {
        db.exec(u"drop table 号牌管理"_s);
        db.exec(u"create view 号牌管理 as select 包厢 as 号牌, 包厢 as 所属包厢 from 包厢"_s);
    } else if (what == u"settled lines dropped") {
        db.exec(u"drop table jzmx"_s);
    } else if (what == u"foreign trigger on bills") {
        addForeignTrigger(db);
    } else if (what == u"rooms dropped") {
        db.execute(u"insert into 包厢 (包厢, 排序) values (?, 1)"_s, {u"大厅"_s});
        db.exec(u"drop table 包厢"_s);
    } else if (what == u"operators dropped") {
        db.exec(u"drop table 管理员"_s);
    } else if (what == u"column missing") {
        db.exec(u"alter table 会员管理 drop column 当前积分"_s);
    } else if (what == u"bill number index dropped") {
        db.exec(u"drop index ux_结帐管理_单据号"_s);
    } else if (what == u"totals trigger dropped") {
        dropTrigger(db, u"jzmx_汇总_insert"_s);
        // Settled while the trigger was gone: the totals missed it.
        settle(db, 2, u"染发"_s, u"120"_s);
    } else if (what == u"totals trigger changed") {
        dropTrigger(db, u"jzmx_汇总_insert"_s);
        if (onPostgres()) {
            db.exec(u"create trigger jzmx_汇总_insert after truncate on jzmx for each statement "
                    "execute function jzmx_汇总()"_s);
        } else {
            db.exec(u"create trigger jzmx_汇总_insert after insert on jzmx begin select 1; end"_s);
        }
        settle(db, 2, u"染发"_s, u"120"_s);
    } else if (what == u"foreign view") {
        db.exec(u"create view 营业报表 as select * from 包厢"_s);
    } else if (what == u"foreign rule") {
        db.exec(u"create rule 清零 as on insert to 结帐管理 do also update 会员管理 set 卡内金额 = 0"_s);
    } else {
        QFAIL("unknown damage");
    }
}

} // namespace

void TestSchema::createAndUpgradeFromVersionOneGiveOneShape()
{
    auto created = TestDb::fresh();
    auto upgraded = versionOneShop();
    QVERIFY(shapeOf(*upgraded) != shapeOf(*created));

    Schema::upgrade(*upgraded);

    QCOMPARE(Schema::version(*upgraded), Schema::CurrentVersion);
    const QStringList shape = shapeOf(*created);
    QCOMPARE(shapeOf(*upgraded), shape);
    // Tables with their columns and types, indexes, triggers: all there.
    for (const QString &line : {u"column 包厢.6 排序 integer not null default 0"_s,
                                u"index ux_结帐管理_单据号 on 结帐管理 (单据号) unique"_s,
                                u"table 项目日汇总"_s}) {
        QVERIFY2(shape.contains(line), qPrintable(line));
    }
    QCOMPARE(SchemaShape::read(*created).triggers.size(), 3);
}

void TestSchema::damagedShopIsMendedOrRefused_data()
{
    QTest::addColumn<QString>("what");
    // Empty: mended to the current shape; otherwise words of the refusal.
    QTest::addColumn<QString>("refusal");
    QTest::newRow("only the version table") << u"only the version table"_s
                                            << u"没有本店的任何数据表"_s;
    QTest::newRow("plates as a view") << u"plates as a view"_s << u"号牌管理 是视图，不是数据表"_s;
    QTest::newRow("settled lines dropped") << u"settled lines dropped"_s << QString();
    QTest::newRow("foreign trigger on bills")
        << u"foreign trigger on bills"_s << u"结帐管理 上有不属于本程序的触发器 清零"_s;
    QTest::newRow("rooms dropped") << u"rooms dropped"_s << QString();
    QTest::newRow("operators dropped") << u"operators dropped"_s << u"缺少数据表 管理员"_s;
    QTest::newRow("column missing") << u"column missing"_s << u"会员管理 缺少列 当前积分"_s;
    QTest::newRow("bill number index dropped") << u"bill number index dropped"_s << QString();
    QTest::newRow("totals trigger dropped") << u"totals trigger dropped"_s << QString();
    QTest::newRow("totals trigger changed") << u"totals trigger changed"_s << QString();
    QTest::newRow("foreign view") << u"foreign view"_s << u"不属于本程序的视图 营业报表"_s;
    QTest::newRow("foreign rule") << u"foreign rule"_s << u"结帐管理 上有不属于本程序的规则 清零"_s;
}

void TestSchema::damagedShopIsMendedOrRefused()
{
    QFETCH(QString, what);
    QFETCH(QString, refusal);
    if (what == u"foreign rule" && !onPostgres())
        QSKIP("rules are PostgreSQL's");
    auto db = TestDb::fresh();
    const QStringList sound = shapeOf(*db);
    damage(*db, what);
    const QStringList damaged = shapeOf(*db);

    if (!refusal.isEmpty()) {
        try {
            Schema::upgrade(*db);
            QFAIL("the damaged shop should have been refused");
        } catch (const DbError &error) {
            QVERIFY2(error.text().contains(refusal), qPrintable(error.text()));
            QVERIFY2(error.text().contains(db->displayName()), qPrintable(error.text()));
        }
        QCOMPARE(shapeOf(*db), damaged);
        return;
    }

    Schema::upgrade(*db);
    QCOMPARE(shapeOf(*db), sound);
    QCOMPARE(Schema::check(*db), QString());
    // The totals hold what the lines hold, and follow the next settlement.
    verifyTotalsFollowLines(*db);
    settle(*db, 100, u"烫发"_s, u"80"_s);
    settle(*db, 101, u"洗剪吹"_s, u"30"_s);
    verifyTotalsFollowLines(*db);
}

void TestSchema::checkForRestoreChangesNothing_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("reason");
    QTest::newRow("sound shop") << u"sound"_s << QString();
    QTest::newRow("version-1 shop") << u"version 1"_s << QString();
    QTest::newRow("newer version") << u"newer"_s << u"由更新版本的程序写成"_s;
    QTest::newRow("settled lines missing") << u"settled lines dropped"_s << u"缺少数据表 jzmx"_s;
    QTest::newRow("version-1 shop without rooms") << u"version 1 without rooms"_s
                                                  << u"缺少数据表 包厢"_s;
    QTest::newRow("index missing") << u"bill number index dropped"_s << QString();
    QTest::newRow("foreign trigger") << u"foreign trigger on bills"_s
                                     << u"上有不属于本程序的触发器 清零"_s;
    QTest::newRow("only the version table") << u"only the version table"_s
                                            << u"没有本店的任何数据表"_s;
}

void TestSchema::checkForRestoreChangesNothing()
{
    QFETCH(QString, what);
    QFETCH(QString, reason);
    std::unique_ptr<Database> db;
    if (what.startsWith(u"version 1"_s)) {
        db = versionOneShop();
        if (what.endsWith(u"without rooms"_s))
            db->exec(u"drop table 包厢"_s);
    } else {
        db = TestDb::fresh();
        if (what == u"newer")
            db->execute(u"update schema_version set version = ?"_s, {Schema::CurrentVersion + 1});
        else if (what != u"sound")
            damage(*db, what);
    }
    const QStringList before = shapeOf(*db);
    const int version = Schema::version(*db);

    const QString found = Schema::check(*db);

    if (reason.isEmpty())
        QVERIFY2(found.isEmpty(), qPrintable(found));
    else
        QVERIFY2(found.contains(reason), qPrintable(found));
    QCOMPARE(shapeOf(*db), before);
    QCOMPARE(Schema::version(*db), version);

    // Inside a transaction of the caller's (a migration's), which goes on.
    Transaction outer(*db);
    QCOMPARE(Schema::check(*db), found);
    db->execute(u"insert into schema_version (version) values (?)"_s, {version});
    outer.commit();
    QCOMPARE(db->scalar(u"select count(*) from schema_version"_s).toInt(), 2);
}

SALONDESK_DB_TEST_MAIN(TestSchema)
#include "tst_schema.moc"
