#include "SqliteLocks.h"

#include <QFile>
#include <QStringList>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace SqliteLocks {

namespace {

// SQLite's lock bytes: the shared range of the database file, and the
// "log in use" byte of the -shm file.
constexpr off_t SharedFirst = 0x40000002;
constexpr off_t SharedLength = 510;
constexpr off_t InUseByte = 128;

// Runs in the child: whether `owner` holds a lock that a write lock on the
// range would conflict with.
bool heldBy(const char *path, off_t start, off_t length, pid_t owner)
{
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct flock probe{};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = start;
    probe.l_len = length;
    const bool held = ::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK
                      && probe.l_pid == owner;
    ::close(fd);
    return held;
}

} // namespace

QString missing(const QString &databaseFile)
{
    const QByteArray database = QFile::encodeName(databaseFile);
    const QByteArray sharedMemory = QFile::encodeName(databaseFile + u"-shm"_s);
    const pid_t owner = ::getpid();
    // A child, because a process never conflicts with its own locks; it
    // touches nothing but the two files and leaves at once.
    const pid_t child = ::fork();
    if (child == 0) {
        int result = 0;
        if (!heldBy(database.constData(), SharedFirst, SharedLength, owner))
            result |= 1;
        if (!heldBy(sharedMemory.constData(), InUseByte, 1, owner))
            result |= 2;
        ::_exit(result);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return u"the probe process did not run"_s;
    QStringList lost;
    if (WEXITSTATUS(status) & 1)
        lost << u"read lock on "_s + databaseFile;
    if (WEXITSTATUS(status) & 2)
        lost << u"log-in-use lock on "_s + databaseFile + u"-shm"_s;
    return lost.join(u", "_s);
}

} // namespace SqliteLocks
