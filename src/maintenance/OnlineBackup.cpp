#include "OnlineBackup.h"

#include "SystemReason.h"
#include "common/Refusal.h"
#include "db/Database.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QSqlDriver>

#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace OnlineBackup {

namespace {

sqlite3 *connectionOf(Database &database)
{
    // A connection closed on purpose opens again with its next statement.
    database.scalar(u"select 1"_s);
    const QVariant handle = database.handle().driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        throw Refusal(u"数据库连接不是 SQLite 的，无法备份。"_s);
    return *static_cast<sqlite3 *const *>(handle.constData());
}

[[noreturn]] void refuse(sqlite3 *target, const QString &file)
{
    const int errnum = sqlite3_system_errno(target);
    QString text = u"无法写入备份文件 "_s + file;
    if (errnum != 0)
        text += u"："_s + SystemReason::phrase(errnum);
    text += u"。请检查磁盘空间和文件夹的写入权限，或另选一个位置后再备份。（"_s;
    if (errnum != 0)
        text += u"系统："_s + SystemReason::detail(errnum) + u"；"_s;
    text += u"SQLite："_s + QString::fromUtf8(sqlite3_errmsg(target)) + u"）"_s;
    sqlite3_close_v2(target);
    throw Refusal(text);
}

} // namespace

void copyTo(Database &database, const QString &file)
{
    if (database.inTransaction())
        throw Refusal(u"还有一项操作没有完成，请稍后再备份。"_s);
    sqlite3 *source = connectionOf(database);
    sqlite3 *target = nullptr;
    const int opened = sqlite3_open_v2(QFile::encodeName(file).constData(), &target,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE
                                           | SQLITE_OPEN_NOFOLLOW,
                                       nullptr);
    if (opened != SQLITE_OK)
        refuse(target, file);
    sqlite3_extended_result_codes(target, 1);

    sqlite3_backup *backup = sqlite3_backup_init(target, "main", source, "main");
    if (!backup)
        refuse(target, file);
    // All pages in one step: the copy is one snapshot, and other
    // workstations' writes go on beside it in the write-ahead log.
    const QDeadlineTimer patience(5000);
    int step = sqlite3_backup_step(backup, -1);
    while ((step == SQLITE_BUSY || step == SQLITE_LOCKED) && !patience.hasExpired()) {
        sqlite3_sleep(50);
        step = sqlite3_backup_step(backup, -1);
    }
    // finish() hands the step's error to the target connection.
    const int finished = sqlite3_backup_finish(backup);
    if (step == SQLITE_BUSY || step == SQLITE_LOCKED) {
        sqlite3_close_v2(target);
        throw Refusal(u"数据库正忙，暂时无法备份，请稍后再试。"_s);
    }
    if (finished != SQLITE_OK || step != SQLITE_DONE)
        refuse(target, file);
    if (sqlite3_close(target) != SQLITE_OK)
        refuse(target, file);
}

} // namespace OnlineBackup
