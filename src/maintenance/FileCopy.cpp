#include "FileCopy.h"

#include "SystemReason.h"
#include "common/Refusal.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace FileCopy {

namespace {

[[noreturn]] void refuse(const QString &what, int errnum)
{
    throw Refusal(what + u"："_s + SystemReason::phrase(errnum)
                  + u"。原来的数据库没有改动；请腾出磁盘空间或检查文件的访问权限后再试。（系统："_s
                  + SystemReason::detail(errnum) + u"）"_s);
}

// Closes on every way out; a descriptor is closed once.
struct Descriptor
{
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

void copy(const QString &from, const QString &to)
{
    const QString reading = u"无法读取 "_s + from;
    const QString writing = u"无法写入 "_s + to;
    Descriptor source{::open(QFile::encodeName(from).constData(), O_RDONLY | O_CLOEXEC)};
    if (source.fd < 0)
        refuse(reading, errno);
    Descriptor target{::open(QFile::encodeName(to).constData(),
                             O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644)};
    if (target.fd < 0)
        refuse(writing, errno);

    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(source.fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            refuse(reading, errno);
        if (got == 0)
            break;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(target.fd, buffer + done, size_t(got - done));
            if (put < 0 && errno == EINTR)
                continue;
            if (put < 0)
                refuse(writing, errno);
            done += put;
        }
    }
    // The copy replaces the database by a rename: it must be on disk first.
    if (::fsync(target.fd) != 0)
        refuse(writing, errno);
    const int fd = target.fd;
    target.fd = -1;
    if (::close(fd) != 0)
        refuse(writing, errno);
}

} // namespace FileCopy
