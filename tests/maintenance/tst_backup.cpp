#include "SqliteLocks.h"
#include "support/ShopBuilder.h"
#include "support/TestDb.h"

#include "common/Refusal.h"
#include "db/Schema.h"
#include "db/Transaction.h"
#include "maintenance/Backup.h"
#include "maintenance/ServerRestore.h"
#include "session/Operator.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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

    // The open database's files are SQLite's alone.
    void backupKeepsTheProgramsLocks();
    void refusesTheOpenDatabaseAsTarget_data();
    void refusesTheOpenDatabaseAsTarget();
    void refusesTheOpenDatabaseAsSource_data();
    void refusesTheOpenDatabaseAsSource();
    void refusesATargetThisProcessHasOpen();

    void backupRemovesWhatAKilledOneLeft();
    void failuresSayWhy_data();
    void failuresSayWhy();
};

namespace {

int bills(Database &db)
{
    return db.scalar(u"select count(*) from 结帐管理"_s).toInt();
}

void bill(Database &db, const QString &number)
{
    ShopBuilder(db).bill({.number = number, .due = Money::fromInt(50)});
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

// A shop in write-ahead-log mode, open as the program keeps it.
struct LiveShop
{
    LiveShop()
        : file(dir.filePath(u"data.db"_s))
        , db(openFile(file))
    {
        Schema::create(*db);
        bill(*db, u"A"_s);
    }
    QTemporaryDir dir;
    QString file;
    std::unique_ptr<Database> db;
};

// Lowers the largest file this process may write, so that a write fails
// as on a full disk; the signal that limit sends is ignored meanwhile.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_before);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_before;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_before);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    rlimit m_before{};
    void (*m_handler)(int) = nullptr;
};

// What a process killed while checking a backup leaves: the copy, and its
// write-ahead log with pages that were never written back.
void leaveKilledCopy(const QString &partial)
{
    const QByteArray path = QFile::encodeName(partial);
    const pid_t child = ::fork();
    if (child == 0) {
        sqlite3 *db = nullptr;
        sqlite3_open(path.constData(), &db);
        const int rc = sqlite3_exec(db,
                                    "pragma journal_mode = wal; pragma wal_autocheckpoint = 0;"
                                    "create table 结帐管理 (单据号 text);"
                                    "insert into 结帐管理 values ('LEFT');",
                                    nullptr, nullptr, nullptr);
        ::_exit(rc == SQLITE_OK ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
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

    Backup::backUp(Operator{u"店长"_s, Rights::all()}, *db, target);

    QVERIFY(QFileInfo(target).size() > 0);
    QVERIFY(!QFileInfo::exists(target + u".part"_s));
    db->execute(u"delete from 结帐管理 where 单据号='B'"_s);
    bill(*db, u"C"_s);
    if (TestDb::backend() == Backend::Postgres) {
        ServerRestore::restore(Operator{u"店长"_s, Rights::all()}, db->settings(), target);
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
    QVERIFY(!refusalOf([&] { Backup::backUp(Operator{u"店长"_s, Rights::all()}, *db, target); }).isEmpty());
    QVERIFY(!QFileInfo::exists(target));

    // A backup of an existing name replaces it once it is complete.
    const QString earlier = dir.filePath(u"earlier"_s);
    QFile file(earlier);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("earlier backup");
    file.close();
    Backup::backUp(Operator{u"店长"_s, Rights::all()}, *db, earlier);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll() != QByteArray("earlier backup"));
}

void TestBackup::restoreRefusesWhatIsNoShop_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("text file") << u"text"_s << u"不是数据库文件"_s;
    QTest::newRow("empty file") << u"empty"_s << u"不是本程序的数据库"_s;
    QTest::newRow("another program's") << u"other"_s << u"不是本程序的数据库"_s;
    QTest::newRow("newer version") << u"newer"_s << u"更新版本"_s;
    QTest::newRow("cut short") << u"truncated"_s << u"已经损坏"_s;
    // Sound files that open, but no shop could work on them.
    QTest::newRow("only the version table") << u"version only"_s << u"不是完整可用的本店数据库"_s;
    QTest::newRow("plates are a view") << u"view"_s << u"不是完整可用的本店数据库"_s;
    QTest::newRow("a trigger of its own") << u"trigger"_s << u"不是完整可用的本店数据库"_s;
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
    } else if (kind == u"version only") {
        auto db = openFile(chosen);
        db->exec(u"create table schema_version (version integer not null)"_s);
        db->execute(u"insert into schema_version (version) values (?)"_s, {Schema::CurrentVersion});
    } else if (kind == u"view") {
        auto db = openFile(chosen);
        Schema::create(*db);
        db->exec(u"drop table 号牌管理"_s);
        db->exec(u"create view 号牌管理 as select * from 包厢"_s);
    } else if (kind == u"trigger") {
        auto db = openFile(chosen);
        Schema::create(*db);
        db->exec(u"create trigger 清零 after insert on 结帐管理 begin "
                 "update 会员管理 set 卡内金额 = 0; end"_s);
    } else {
        {
            auto db = openFile(chosen);
            Schema::create(*db);
            db->exec(u"pragma journal_mode = delete"_s);
            Transaction filling(*db);
            for (int i = 0; i < 2000; ++i)
                bill(*db, QString::number(i));
            filling.commit();
        }
        QFile file(chosen);
        QVERIFY(file.resize(file.size() / 2));
    }
    const QByteArray before = [&] {
        QFile file(current);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();

    const QString refusal = refusalOf(
        [&] { Backup::restoreEmbedded(Operator{u"店长"_s, Rights::all()}, chosen, current, QDateTime(QDate(2024, 3, 15), QTime(9, 0))); });

    QVERIFY2(refusal.contains(reason), qPrintable(refusal));
    // Said in Chinese; SQLite's English words come only as a detail after it.
    QString sentence = refusal.section(u'（', 0, 0);
    sentence.remove(chosen);
    sentence.remove(u"schema_version"_s); // a table's own name
    QVERIFY2(!sentence.contains(QRegularExpression(u"[A-Za-z]"_s)), qPrintable(refusal));
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
    Backup::backUp(Operator{u"店长"_s, Rights::all()}, *db, backup);
    bill(*db, u"NEWER"_s);
    // The program's connection closes first; its log must not follow the
    // restored file.
    db->close();

    const QString kept =
        Backup::restoreEmbedded(Operator{u"店长"_s, Rights::all()}, backup, current, QDateTime(QDate(2024, 3, 15), QTime(9, 0)));

    QCOMPARE(kept, current + u".20240315-090000.bak"_s);
    QCOMPARE(openFile(kept)->strings(u"select 单据号 from 结帐管理 order by 单据号"_s),
             QStringList({u"NEWER"_s, u"OLD"_s}));
    // A statement reopens the connection, now on the restored file.
    QCOMPARE(db->strings(u"select 单据号 from 结帐管理"_s), QStringList({u"OLD"_s}));
    QCOMPARE(bills(*db), 1);
}

void TestBackup::backupKeepsTheProgramsLocks()
{
    if (TestDb::backend() == Backend::Postgres)
        QSKIP("the embedded file only");
    LiveShop shop;
    QCOMPARE(SqliteLocks::missing(shop.file), QString());
    const QString backup = shop.dir.filePath(u"2024-03-15备份文件"_s);

    Backup::backUp(Operator{u"店长"_s, Rights::all()}, *shop.db, backup);
    QCOMPARE(SqliteLocks::missing(shop.file), QString());

    // Again over the earlier one, with what the log holds since.
    bill(*shop.db, u"B"_s);
    Backup::backUp(Operator{u"店长"_s, Rights::all()}, *shop.db, backup);
    QCOMPARE(SqliteLocks::missing(shop.file), QString());
    QCOMPARE(openFile(backup)->strings(u"select 单据号 from 结帐管理 order by 单据号"_s),
             QStringList({u"A"_s, u"B"_s}));

    // What the restore checks before it closes the connection.
    Backup::checkEmbedded(backup, shop.file);
    QCOMPARE(SqliteLocks::missing(shop.file), QString());
}

namespace {

// Names for one of the open database's files, as a backup or restore
// could be given it.
QString nameFor(const QString &kind, LiveShop &shop)
{
    if (kind.startsWith(u'-'))
        return shop.file + kind;
    if (kind == u"symbolic link") {
        const QString link = shop.dir.filePath(u"link.db"_s);
        return QFile::link(shop.file, link) ? link : QString();
    }
    if (kind == u"hard link") {
        const QString link = shop.dir.filePath(u"hard.db"_s);
        return ::link(QFile::encodeName(shop.file).constData(), QFile::encodeName(link).constData()) == 0
            ? link
            : QString();
    }
    if (kind == u"linked folder") {
        const QString folder = shop.dir.filePath(u"linked"_s);
        return QFile::link(shop.dir.path(), folder) ? folder + u"/data.db"_s : QString();
    }
    return shop.file;
}

void addLiveNames(bool withJournal)
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("the file") << QString();
    QTest::newRow("its log") << u"-wal"_s;
    QTest::newRow("its shared memory") << u"-shm"_s;
    if (withJournal)
        QTest::newRow("its journal, not there now") << u"-journal"_s;
    QTest::newRow("a symbolic link to it") << u"symbolic link"_s;
    QTest::newRow("a hard link to it") << u"hard link"_s;
    QTest::newRow("through a linked folder") << u"linked folder"_s;
}

} // namespace

void TestBackup::refusesTheOpenDatabaseAsTarget_data()
{
    addLiveNames(true);
}

void TestBackup::refusesTheOpenDatabaseAsTarget()
{
    if (TestDb::backend() == Backend::Postgres)
        QSKIP("the embedded file only");
    QFETCH(QString, kind);
    LiveShop shop;
    const QString target = nameFor(kind, shop);
    QVERIFY(!target.isEmpty());

    const QString refusal = refusalOf([&] { Backup::backUp(Operator{u"店长"_s, Rights::all()}, *shop.db, target); });

    QVERIFY2(refusal.contains(u"正在使用的数据库"_s), qPrintable(refusal));
    QCOMPARE(SqliteLocks::missing(shop.file), QString());
    // The program goes on writing to the file everyone else sees.
    bill(*shop.db, u"B"_s);
    QCOMPARE(openFile(shop.file)->strings(u"select 单据号 from 结帐管理 order by 单据号"_s),
             QStringList({u"A"_s, u"B"_s}));
}

void TestBackup::refusesTheOpenDatabaseAsSource_data()
{
    addLiveNames(false);
}

void TestBackup::refusesTheOpenDatabaseAsSource()
{
    if (TestDb::backend() == Backend::Postgres)
        QSKIP("the embedded file only");
    QFETCH(QString, kind);
    LiveShop shop;
    const QString chosen = nameFor(kind, shop);
    QVERIFY(!chosen.isEmpty());
    const QDateTime now(QDate(2024, 3, 15), QTime(9, 0));

    const QString checked = refusalOf([&] { Backup::checkEmbedded(chosen, shop.file); });
    QVERIFY2(checked.contains(u"正在使用的数据库"_s), qPrintable(checked));
    QCOMPARE(SqliteLocks::missing(shop.file), QString());

    const QString restored = refusalOf([&] { Backup::restoreEmbedded(Operator{u"店长"_s, Rights::all()}, chosen, shop.file, now); });
    QVERIFY2(restored.contains(u"正在使用的数据库"_s), qPrintable(restored));
    QCOMPARE(SqliteLocks::missing(shop.file), QString());
    QCOMPARE(QDir(shop.dir.path()).entryList({u"*.bak"_s, u"*.part*"_s}), QStringList());
    QCOMPARE(bills(*shop.db), 1);
}

void TestBackup::refusesATargetThisProcessHasOpen()
{
    if (TestDb::backend() == Backend::Postgres)
        QSKIP("the embedded file only");
    LiveShop shop;
    // Another database the program has open, such as the one a migration reads.
    const QString other = shop.dir.filePath(u"other.db"_s);
    auto otherDb = openFile(other);
    Schema::create(*otherDb);
    bill(*otherDb, u"OTHER"_s);

    const QString refusal = refusalOf([&] { Backup::backUp(Operator{u"店长"_s, Rights::all()}, *shop.db, other); });

    QVERIFY2(refusal.contains(u"正打开着"_s), qPrintable(refusal));
    QCOMPARE(SqliteLocks::missing(other), QString());
    QCOMPARE(otherDb->strings(u"select 单据号 from 结帐管理"_s), QStringList({u"OTHER"_s}));
}

void TestBackup::backupRemovesWhatAKilledOneLeft()
{
    if (TestDb::backend() == Backend::Postgres)
        QSKIP("the embedded file only");
    LiveShop shop;
    const QString target = shop.dir.filePath(u"backup"_s);
    const QString partial = target + u".part"_s;
    leaveKilledCopy(partial);
    if (QTest::currentTestFailed())
        return;
    QFile journal(partial + u"-journal"_s);
    QVERIFY(journal.open(QIODevice::WriteOnly));
    journal.write(QByteArray(4096, '\x5a'));
    journal.close();
    for (const QString &suffix : {u""_s, u"-wal"_s, u"-shm"_s, u"-journal"_s})
        QVERIFY2(QFileInfo::exists(partial + suffix), qPrintable(partial + suffix));

    QCOMPARE(refusalOf([&] { Backup::backUp(Operator{u"店长"_s, Rights::all()}, *shop.db, target); }), QString());

    for (const QString &suffix : {u""_s, u"-wal"_s, u"-shm"_s, u"-journal"_s})
        QVERIFY2(!QFileInfo::exists(partial + suffix), qPrintable(partial + suffix));
    // The backup is the shop's, with nothing of the killed copy's log.
    QCOMPARE(openFile(target)->strings(u"select 单据号 from 结帐管理"_s), QStringList({u"A"_s}));
}

void TestBackup::failuresSayWhy_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("detail");
    QTest::newRow("backup into a folder that is gone")
        << u"backup, missing folder"_s << u"文件或文件夹不存在"_s << u"No such file or directory"_s;
    QTest::newRow("backup onto a disk that takes no more")
        << u"backup, size limit"_s << u"文件超过了系统允许的大小"_s << u"File too large"_s;
    QTest::newRow("restore onto a disk that takes no more")
        << u"restore, size limit"_s << u"文件超过了系统允许的大小"_s << u"File too large"_s;
}

