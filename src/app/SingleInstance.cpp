#include "SingleInstance.h"

#include <QDir>

using namespace Qt::StringLiterals;

QString SingleInstance::defaultLockPath()
{
    const QString overridden = qEnvironmentVariable("SALONDESK_LOCK_FILE");
    if (!overridden.isEmpty())
        return overridden;
    return QDir(QDir::tempPath()).filePath(u"salondesk-NetSend.lock"_s);
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
