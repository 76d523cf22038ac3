#include "Backup.h"

#include "FileCopy.h"
#include "LiveFiles.h"
#include "OnlineBackup.h"
#include "SystemReason.h"

#include "common/FailureText.h"
#include "common/Refusal.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "db/SettledTotals.h"
#include "db/Transaction.h"
#include "session/RightTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include <cerrno>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace Backup {

namespace {

// Replaces `to` in one step, as POSIX rename does.
void moveOver(const QString &from, const QString &to)
{
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) {
        const int errnum = errno;
        throw Refusal(u"无法把文件 "_s + from + u" 改名为 "_s + to + u"："_s
                      + SystemReason::phrase(errnum) + u"。（系统："_s + SystemReason::detail(errnum)
                      + u"）"_s);
    }
}

// The files a backup or restore writes next to its target, and leaves
// behind when it is killed: the copy in progress and the journal files
// SQLite keeps while checking it.
QStringList partialFiles(const QString &partial)
{
    return {partial, partial + u"-wal"_s, partial + u"-shm"_s, partial + u"-journal"_s};
}

// What a killed backup or restore left is of no use to anyone.
void removeLeftovers(const QString &partial)
{
    for (const QString &file : partialFiles(partial)) {
        const QFileInfo info(file);
        if ((info.exists() || info.isSymLink()) && !QFile::remove(file))
            throw Refusal(u"无法删除上次没有完成的文件 "_s + file + u"，请先手工删除它。"_s);
    }
}

void removeLeftoversQuietly(const QString &partial)
{
    for (const QString &file : partialFiles(partial))
        QFile::remove(file);
}

// Writing, renaming or removing one of the open database's files would
// leave the program working on a deleted file, and opening one drops the
// program's locks on it: such a target is refused before anything is done.
void refuseLiveTarget(const QString &databaseFile, const QString &target, const QString &partial)
{
    for (const QString &file : QStringList{target} + partialFiles(partial)) {
        if (!databaseFile.isEmpty() && LiveFiles::isOneOf(file, databaseFile)) {
            throw Refusal(u"不能把备份保存为 "_s + target
                          + u"：这是程序正在使用的数据库文件，覆盖它会损坏数据。请另选一个文件夹或文件名。"_s);
        }
        if (LiveFiles::heldOpen(file)) {
            throw Refusal(u"不能把备份保存为 "_s + target
                          + u"：程序正打开着这个文件。请另选一个文件名。"_s);
        }
    }
}

void refuseLiveSource(const QString &file, const QString &databaseFile)
{
    if (LiveFiles::isOneOf(file, databaseFile) || LiveFiles::heldOpen(file)) {
        throw Refusal(file
                      + u" 是程序正在使用的数据库或它的日志文件，不能拿来恢复。请选择一个备份文件。"_s);
    }
}

// Whether the file starts as every SQLite database does; read only from
// files that are not the open database.
bool looksLikeDatabase(const QString &file)
{
    QFile handle(file);
    return handle.open(QIODevice::ReadOnly) && handle.read(16) == QByteArray("SQLite format 3", 16);
}

QString unusable(const QString &file)
{
    return looksLikeDatabase(file) ? file + u" 已经损坏，不能使用。"_s
                                   : file + u" 不是数据库文件，不能使用。"_s;
}

// What a check reads: every page (a file from outside, or a fresh copy),
// and the whole shape of the shop against the program's catalogue. The
// shape is checked on the program's own copies only: the check runs the
// upgrade steps in a transaction it takes back, and a file the operator
// picked may sit on a medium that cannot be written.
enum class Check { Pages, Shape, PagesAndShape };

// A second, private connection to a SQLite file: sound, and a shop's.
// quick_check reads every page and record; the full integrity_check also
// matches every index entry against its row, which takes sixteen seconds
// on a million settled lines instead of one and a half.
void verifyEmbedded(const QString &file, Check check, const QString &shownAs = {})
{
    // Messages name the file the operator chose, not the program's copy of it.
    const QString name = shownAs.isEmpty() ? file : shownAs;
    ConnectionSettings settings;
    settings.filePath = file;
    // What is wrong with a damaged file is told once the connection has
    // let go of it.
    QString damage;
    try {
        const auto database = Database::open(settings);
        if (check != Check::Shape) {
            const QString result = database->scalar(u"pragma quick_check"_s).toString();
            if (result != u"ok")
                damage = result;
        }
        if (damage.isEmpty() && !Schema::isInstalled(*database))
            throw Refusal(name + u" 不是本程序的数据库。"_s);
        if (damage.isEmpty() && Schema::version(*database) > Schema::CurrentVersion)
            throw Refusal(name + u" 由更新版本的程序写成，本程序不能使用。"_s);
        if (damage.isEmpty() && check != Check::Pages) {
            if (const QString reason = Schema::check(*database); !reason.isEmpty())
                throw Refusal(name + u" 不是完整可用的本店数据库，不能使用：" + reason + u"。"_s);
        }
    } catch (const DbError &error) {
        // The sentence around it already says what is wrong with the file.
        damage = error.detail().isEmpty() ? error.text() : error.detail();
    }
    if (!damage.isEmpty())
        throw Refusal(unusable(file) + u"（SQLite："_s + damage + u"）"_s);
}

