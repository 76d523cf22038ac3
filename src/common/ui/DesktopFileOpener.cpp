#include "DesktopFileOpener.h"

#include <QDesktopServices>
#include <QUrl>

bool DesktopFileOpener::open(const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
