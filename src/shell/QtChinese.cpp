#include "QtChinese.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

using namespace Qt::StringLiterals;

namespace QtChinese {

QString translationFile()
{
    return QDir(QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        .filePath(u"qtbase_zh_CN.qm"_s);
}

bool install()
{
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    // Owned by the application, which keeps using it until it ends.
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(translationFile()) || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    return true;
}

} // namespace QtChinese
