#include "BackupActions.h"

#include "common/Clock.h"
#include "common/DateFormat.h"
#include "common/ui/Attempt.h"
#include "maintenance/Backup.h"
#include "maintenance/ServerRestore.h"
#include "session/Session.h"

#include <QApplication>
#include <QDir>

using namespace Qt::StringLiterals;

namespace BackupActions {

namespace {

const QString RestoredText = u"数据恢复成功，需要重新启动软件！"_s;

// Backing up a large database takes seconds; the operator sees it working.
template <typename Operation>
bool attemptBusy(Prompt &prompt, Operation &&operation)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool done = attempt(prompt, std::forward<Operation>(operation));
    QApplication::restoreOverrideCursor();
    return done;
}

} // namespace

QString fileTypes(Backend backend)
{
    // Qt reads the patterns between the brackets only when they are plain
    // ASCII; the Chinese in "*备份文件" made it take the whole text as
    // words, so no proposed name was listed. The date in every proposed
    // name ("2026-12-11备份文件") is what the pattern matches instead.
    return backend == Backend::Postgres
        ? u"服务器数据备份 (*-[0-9][0-9]-[0-9][0-9]* *.dump);;所有文件 (*)"_s
        : u"数据库备份 (*-[0-9][0-9]-[0-9][0-9]* *.db *.bak);;所有文件 (*)"_s;
}

namespace {

// The chosen name, written or not; empty when the dialog was cancelled.
QString writeBackup(Session &session, const QString &previous, bool &written)
{
    Database &database = session.db();
    written = false;
    const QString target =
        session.prompt.saveFile(u"数据备份"_s, fileTypes(database.backend()),
                                Backup::proposedName(previous, session.clock.now().date()));
    if (target.isEmpty())
        return target;
    written = attemptBusy(session.prompt, [&] {
        Backup::backUp(session.context.signedIn(), database, target);
    });
    if (written)
        session.prompt.message(u"备份成功\n"_s + QDir::toNativeSeparators(target));
    return target;
}

// Names the backup and when it was made, and what it replaces.
QString restoreQuestion(const QString &chosen, const QString &replaced)
{
    return u"将用 "_s + DateFormat::dateTimeText(Backup::madeAt(chosen)) + u" 的备份 "_s
        + QDir::toNativeSeparators(chosen) + u" 替换"_s + replaced + u"。是否继续?"_s;
}

} // namespace

QString backUp(Session &session, const QString &previous)
{
    bool written = false;
    const QString target = writeBackup(session, previous, written);
    return target.isEmpty() ? previous : target;
}

bool offerBackup(Session &session, const QString &operation)
{
    if (!session.prompt.question(operation + u"之前，是否先备份数据?"_s, u"数据备份"_s))
        return true;
    bool written = false;
    writeBackup(session, QString(), written);
    if (!written)
        session.prompt.message(u"没有备份，"_s + operation + u"没有进行。"_s);
    return written;
}

bool restore(Session &session)
{
    Database &database = session.db();
    const QString chosen = session.prompt.openFile(u"数据恢复"_s, fileTypes(database.backend()));
    if (chosen.isEmpty())
        return false;

    if (database.dialect().isPostgres()) {
        const ConnectionSettings settings = database.settings();
        if (!session.prompt.question(
                restoreQuestion(chosen, u"服务器 "_s + settings.host + u" 上数据库 "_s
                                            + settings.database
                                            + u" 中的全部数据，其他收银台也会受影响"_s),
                u"数据恢复"_s)) {
            return false;
        }
        if (!attemptBusy(session.prompt, [&] { ServerRestore::restore(session.context.signedIn(), settings, chosen); }))
            return false;
        session.prompt.message(RestoredText);
        return true;
    }

    // Checked before the connection is closed: a wrong file changes nothing
    // and the program goes on.
    const QString databaseFile = database.settings().filePath;
    if (!attemptBusy(session.prompt, [&] { Backup::checkEmbedded(chosen, databaseFile); }))
        return false;
    if (!session.prompt.question(
            restoreQuestion(chosen, u"本机数据库 "_s + QDir::toNativeSeparators(databaseFile)
                                        + u" 中的全部数据，原来的数据库会另存一份"_s),
            u"数据恢复"_s)) {
        return false;
    }
    database.close();
    QString kept;
    const bool restored = attemptBusy(session.prompt, [&] {
        kept = Backup::restoreEmbedded(session.context.signedIn(), chosen, databaseFile,
                                       session.clock.now());
    });
    if (!restored)
        return false;
    session.prompt.message(RestoredText + u"\n原来的数据库保存为 "_s
                           + QDir::toNativeSeparators(kept));
    return true;
}

} // namespace BackupActions
