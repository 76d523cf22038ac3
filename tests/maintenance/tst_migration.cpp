#include "support/TestDb.h"

#include "bills/BillReversal.h"
#include "common/Clock.h"
#include "db/Schema.h"
#include "maintenance/Migration.h"
#include "orders/Checkout.h"
#include "orders/Settlement.h"
#include "session/AppContext.h"
#include "shell/StarterShop.h"

#include <QHash>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

// A one-machine shop moved onto the server keeps every row, its exact
// amounts and its numbers, and the server goes on numbering after them.
class TestMigration : public QObject
{
    Q_OBJECT

private slots:
    void copiesTheWholeShop();
    void numbersGoOnPastEveryUsedOne_data();
    void numbersGoOnPastEveryUsedOne();
    void billSettledBeforeTheMoveCanBeReversed();
    void refusedRowIsNamed_data();
    void refusedRowIsNamed();
    void progressReachesEveryTotal();

private:
    // An embedded shop with the schema and nothing else, in m_dir.
    std::unique_ptr<Database> embeddedShop();

    QTemporaryDir m_dir;
    int m_files = 0;
};

std::unique_ptr<Database> TestMigration::embeddedShop()
{
    ConnectionSettings file;
    file.filePath = m_dir.filePath(u"data-%1.db"_s.arg(++m_files));
    auto embedded = Database::open(file);
    Schema::create(*embedded);
    return embedded;
}

void TestMigration::copiesTheWholeShop()
{
    if (TestDb::backend() != Backend::Postgres)
        QSKIP("moves an embedded shop onto the server");
    auto embedded = embeddedShop();
    StarterShop::seed(*embedded);
    embedded->execute(u"insert into xfmx (ID, 号牌, 商品名, 单价, 数量, 合计) "
                      "values (41, 'SP001', '烫发', 19.99, 0.9, 17.991)"_s);
    embedded->execute(u"insert into jzmx (ID, 号牌, 商品名, 商品类型, 数量, 合计, 员工编号, 提成金额, 消费时间, 单据号) "
                      "values (40, 'SP002', '洗剪吹', '美发服务', 1, 0.1, '001', 5, '2024-03-15 13:30:00', "
                      "'20240315140509')"_s);
    embedded->execute(u"insert into 结帐管理 (单据号, 应收金额, 进店时间) "
                      "values ('20240315140509', 0.3, '2024-03-15 13:00:00')"_s);

    auto server = Database::open(TestDb::freshSettings());
    const QList<Migration::Copied> copied = Migration::copy(*embedded, *server);

    QCOMPARE(copied.size(), Schema::tableNames().size());
    for (const Migration::Copied &table : copied) {
        QCOMPARE(server->scalar(u"select count(*) from "_s + table.table).toLongLong(),
                 embedded->scalar(u"select count(*) from "_s + table.table).toLongLong());
    }
    QCOMPARE(server->scalar(u"select 合计 from xfmx where ID=41"_s).toString(), u"17.9910"_s);
    QCOMPARE(server->scalar(u"select 应收金额 from 结帐管理"_s).toString(), u"0.3000"_s);
    QCOMPARE(server->scalar(u"select 进店时间 from 结帐管理"_s).toDateTime(),
             QDateTime(QDate(2024, 3, 15), QTime(13, 0)));
    QCOMPARE(server->scalar(u"select 库存 from 商品类型 where 名称='洗护用品'"_s).toBool(), true);
    QVERIFY(server->exists(u"select 1 from sysinfo where \"add\" = '幸福路 18 号'"_s));
    // The settled totals are not copied: the server's own triggers build
    // them from the copied lines.
    QCOMPARE(server->scalar(u"select 合计 from 项目日汇总 where 商品名='洗剪吹'"_s).toString(), u"0.1000"_s);
    QCOMPARE(server->scalar(u"select 提成金额 from 提成日汇总 where 员工编号='001'"_s).toString(), u"5.0000"_s);
    // New lines and plates are numbered after the copied ones.
    server->execute(u"insert into xfmx (号牌) values ('SP003')"_s);
    QCOMPARE(server->scalar(u"select max(ID) from xfmx"_s).toInt(), 42);
    server->execute(u"insert into 号牌管理 (号牌) values ('SP099')"_s);

    // A server database that already holds tables is refused, unchanged.
    QVERIFY_THROWS_EXCEPTION(DbError, Migration::copy(*embedded, *server));
    QCOMPARE(server->scalar(u"select count(*) from xfmx"_s).toInt(), 2);
}

