#include "DatabaseSettings.h"

#include "db/Database.h"
#include "session/IniFile.h"
#include "session/Startup.h"

using namespace Qt::StringLiterals;

namespace DatabaseSettings {

namespace {

const QString Section = u"part1"_s;

QString text(const Server &server, const QString &password)
{
    return Startup::connectionText({{u"Provider"_s, u"PostgreSQL"_s},
                                    {u"Password"_s, password},
                                    {u"Persist Security Info"_s, u"True"_s},
                                    {u"User ID"_s, server.user},
                                    {u"Initial Catalog"_s, server.database},
                                    {u"Data Source"_s, server.server}});
}

} // namespace

Server stored(const IniFile &ini)
{
    return {ini.read(Section, u"ServerName"_s), ini.read(Section, u"DataBaseName"_s),
            ini.read(Section, u"UserName"_s), ini.read(Section, u"PassWord"_s)};
}

QString connectionText(const Server &server)
{
    return text(server, server.password);
}

QString shownText(const Server &server)
{
    return text(server, QString(server.password.size(), u'*'));
}

void test(const Server &server, const QString &programDir)
{
    const auto settings = Startup::mapConnection(u"s"_s, connectionText(server), programDir);
    if (!settings)
        throw DbError(u"没有填写服务器名/ip地址"_s);
    // Opened and closed again here: the program's own connection stays as it is.
    Database::open(*settings);
}

void save(IniFile &ini, bool embedded, const Server &server, bool tested)
{
    const Server trimmed{server.server.trimmed(), server.database.trimmed(),
                         server.user.trimmed(), server.password.trimmed()};
    ini.write(Section, u"abc"_s, embedded ? u"a"_s : u"s"_s);
    ini.write(Section, u"ServerName"_s, trimmed.server);
    ini.write(Section, u"DataBaseName"_s, trimmed.database);
    ini.write(Section, u"UserName"_s, trimmed.user);
    ini.write(Section, u"PassWord"_s, trimmed.password);
    if (tested)
        ini.write(Section, u"cs"_s, connectionText(server).trimmed());
}

} // namespace DatabaseSettings
