#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

// Keeps a second copy of the program from running on this machine. The lock
// is a file holding our process id; a copy that crashed leaves a stale file
// that the next start recognises and takes over.
class SingleInstance
{
public:
    // The lock for the program, in the user's runtime folder.
    static QString defaultLockPath();

    explicit SingleInstance(const QString &lockPath = defaultLockPath());
    // True when this process holds the lock; false when another copy runs.
    bool acquire();

private:
    std::unique_ptr<QLockFile> m_lock;
};