void TestBackup::failuresSayWhy()
{
    if (TestDb::backend() == Backend::Postgres)
        QSKIP("the embedded file only");
    QFETCH(QString, operation);
    QFETCH(QString, reason);
    QFETCH(QString, detail);
    LiveShop shop;
    // Big enough to pass the lowered limit: bills by the thousand, in one
    // statement by hand.
    shop.db->execute(u"with recursive n(i) as (select 1 union all select i + 1 from n where i < 2000) "
                     "insert into 结帐管理 (单据号, 应收金额) select printf('%d', i), 50 from n"_s);
    const QString backup = shop.dir.filePath(u"backup"_s);
    Backup::backUp(Operator{u"店长"_s, Rights::all()}, *shop.db, backup);
    QVERIFY(QFileInfo(backup).size() > 64 * 1024);
    const QDateTime now(QDate(2024, 3, 15), QTime(9, 0));

    QString refusal;
    QString file;
    if (operation == u"backup, missing folder") {
        file = shop.dir.filePath(u"gone/backup.part"_s);
        refusal = refusalOf([&] { Backup::backUp(Operator{u"店长"_s, Rights::all()}, *shop.db, shop.dir.filePath(u"gone/backup"_s)); });
    } else if (operation == u"backup, size limit") {
        file = shop.dir.filePath(u"second.part"_s);
        const FileSizeLimit limit(64 * 1024);
        refusal = refusalOf([&] { Backup::backUp(Operator{u"店长"_s, Rights::all()}, *shop.db, shop.dir.filePath(u"second"_s)); });
    } else {
        const QString other = shop.dir.filePath(u"other.db"_s);
        openFile(other)->exec(u"create table x (y integer)"_s);
        file = other + u".part"_s;
        const FileSizeLimit limit(64 * 1024);
        refusal = refusalOf([&] { Backup::restoreEmbedded(Operator{u"店长"_s, Rights::all()}, backup, other, now); });
    }

    // A Chinese sentence that names the file and the cause; the system's
    // own words only as a detail after it.
    const QString sentence = refusal.section(u'（', 0, 0);
    QVERIFY2(sentence.contains(file), qPrintable(refusal));
    QVERIFY2(sentence.contains(reason), qPrintable(refusal));
    QVERIFY2(refusal.section(u'（', 1).contains(detail), qPrintable(refusal));
    QVERIFY(!QFileInfo::exists(file));
    QCOMPARE(SqliteLocks::missing(shop.file), QString());
}

SALONDESK_DB_TEST_MAIN(TestBackup)
#include "tst_backup.moc"
