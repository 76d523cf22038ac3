#include "NameOnlyIconProvider.h"

#include <QFileInfo>
#include <QIcon>

using namespace Qt::StringLiterals;

QMimeType NameOnlyIconProvider::mimeType(const QFileInfo &info) const
{
    return m_mimeTypes.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
}

QIcon NameOnlyIconProvider::icon(const QFileInfo &info) const
{
    if (info.isRoot())
        return icon(Drive);
    if (info.isDir())
        return icon(Folder);
    const QMimeType type = mimeType(info);
    const QIcon fallback = icon(File);
    return QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName(), fallback));
}

QString NameOnlyIconProvider::type(const QFileInfo &info) const
{
    if (info.isRoot())
        return u"驱动器"_s;
    if (info.isDir())
        return u"文件夹"_s;
    const QMimeType type = mimeType(info);
    if (!type.isDefault())
        return type.comment();
    const QString suffix = info.suffix();
    return suffix.isEmpty() ? u"文件"_s : suffix.toUpper() + u" 文件"_s;
}
