#include "SingleInstance.h"

#include <QDir>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

QString SingleInstance::defaultLockPath()
{
    const QString overridden = qEnvironmentVariable("SALONDESK_LOCK_FILE");
    if (!overridden.isEmpty())
        return overridden;
    // One lock per user: two people signed in on one machine each run
    // their own copy, and nobody else can take or remove the lock.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return QDir(folder).filePath(u"salondesk-NetSend.lock"_s);
}

SingleInstance::SingleInstance(const QString &lockPath)
    : m_lock(std::make_unique<QLockFile>(lockPath))
{
    // Never treat a live copy's lock as stale, however long it has run.
    m_lock->setStaleLockTime(0);
}

bool SingleInstance::acquire()
{
    return m_lock->tryLock(0);
}