// The daily totals of the program's own copy of a restored shop, held
// against its lines and counted again where they differ: they are a cache
// that the file brought along. A shop of an older version gets them
// counted by its upgrade at start-up.
void mendTotals(const QString &file)
{
    ConnectionSettings settings;
    settings.filePath = file;
    const auto database = Database::open(settings);
    if (Schema::version(*database) != Schema::CurrentVersion)
        return;
    Transaction transaction(*database);
    SettledTotals::mend(*database);
    transaction.commit();
}

QString temporaryBeside(const QString &path)
{
    return path + u".part"_s;
}

QProcessEnvironment serverEnvironment(const ConnectionSettings &settings)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"PGPASSWORD"_s, settings.password);
    return environment;
}

QStringList serverArguments(const ConnectionSettings &settings)
{
    QStringList arguments{u"--host"_s, settings.host, u"--port"_s, QString::number(settings.port),
                          u"--username"_s, settings.user, u"--no-password"_s};
    if (!settings.schema.isEmpty())
        arguments << u"--schema"_s << settings.schema;
    return arguments;
}

void run(const QString &program, const QStringList &arguments,
         const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForStarted())
        throw Refusal(u"无法运行 "_s + program + u"，请安装 postgresql-client。"_s);
    process.waitForFinished(-1);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        const QString reason = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        // The tool's words mostly come from libpq or the server.
        const FailureText::Explained explained =
            FailureText::explain(reason, {}, FailureText::Stage::Connecting);
        const QString sentence = explained.recognised
            ? explained.sentence
            : u"请检查数据库服务器和磁盘后再试；若一再出现，请把原因告诉管理员。"_s;
        throw Refusal(u"数据备份没有完成（%1 失败）。"_s.arg(program)
                      + FailureText::withDetail(sentence, explained.detail));
    }
}

} // namespace

QString proposedName(const QString &previous, const QDate &today)
{
    return previous + today.toString(u"yyyy-MM-dd"_s) + u"备份文件"_s;
}

void backUp(const Operator &who, Database &database, const QString &target)
{
    RightTable::require(who, Guarded::BackUp);
    const QString partial = temporaryBeside(target);
    const bool server = database.dialect().isPostgres();
    refuseLiveTarget(server ? QString() : database.settings().filePath, target, partial);
    removeLeftovers(partial);
    try {
        if (server) {
            const ConnectionSettings &settings = database.settings();
            run(u"pg_dump"_s,
                serverArguments(settings)
                    << u"--format=custom"_s << u"--file"_s << partial << settings.database,
                serverEnvironment(settings));
            // The archive must list its contents before it counts as a backup.
            run(u"pg_restore"_s, {u"--list"_s, partial}, serverEnvironment(settings));
        } else {
            OnlineBackup::copyTo(database, partial);
            verifyEmbedded(partial, Check::PagesAndShape);
        }
        moveOver(partial, target);
    } catch (...) {
        removeLeftoversQuietly(partial);
        throw;
    }
}

QDateTime madeAt(const QString &file)
{
    return QFileInfo(file).lastModified();
}

void checkEmbedded(const QString &file, const QString &databaseFile)
{
    refuseLiveSource(file, databaseFile);
    if (!QFileInfo(file).isFile())
        throw Refusal(file + u" 不是文件。"_s);
    verifyEmbedded(file, Check::Pages);
}

QString restoreEmbedded(const Operator &who, const QString &chosen, const QString &databaseFile,
                        const QDateTime &now)
{
    RightTable::require(who, Guarded::Restore);
    checkEmbedded(chosen, databaseFile);
    // Renamed away while this process still had it open, the database would
    // go on being written by a connection nobody sees.
    for (const QString &file : LiveFiles::of(databaseFile)) {
        if (LiveFiles::heldOpen(file)) {
            throw Refusal(u"数据库文件 "_s + databaseFile
                          + u" 还在使用中，不能恢复。请重新启动软件后再恢复。"_s);
        }
    }
    // Copied through SQLite, so a chosen file that still has a write-ahead
    // log beside it comes over whole; the copy is checked again.
    const QString partial = temporaryBeside(databaseFile);
    removeLeftovers(partial);
    try {
        if (QFileInfo::exists(chosen + u"-wal"_s)) {
            // A database still in use elsewhere: SQLite writes the copy
            // with what its log holds.
            ConnectionSettings settings;
            settings.filePath = chosen;
            Database::open(settings)->exec(u"vacuum into ?"_s, {partial});
        } else {
            FileCopy::copy(chosen, partial);
        }
        // A copy of a file just checked page by page.
        verifyEmbedded(partial, Check::Shape, chosen);
        mendTotals(partial);
    } catch (const DbError &error) {
        removeLeftoversQuietly(partial);
        throw Refusal(u"无法从 "_s + chosen + u" 复制数据，原来的数据库没有改动。"_s + error.sentence()
                      + u"（SQLite："_s + (error.detail().isEmpty() ? error.text() : error.detail())
                      + u"）"_s);
    } catch (...) {
        removeLeftoversQuietly(partial);
        throw;
    }

    const QString kept = databaseFile + u'.' + now.toString(u"yyyyMMdd-hhmmss"_s) + u".bak"_s;
    // The journal files belong to the file they were written for; left
    // behind, SQLite would apply them to the restored one.
    for (const QString &suffix : {u"-wal"_s, u"-shm"_s, u"-journal"_s}) {
        if (QFileInfo::exists(databaseFile + suffix))
            moveOver(databaseFile + suffix, kept + suffix);
    }
    if (QFileInfo::exists(databaseFile))
        moveOver(databaseFile, kept);
    moveOver(partial, databaseFile);
    return kept;
}

} // namespace Backup
