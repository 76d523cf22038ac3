#include "support/TestDb.h"

#include "app/StarterShop.h"
#include "db/Schema.h"
#include "maintenance/Migration.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// A one-machine shop moved onto the server keeps every row, its exact
// amounts and its numbers, and the server goes on numbering after them.
class TestMigration : public QObject
{
    Q_OBJECT

private slots:
    void copiesTheWholeShop();
};

void TestMigration::copiesTheWholeShop()
{
    if (TestDb::backend() != Backend::Postgres)
        QSKIP("moves an embedded shop onto the server");
    QTemporaryDir dir;
    ConnectionSettings file;
    file.filePath = dir.filePath(u"data.db"_s);
    auto embedded = Database::open(file);
    Schema::create(*embedded);
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

SALONDESK_DB_TEST_MAIN(TestMigration)
#include "tst_migration.moc"
