#include "LiveFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace LiveFiles {

namespace {

const QStringList JournalSuffixes{u"-wal"_s, u"-shm"_s, u"-journal"_s};

// The real path of a file, or of its folder and then its name when the
// file is not there (yet).
QString realPath(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists())
        return info.canonicalFilePath();
    const QString folder = info.absoluteDir().canonicalPath();
    return folder.isEmpty() ? info.absoluteFilePath() : folder + u'/' + info.fileName();
}

struct Identity
{
    dev_t device = 0;
    ino_t inode = 0;
    bool valid = false;
    bool operator==(const Identity &) const = default;
};

// stat() follows links and opens nothing, so asking keeps every lock.
Identity identityOf(const QString &path)
{
    struct stat status{};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    return {status.st_dev, status.st_ino, true};
}

} // namespace

QStringList of(const QString &databaseFile)
{
    QStringList files;
    for (const QString &base : {QFileInfo(databaseFile).absoluteFilePath(), realPath(databaseFile)}) {
        if (files.contains(base))
            continue;
        files << base;
        for (const QString &suffix : JournalSuffixes)
            files << base + suffix;
    }
    return files;
}

bool isOneOf(const QString &path, const QString &databaseFile)
{
    const QString real = realPath(path);
    const Identity identity = identityOf(path);
    for (const QString &live : of(databaseFile)) {
        if (real == realPath(live))
            return true;
        if (identity.valid && identity == identityOf(live))
            return true;
    }
    return false;
}

bool heldOpen(const QString &path)
{
#ifdef Q_OS_LINUX
    const Identity identity = identityOf(path);
    if (!identity.valid)
        return false;
    // Every descriptor of this process, each a link to what it has open.
    const QDir descriptors(u"/proc/self/fd"_s);
    const QStringList names = descriptors.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        if (identityOf(descriptors.filePath(name)) == identity)
            return true;
    }
#else
    Q_UNUSED(path)
#endif
    return false;
}

} // namespace LiveFiles
