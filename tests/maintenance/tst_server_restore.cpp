#include "support/ShopBuilder.h"
#include "support/TestDb.h"

#include "common/Refusal.h"
#include "db/Schema.h"
#include "db/SchemaShape.h"
#include "maintenance/Backup.h"
#include "maintenance/ServerRestore.h"
#include "session/Operator.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <functional>

using namespace Qt::StringLiterals;

// A server restore replaces the shop only with an archive that is a whole
// shop of this program, and gives up, naming who is in the way, when other
// workstations hold the shop's tables.
class TestServerRestore : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void refusesWhatIsNoWholeShop_data();
    void refusesWhatIsNoWholeShop();
    void restoresSoundArchives_data();
    void restoresSoundArchives();
    void givesUpOnLocksNamingTheHolder();
};

namespace {

QStringList bills(Database &db)
{
    return db.strings(u"select 单据号 from 结帐管理 order by 单据号"_s);
}

void bill(Database &db, const QString &number)
{
    ShopBuilder(db).bill({.number = number, .due = Money::fromInt(50)});
}

QString refusalOf(const std::function<void()> &operation)
{
    try {
        operation();
    } catch (const Refusal &refusal) {
        return refusal.text();
    }
    return {};
}

// Empties the shop's schema, as for a database of another kind.
void dropEverything(Database &db)
{
    const QString schema = db.settings().schema;
    db.exec(u"drop schema "_s + schema + u" cascade"_s);
    db.exec(u"create schema "_s + schema);
}

} // namespace

void TestServerRestore::init()
{
    if (TestDb::backend() != Backend::Postgres)
        QSKIP("the server restore only");
}

void TestServerRestore::refusesWhatIsNoWholeShop_data()
{
    QTest::addColumn<QString>("archive");
    QTest::addColumn<QString>("reason");
    QTest::newRow("another program's database, version 99")
        << u"foreign"_s << u"由更新版本的程序写成"_s;
    QTest::newRow("another program's database") << u"foreign unversioned"_s
                                                 << u"不是本程序的数据库"_s;
    QTest::newRow("a shop of a newer version") << u"newer"_s << u"由更新版本的程序写成"_s;
    QTest::newRow("a shop without its settled lines") << u"no jzmx"_s << u"缺少数据表 jzmx"_s;
    QTest::newRow("a shop with a trigger of its own")
        << u"foreign trigger"_s << u"结帐管理 上有不属于本程序的触发器 清零"_s;
    QTest::newRow("no archive at all") << u"text"_s << u"不是服务器数据备份"_s;
}

void TestServerRestore::refusesWhatIsNoWholeShop()
{
    QFETCH(QString, archive);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString file = dir.filePath(u"chosen.dump"_s);
    auto db = TestDb::fresh();
    if (archive == u"text") {
        QFile text(file);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("这不是备份\n");
    } else {
        if (archive.startsWith(u"foreign"_s) && archive != u"foreign trigger") {
            dropEverything(*db);
            db->exec(u"create table foo (a integer)"_s);
            db->execute(u"insert into foo (a) values (1)"_s);
            if (archive == u"foreign") {
                db->exec(u"create table schema_version (version integer not null)"_s);
                db->execute(u"insert into schema_version (version) values (99)"_s);
            }
        } else if (archive == u"newer") {
            db->execute(u"update schema_version set version = ?"_s, {Schema::CurrentVersion + 1});
        } else if (archive == u"no jzmx") {
            db->exec(u"drop table jzmx"_s);
        } else {
            db->exec(u"create function 清零() returns trigger language plpgsql as "
                     "$$ begin update 会员管理 set 卡内金额 = 0; return null; end $$"_s);
            db->exec(u"create trigger 清零 after insert on 结帐管理 for each statement "
                     "execute function 清零()"_s);
        }
        Backup::backUp(Operator{u"店长"_s, Rights::all()}, *db, file);
        // The shop as it stands when the archive is chosen.
        dropEverything(*db);
        Schema::create(*db);
    }
    bill(*db, u"KEEP"_s);
    const QStringList shape = SchemaShape::read(*db).lines();

    const QString refusal = refusalOf([&] { ServerRestore::restore(Operator{u"店长"_s, Rights::all()}, db->settings(), file); });

    QVERIFY2(refusal.contains(reason), qPrintable(refusal));
    QVERIFY2(refusal.contains(file), qPrintable(refusal));
    QVERIFY2(refusal.contains(u"没有改动"_s), qPrintable(refusal));
    QCOMPARE(bills(*db), QStringList{u"KEEP"_s});
    QCOMPARE(SchemaShape::read(*db).lines(), shape);
    QCOMPARE(Schema::version(*db), Schema::CurrentVersion);
    // The scratch copy is gone again.
    QVERIFY(!db->exists(u"select 1 from pg_database where datname like 'salondesk_check_%'"_s));
}