// Every identity number the shop has used stays used on the server: the
// largest in the table, the numbers of settled lines (which keep the
// number they had when open) and the numbers SQLite remembers of rows
// deleted since.
void TestMigration::numbersGoOnPastEveryUsedOne_data()
{
    QTest::addColumn<QStringList>("embedded");
    QTest::addColumn<QString>("added");
    QTest::addColumn<int>("expected");

    const auto deleted = [](const QString &table, const QString &row) {
        return QStringList{u"insert into "_s + table + row, u"delete from "_s + table};
    };
    QTest::newRow("open line") << QStringList{u"insert into xfmx (ID, 号牌) values (41, 'SP001')"_s}
                               << u"insert into xfmx (号牌) values ('SP003') returning ID"_s << 42;
    QTest::newRow("settled line")
        << QStringList{u"insert into xfmx (ID, 号牌) values (41, 'SP001')"_s,
                       u"insert into jzmx (ID, 号牌) values (500, 'SP002')"_s}
        << u"insert into xfmx (号牌) values ('SP003') returning ID"_s << 501;
    QTest::newRow("deleted line") << deleted(u"xfmx"_s, u" (ID, 号牌) values (700, 'SP001')"_s)
                                  << u"insert into xfmx (号牌) values ('SP003') returning ID"_s << 701;
    QTest::newRow("plate") << deleted(u"号牌管理"_s, u" (number, 号牌) values (90, 'SP090')"_s)
                           << u"insert into 号牌管理 (号牌) values ('SP001') returning number"_s << 91;
    QTest::newRow("bill") << deleted(u"结帐管理"_s, u" (id, 单据号) values (30, 'B1')"_s)
                          << u"insert into 结帐管理 (单据号) values ('B2') returning id"_s << 31;
    QTest::newRow("member type") << deleted(u"会员类型"_s, u" (id, 类型名称) values (8, '金卡')"_s)
                                 << u"insert into 会员类型 (类型名称) values ('银卡') returning id"_s << 9;
    QTest::newRow("recharge") << deleted(u"会员充值"_s, u" (id, 会员卡号) values (55, '8001')"_s)
                              << u"insert into 会员充值 (会员卡号) values ('8001') returning id"_s << 56;
    QTest::newRow("goods") << deleted(u"商品库"_s, u" (id, 商品名) values (17, '洗发水')"_s)
                           << u"insert into 商品库 (商品名) values ('护发素') returning id"_s << 18;
    QTest::newRow("purchase") << deleted(u"进货表"_s, u" (id, 商品名) values (23, '洗发水')"_s)
                              << u"insert into 进货表 (商品名) values ('护发素') returning id"_s << 24;
    QTest::newRow("employee level") << deleted(u"员工等级"_s, u" (等级编号, 等级名称) values (6, '高级')"_s)
                                    << u"insert into 员工等级 (等级名称) values ('初级') returning 等级编号"_s
                                    << 7;
    QTest::newRow("salary") << deleted(u"员工工资表"_s, u" (id, 员工编号) values (12, '001')"_s)
                            << u"insert into 员工工资表 (员工编号) values ('001') returning id"_s << 13;
    QTest::newRow("operator") << deleted(u"管理员"_s, u" (id, 用户名) values (5, '小王')"_s)
                              << u"insert into 管理员 (用户名) values ('小李') returning id"_s << 6;
}

void TestMigration::numbersGoOnPastEveryUsedOne()
{
    if (TestDb::backend() != Backend::Postgres)
        QSKIP("moves an embedded shop onto the server");
    QFETCH(QStringList, embedded);
    QFETCH(QString, added);
    QFETCH(int, expected);

    auto shop = embeddedShop();
    for (const QString &statement : embedded)
        shop->execute(statement);
    auto server = Database::open(TestDb::freshSettings());
    Migration::copy(*shop, *server);
    QCOMPARE(server->scalar(added).toInt(), expected);
}

