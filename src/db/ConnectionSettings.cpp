#include "ConnectionSettings.h"

#include <QStringList>

using namespace Qt::StringLiterals;

ConnectionSettings ConnectionSettings::fromPostgresKeywords(const QString &keywords)
{
    ConnectionSettings settings;
    settings.backend = Backend::Postgres;
    settings.host = u"127.0.0.1"_s;
    for (const QString &pair : keywords.split(u' ', Qt::SkipEmptyParts)) {
        const qsizetype eq = pair.indexOf(u'=');
        if (eq < 0)
            continue;
        const QString key = pair.left(eq);
        const QString value = pair.mid(eq + 1);
        if (key == u"host")
            settings.host = value;
        else if (key == u"port")
            settings.port = value.toInt();
        else if (key == u"dbname")
            settings.database = value;
        else if (key == u"user")
            settings.user = value;
        else if (key == u"password")
            settings.password = value;
    }
    return settings;
}