void TestServerRestore::restoresSoundArchives_data()
{
    QTest::addColumn<int>("version");
    QTest::newRow("this version") << Schema::CurrentVersion;
    QTest::newRow("the version before") << Schema::CurrentVersion - 1;
}

void TestServerRestore::restoresSoundArchives()
{
    QFETCH(int, version);
    QTemporaryDir dir;
    const QString file = dir.filePath(u"backup.dump"_s);
    auto db = TestDb::fresh();
    const QStringList shape = SchemaShape::read(*db).lines();
    bill(*db, u"A"_s);
    bill(*db, u"B"_s);
    db->execute(u"update schema_version set version = ?"_s, {version});
    Backup::backUp(Operator{u"店长"_s, Rights::all()}, *db, file);
    db->execute(u"update schema_version set version = ?"_s, {Schema::CurrentVersion});
    db->execute(u"delete from 结帐管理 where 单据号='B'"_s);
    bill(*db, u"C"_s);

    ServerRestore::restore(Operator{u"店长"_s, Rights::all()}, db->settings(), file);

    QCOMPARE(bills(*db), QStringList({u"A"_s, u"B"_s}));
    QCOMPARE(Schema::version(*db), Schema::CurrentVersion);
    QCOMPARE(SchemaShape::read(*db).lines(), shape);
}

void TestServerRestore::givesUpOnLocksNamingTheHolder()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"backup.dump"_s);
    auto db = TestDb::fresh();
    bill(*db, u"OLD"_s);
    Backup::backUp(Operator{u"店长"_s, Rights::all()}, *db, file);
    db->execute(u"delete from 结帐管理"_s);
    bill(*db, u"KEEP"_s);

    // Another workstation in the middle of reading the bills, for a minute:
    // far longer than the restore may wait.
    const ConnectionSettings &settings = db->settings();
    QProcess holder;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"PGPASSWORD"_s, settings.password);
    environment.insert(u"PGAPPNAME"_s, u"frontdesk-2"_s);
    holder.setProcessEnvironment(environment);
    holder.start(u"psql"_s,
                 {u"--host"_s, settings.host, u"--port"_s, QString::number(settings.port),
                  u"--username"_s, settings.user, u"--dbname"_s, settings.database,
                  u"--no-password"_s, u"--quiet"_s, u"--command"_s,
                  u"begin; lock table "_s + settings.schema
                      + u".结帐管理 in access share mode; select pg_sleep(60); commit;"_s});
    QVERIFY(holder.waitForStarted());
    QElapsedTimer waiting;
    waiting.start();
    const auto holding = [&] {
        return db->exists(u"select 1 from pg_locks l join pg_stat_activity a on a.pid = l.pid "
                          "where a.application_name = 'frontdesk-2' and l.granted "
                          "and l.relation = '结帐管理'::regclass"_s);
    };
    while (!holding()) {
        QVERIFY2(waiting.elapsed() < 10000, holder.readAllStandardError().constData());
        QTest::qWait(50);
    }

    QElapsedTimer restoring;
    restoring.start();
    const QString refusal = refusalOf(
        [&] { ServerRestore::restore(Operator{u"店长"_s, Rights::all()}, settings, file, std::chrono::milliseconds(1000)); });
    const qint64 took = restoring.elapsed();
    // It gave up while the other workstation still held the bills.
    const bool stillHeld = holding();
    holder.kill();
    holder.waitForFinished();

    QVERIFY2(stillHeld, qPrintable(u"the restore waited %1 ms, until the holder let go: "_s.arg(took)
                                   + refusal));
    QVERIFY2(refusal.contains(u"正被其他收银台使用"_s), qPrintable(refusal));
    QVERIFY2(refusal.contains(u"frontdesk-2"_s), qPrintable(refusal));
    QVERIFY2(refusal.contains(u"没有改动"_s), qPrintable(refusal));
    QCOMPARE(bills(*db), QStringList{u"KEEP"_s});
    QCOMPARE(Schema::version(*db), Schema::CurrentVersion);
    std::printf("restore gave up after %lld ms, the check of the archive included (lock time-out "
                "1000 ms)\n",
                took);
}

SALONDESK_DB_TEST_MAIN(TestServerRestore)
#include "tst_server_restore.moc"