// A bill settled on the embedded database, reversed on the server after
// new lines were booked there: its lines come back under their own
// numbers, which no new line may have been given.
void TestMigration::billSettledBeforeTheMoveCanBeReversed()
{
    if (TestDb::backend() != Backend::Postgres)
        QSKIP("moves an embedded shop onto the server");
    auto shop = embeddedShop();
    shop->execute(u"insert into 号牌管理 (号牌, 所属包厢, 号牌状态, 顾客姓名, 主号牌) values "
                  "('SP001', '大厅', '占用', '散客', 'SP001'), ('SP002', '大厅', '占用', '散客', 'SP002')"_s);
    for (const QString &goods : {u"洗发"_s, u"剪发"_s}) {
        shop->execute(u"insert into xfmx (号牌, 主号牌, 商品名, 商品类型, 单价, 实际单价, 数量, 合计, 折扣, "
                      "参与打折, 提成金额, 员工编号, 消费时间) values ('SP001', 'SP001', ?, '美发', 30, 30, 1, "
                      "30, 1, 'y', 3, '001', '2024-03-15 13:00:00')"_s,
                      {goods});
    }
    AppContext context;
    context.OperatorName = u"前台"_s;
    const FixedClock clock(QDateTime(QDate(2024, 3, 15), QTime(14, 5, 9)));
    Checkout checkout(*shop, clock, u"SP001"_s);
    checkout.open();
    const QString number = Settlement(*shop, context.signedIn(), clock).JieZhangHs(checkout, Settlement::Status::Paid);
    QCOMPARE(shop->strings(u"select ID from jzmx order by ID"_s), (QStringList{u"1"_s, u"2"_s}));

    auto server = Database::open(TestDb::freshSettings());
    Migration::copy(*shop, *server);
    server->execute(u"insert into xfmx (号牌, 主号牌, 商品名, 合计) values ('SP002', 'SP002', '烫发', 280)"_s);

    const int bill = server->scalar(u"select id from 结帐管理 where 单据号=?"_s, {number}).toInt();
    try {
        BillReversal(*server, clock).reverse(bill);
    } catch (const DbError &error) {
        QFAIL(qPrintable(error.text()));
    }
    QCOMPARE(server->strings(u"select ID || ' ' || 号牌 from xfmx order by ID"_s),
             (QStringList{u"1 SP001"_s, u"2 SP001"_s, u"3 SP002"_s}));
    QCOMPARE(server->scalar(u"select count(*) from jzmx"_s).toInt(), 0);
}

// A row the server will not take stops the move, names its table and key,
// and leaves the server database empty; the row may sit deep in a table.
void TestMigration::refusedRowIsNamed_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("named");

    QTest::newRow("amount that is no number")
        << u"update jzmx set 合计='十元' where ID=23456"_s << u"表 jzmx 中 ID 为 23456 的一行"_s;
    QTest::newRow("moment that is no date")
        << u"update jzmx set 消费时间='昨天' where ID=1"_s << u"表 jzmx 中 ID 为 1 的一行"_s;
    QTest::newRow("text with a control character")
        << u"update jzmx set 商品名='洗' || char(1) where ID=25000"_s << u"表 jzmx 中 ID 为 25000 的一行"_s;
    QTest::newRow("row without a key")
        << u"insert into 日志 (事件, 日期) values (null, '某天')"_s << u"表 日志 中本机第 1 行"_s;
}

void TestMigration::refusedRowIsNamed()
{
    if (TestDb::backend() != Backend::Postgres)
        QSKIP("moves an embedded shop onto the server");
    QFETCH(QString, statement);
    QFETCH(QString, named);

    auto shop = embeddedShop();
    shop->execute(u"with recursive n(i) as (select 1 union all select i + 1 from n where i < 25000) "
                  "insert into jzmx (ID, 号牌, 商品名, 合计, 消费时间) "
                  "select i, 'SP001', '洗发', 30, '2024-03-15 13:00:00' from n"_s);
    shop->execute(statement);
    auto server = Database::open(TestDb::freshSettings());
    try {
        Migration::copy(*shop, *server);
        QFAIL("the move went through");
    } catch (const DbError &error) {
        QVERIFY2(error.text().startsWith(named), qPrintable(error.text()));
        QVERIFY2(error.text().contains(u"请在本机数据库中改正这一行后再迁移"_s), qPrintable(error.text()));
    }
    QVERIFY(!Schema::isInstalled(*server));
    QVERIFY(!server->hasTable(u"jzmx"_s));
}

void TestMigration::progressReachesEveryTotal()
{
    if (TestDb::backend() != Backend::Postgres)
        QSKIP("moves an embedded shop onto the server");
    auto shop = embeddedShop();
    StarterShop::seed(*shop);
    shop->execute(u"with recursive n(i) as (select 1 union all select i + 1 from n where i < 25000) "
                  "insert into jzmx (ID, 号牌, 商品名, 合计, 消费时间) "
                  "select i, 'SP001', '洗发', 30, '2024-03-15 13:00:00' from n"_s);
    QStringList told;
    QHash<QString, qint64> last;
    auto server = Database::open(TestDb::freshSettings());
    const QList<Migration::Copied> copied =
        Migration::copy(*shop, *server, [&](const QString &table, qint64 rows, qint64 total) {
            QVERIFY(rows >= last.value(table));
            last.insert(table, rows);
            if (table == u"jzmx")
                told.append(u"%1/%2"_s.arg(rows).arg(total));
        });
    QCOMPARE(told, (QStringList{u"0/25000"_s, u"10000/25000"_s, u"20000/25000"_s, u"25000/25000"_s}));
    // Every table is told, the empty ones too.
    QCOMPARE(last.size(), copied.size());
    for (const Migration::Copied &table : copied)
        QCOMPARE(last.value(table.table, -1), table.rows);
}

SALONDESK_DB_TEST_MAIN(TestMigration)
#include "tst_migration.moc"
