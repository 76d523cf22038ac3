#include "support/TestDb.h"

#include "common/Refusal.h"
#include "db/Schema.h"
#include "maintenance/Backup.h"
#include "maintenance/ServerRestore.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// Backups are complete and checked before they get their name; a restore
// takes only a sound database of this program and keeps the one it
// replaces.
class TestBackup : public QObject
{
    Q_OBJECT

private slots:
    void proposesDatedNames();
    void backupRestoresWhatWasThere();
    void failedBackupLeavesNothing();
    void restoreRefusesWhatIsNoShop_data();
    void restoreRefusesWhatIsNoShop();
    void restoreReplacesAndKeepsThePrevious();
};

namespace {

int bills(Database &db)
{
    return db.scalar(u"select count(*) from 结帐管理"_s).toInt();
}

void bill(Database &db, const QString &number)
{
    db.execute(u"insert into 结帐管理 (单据号, 应收金额) values (?, 50)"_s, {number});
}

std::unique_ptr<Database> openFile(const QString &path)
{
    ConnectionSettings settings;
    settings.filePath = path;
    return Database::open(settings);
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

} // namespace

void TestBackup::proposesDatedNames()
{
    const QDate today(2024, 3, 15);
    QCOMPARE(Backup::proposedName({}, today), u"2024-03-15备份文件"_s);
    QCOMPARE(Backup::proposedName(u"/srv/a"_s, today), u"/srv/a2024-03-15备份文件"_s);
}

void TestBackup::backupRestoresWhatWasThere()
{
    QTemporaryDir dir;
    auto db = TestDb::fresh();
    bill(*db, u"A"_s);
    bill(*db, u"B"_s);
    const QString target = dir.filePath(u"backup"_s);

    Backup::backUp(*db, target);

    QVERIFY(QFileInfo(target).size() > 0);
    QVERIFY(!QFileInfo::exists(target + u".part"_s));
    db->execute(u"delete from 结帐管理 where 单据号='B'"_s);
    bill(*db, u"C"_s);
    if (TestDb::backend() == Backend::Postgres) {
        ServerRestore::restore(db->settings(), target);
    } else {
        // The backup holds what the write-ahead log still had.
        auto copy = openFile(target);
        QCOMPARE(copy->strings(u"select 单据号 from 结帐管理 order by 单据号"_s),
                 QStringList({u"A"_s, u"B"_s}));
        return;
    }
    QCOMPARE(db->strings(u"select 单据号 from 结帐管理 order by 单据号"_s),
             QStringList({u"A"_s, u"B"_s}));
}

void TestBackup::failedBackupLeavesNothing()
{
    QTemporaryDir dir;
    auto db = TestDb::fresh();
    const QString target = dir.filePath(u"missing/backup"_s);
    QVERIFY(!refusalOf([&] { Backup::backUp(*db, target); }).isEmpty());
    QVERIFY(!QFileInfo::exists(target));

    // A backup of an existing name replaces it once it is complete.
    const QString earlier = dir.filePath(u"earlier"_s);
    QFile file(earlier);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("earlier backup");
    file.close();
    Backup::backUp(*db, earlier);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll() != QByteArray("earlier backup"));
}

void TestBackup::restoreRefusesWhatIsNoShop_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("text file") << u"text"_s << u"不是可用的数据库"_s;
    QTest::newRow("empty file") << u"empty"_s << u"不是本程序的数据库"_s;
    QTest::newRow("another program's") << u"other"_s << u"不是本程序的数据库"_s;
    QTest::newRow("newer version") << u"newer"_s << u"更新版本"_s;
    QTest::newRow("cut short") << u"truncated"_s << u"数据库"_s;
}

void TestBackup::restoreRefusesWhatIsNoShop()
{
    if (TestDb::backend() == Backend::Postgres)
        QSKIP("the embedded file only");
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString current = dir.filePath(u"data.db"_s);
    {
        auto db = openFile(current);
        Schema::create(*db);
        bill(*db, u"KEEP"_s);
    }
    const QString chosen = dir.filePath(u"chosen"_s);
    if (kind == u"text") {
        QFile file(chosen);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("这不是数据库\n");
    } else if (kind == u"empty") {
        QFile file(chosen);
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else if (kind == u"other") {
        openFile(chosen)->exec(u"create table 其他 (x integer)"_s);
    } else if (kind == u"newer") {
        auto db = openFile(chosen);
        Schema::create(*db);
        db->execute(u"update schema_version set version = ?"_s, {Schema::CurrentVersion + 1});
    } else {
        {
            auto db = openFile(chosen);
            Schema::create(*db);
            db->exec(u"pragma journal_mode = delete"_s);
            for (int i = 0; i < 2000; ++i)
                bill(*db, QString::number(i));
        }
        QFile file(chosen);
        QVERIFY(file.resize(file.size() / 2));
    }
    const QByteArray before = [&] {
        QFile file(current);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();

    const QString refusal = refusalOf(
        [&] { Backup::restoreEmbedded(chosen, current, QDateTime(QDate(2024, 3, 15), QTime(9, 0))); });

    QVERIFY2(refusal.contains(reason), qPrintable(refusal));
    QFile file(current);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    QCOMPARE(QDir(dir.path()).entryList({u"*.bak"_s, u"*.part"_s}), QStringList());
}

void TestBackup::restoreReplacesAndKeepsThePrevious()
{
    if (TestDb::backend() == Backend::Postgres)
        QSKIP("the embedded file only");
    QTemporaryDir dir;
    const QString current = dir.filePath(u"data.db"_s);
    const QString backup = dir.filePath(u"backup"_s);
    auto db = openFile(current);
    Schema::create(*db);
    bill(*db, u"OLD"_s);
    Backup::backUp(*db, backup);
    bill(*db, u"NEWER"_s);
    // The program's connection closes first; its log must not follow the
    // restored file.
    db->close();

    const QString kept =
        Backup::restoreEmbedded(backup, current, QDateTime(QDate(2024, 3, 15), QTime(9, 0)));

    QCOMPARE(kept, current + u".20240315-090000.bak"_s);
    QCOMPARE(openFile(kept)->strings(u"select 单据号 from 结帐管理 order by 单据号"_s),
             QStringList({u"NEWER"_s, u"OLD"_s}));
    // A statement reopens the connection, now on the restored file.
    QCOMPARE(db->strings(u"select 单据号 from 结帐管理"_s), QStringList({u"OLD"_s}));
    QCOMPARE(bills(*db), 1);
}

SALONDESK_DB_TEST_MAIN(TestBackup)
#include "tst_backup.moc"
