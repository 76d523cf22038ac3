#include "DesktopFileOpener.h"

#include <QDesktopServices>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

// Whether the desktop has a program registered for the file's type. Asked
// first because the opener hands the file over and never hears back: with
// no such program the operator would see nothing at all.
bool desktopCanOpen(const QString &path)
{
    const QString xdgMime = QStandardPaths::findExecutable(u"xdg-mime"_s);
    if (xdgMime.isEmpty())
        return true; // nothing to ask; let the desktop try
    const QString type = QMimeDatabase().mimeTypeForFile(path).name();
    QProcess query;
    query.start(xdgMime, {u"query"_s, u"default"_s, type});
    if (!query.waitForFinished(3000)) {
        query.kill();
        return true;
    }
    return !query.readAllStandardOutput().trimmed().isEmpty();
}

} // namespace

bool DesktopFileOpener::canOpen(const QString &path)
{
    return desktopCanOpen(path);
}

bool DesktopFileOpener::open(const QString &path)
{
    if (!desktopCanOpen(path))
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
