#include "Backup.h"

#include "common/Refusal.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "db/Transaction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSqlRecord>

#include <cerrno>
#include <cstdio>
#include <cstring>

using namespace Qt::StringLiterals;

namespace Backup {

namespace {

// Replaces `to` in one step, as POSIX rename does.
void moveOver(const QString &from, const QString &to)
{
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) {
        throw Refusal(u"无法把文件改名为 "_s + to + u"："_s
                      + QString::fromLocal8Bit(std::strerror(errno)));
    }
}

void removeIfThere(const QString &path)
{
    if (QFileInfo::exists(path) && !QFile::remove(path))
        throw Refusal(u"无法删除文件 "_s + path);
}

enum class Check { Pages, VersionOnly };

// A second, private connection to a SQLite file: sound, and a shop's.
// quick_check reads every page and record; the full integrity_check also
// matches every index entry against its row, which takes sixteen seconds
// on a million settled lines instead of one and a half.
void verifyEmbedded(const QString &file, Check check = Check::Pages)
{
    ConnectionSettings settings;
    settings.filePath = file;
    try {
        const auto database = Database::open(settings);
        if (check == Check::Pages) {
            const QString result = database->scalar(u"pragma quick_check"_s).toString();
            if (result != u"ok")
                throw Refusal(file + u" 已经损坏：" + result);
        }
        if (!Schema::isInstalled(*database))
            throw Refusal(file + u" 不是本程序的数据库。"_s);
        if (Schema::version(*database) > Schema::CurrentVersion)
            throw Refusal(file + u" 由更新版本的程序写成，本程序不能使用。"_s);
    } catch (const DbError &error) {
        throw Refusal(file + u" 不是可用的数据库：" + error.text());
    }
}

// A consistent copy of the open database, including what its write-ahead
// log still holds, which a plain copy of the file would miss. When the log
// can be emptied into the file, the file is copied under a read
// transaction (a second faster than SQLite rewriting it); otherwise
// SQLite writes the copy itself.
void copyEmbedded(Database &database, const QString &partial)
{
    try {
        const QSqlRecord checkpoint =
            database.firstRow(u"pragma wal_checkpoint(truncate)"_s);
        if (!database.inTransaction() && checkpoint.value(0).toInt() == 0) {
            Transaction reading(database);
            database.scalar(u"select count(*) from schema_version"_s);
            if (!QFile::copy(database.settings().filePath, partial))
                throw Refusal(u"无法写入备份文件 "_s + partial);
            reading.commit();
            return;
        }
        database.exec(u"vacuum into ?"_s, {partial});
    } catch (const DbError &error) {
        throw Refusal(u"备份失败："_s + error.text());
    }
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
        throw Refusal(program + u" 失败："_s + reason);
    }
}

} // namespace

QString proposedName(const QString &previous, const QDate &today)
{
    return previous + today.toString(u"yyyy-MM-dd"_s) + u"备份文件"_s;
}

void backUp(Database &database, const QString &target)
{
    const QString partial = temporaryBeside(target);
    removeIfThere(partial);
    try {
        if (database.dialect().isPostgres()) {
            const ConnectionSettings &settings = database.settings();
            run(u"pg_dump"_s,
                serverArguments(settings)
                    << u"--format=custom"_s << u"--file"_s << partial << settings.database,
                serverEnvironment(settings));
            // The archive must list its contents before it counts as a backup.
            run(u"pg_restore"_s, {u"--list"_s, partial}, serverEnvironment(settings));
        } else {
            copyEmbedded(database, partial);
            verifyEmbedded(partial);
        }
        moveOver(partial, target);
    } catch (...) {
        QFile::remove(partial);
        throw;
    }
}

void checkEmbedded(const QString &file)
{
    if (!QFileInfo(file).isFile())
        throw Refusal(file + u" 不是文件。"_s);
    verifyEmbedded(file);
}

QString restoreEmbedded(const QString &chosen, const QString &databaseFile, const QDateTime &now)
{
    checkEmbedded(chosen);
    // Copied through SQLite, so a chosen file that still has a write-ahead
    // log beside it comes over whole; the copy is checked again.
    const QString partial = temporaryBeside(databaseFile);
    removeIfThere(partial);
    try {
        if (QFileInfo::exists(chosen + u"-wal"_s)) {
            // A database still in use elsewhere: SQLite writes the copy
            // with what its log holds.
            ConnectionSettings settings;
            settings.filePath = chosen;
            Database::open(settings)->exec(u"vacuum into ?"_s, {partial});
        } else if (!QFile::copy(chosen, partial)) {
            throw Refusal(u"无法复制 "_s + chosen);
        }
        // A copy of a file just checked page by page.
        verifyEmbedded(partial, Check::VersionOnly);
    } catch (const DbError &error) {
        QFile::remove(partial);
        throw Refusal(u"恢复失败："_s + error.text());
    } catch (...) {
        QFile::remove(partial);
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
