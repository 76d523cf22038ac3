#include "SystemReason.h"

#include <cerrno>
#include <cstring>

using namespace Qt::StringLiterals;

namespace SystemReason {

QString phrase(int errnum)
{
    switch (errnum) {
    case ENOSPC:
        return u"磁盘空间已满"_s;
    case EDQUOT:
        return u"超出了磁盘配额"_s;
    case EFBIG:
        return u"文件超过了系统允许的大小"_s;
    case EACCES:
    case EPERM:
        return u"没有访问权限"_s;
    case EROFS:
        return u"磁盘是只读的"_s;
    case ENOENT:
        return u"文件或文件夹不存在"_s;
    case ENOTDIR:
        return u"路径中的文件夹不存在"_s;
    case EISDIR:
        return u"这是一个文件夹"_s;
    case EIO:
        return u"磁盘读写出错"_s;
    default:
        return detail(errnum);
    }
}

QString detail(int errnum)
{
    return QString::fromLocal8Bit(std::strerror(errnum));
}

} // namespace SystemReason
