#include "BackupActions.h"

#include "app/Attempt.h"
#include "app/Session.h"
#include "common/Clock.h"
#include "maintenance/Backup.h"
#include "maintenance/ServerRestore.h"

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

QString filter(const Database &database)
{
    return database.dialect().isPostgres() ? u"服务器数据备份 (*.dump);;所有文件 (*)"_s
                                           : u"数据库备份 (*.db *.bak *备份文件);;所有文件 (*)"_s;
}

} // namespace

QString backUp(Session &session, const QString &previous)
{
    Database &database = session.db();
    const QString target =
        session.prompt.saveFile(u"数据备份"_s, filter(database),
                                Backup::proposedName(previous, session.clock.now().date()));
    if (target.isEmpty())
        return previous;
    if (attemptBusy(session.prompt, [&] { Backup::backUp(database, target); }))
        session.prompt.message(u"备份成功\n"_s + QDir::toNativeSeparators(target));
    return target;
}

bool restore(Session &session)
{
    Database &database = session.db();
    const QString chosen = session.prompt.openFile(u"数据恢复"_s, filter(database));
    if (chosen.isEmpty())
        return false;

    if (database.dialect().isPostgres()) {
        const ConnectionSettings settings = database.settings();
        if (!session.prompt.question(u"将用所选备份替换服务器 "_s + settings.host + u" 上数据库 "_s
                                     + settings.database
                                     + u" 中的全部数据，其他收银台也会受影响。是否继续?"_s)) {
            return false;
        }
        if (!attemptBusy(session.prompt, [&] { ServerRestore::restore(settings, chosen); }))
            return false;
        session.prompt.message(RestoredText);
        return true;
    }

    // Checked before the connection is closed: a wrong file changes nothing
    // and the program goes on.
    if (!attemptBusy(session.prompt, [&] { Backup::checkEmbedded(chosen); }))
        return false;
    const QString databaseFile = database.settings().filePath;
    database.close();
    QString kept;
    const bool restored = attemptBusy(session.prompt, [&] {
        kept = Backup::restoreEmbedded(chosen, databaseFile, session.clock.now());
    });
    if (!restored)
        return false;
    session.prompt.message(RestoredText + u"\n原来的数据库保存为 "_s
                           + QDir::toNativeSeparators(kept));
    return true;
}

} // namespace BackupActions
