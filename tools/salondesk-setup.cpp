// The installer: writes system.ini, creates or upgrades the database and
// seeds a starter shop into an empty one. Safe to run again.
//
//   salondesk-setup [FOLDER]
//   salondesk-setup [FOLDER] --server HOST[:PORT] --database NAME --user USER --password PASSWORD

#include "db/Database.h"
#include "db/Schema.h"
#include "maintenance/DatabaseSettings.h"
#include "maintenance/Migration.h"
#include "session/IniFile.h"
#include "session/Startup.h"
#include "shell/StarterShop.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

void say(const QString &text)
{
    std::fprintf(stdout, "%s\n", qPrintable(text));
}

// How far the copy onto the server has come: on a terminal one line a
// table, rewritten as the rows go in; into a file or pipe a line a block.
// A table is told as it begins and once more when it is complete, which
// for an empty table is the same line.
void showProgress(const QString &table, qint64 copied, qint64 total)
{
    static const bool terminal = isatty(fileno(stdout));
    static QString completed;
    if (table == completed)
        return;
    const bool complete = copied == total;
    if (complete)
        completed = table;
    const QString text = u"%1: %2 / %3 rows"_s.arg(table).arg(copied).arg(total);
    if (!terminal) {
        if (complete || copied > 0)
            say(text);
        return;
    }
    std::fprintf(stdout, "\r%s%s", qPrintable(text), complete ? "\n" : "");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"salondesk-setup"_s);

    QCommandLineParser parser;
    parser.setApplicationDescription(u"Sets up a SalonDesk installation in FOLDER (default: the current folder)."_s);
    parser.addHelpOption();
    parser.addPositionalArgument(u"folder"_s, u"The folder that holds the program."_s);
    const QCommandLineOption server(u"server"_s, u"Use the PostgreSQL server HOST[:PORT]."_s, u"host"_s);
    const QCommandLineOption database(u"database"_s, u"PostgreSQL database name."_s, u"name"_s);
    const QCommandLineOption user(u"user"_s, u"PostgreSQL login."_s, u"user"_s);
    const QCommandLineOption password(u"password"_s, u"PostgreSQL password."_s, u"password"_s);
    const QCommandLineOption from(u"from"_s,
                                  u"Copy the embedded database FILE into the empty server database "
                                  "(with --server), then switch FOLDER to the server."_s,
                                  u"file"_s);
    parser.addOptions({server, database, user, password, from});
    parser.process(app);

    const QString folder = QDir(parser.positionalArguments().value(0, u"."_s)).absolutePath();
    if (!QDir().mkpath(folder)) {
        say(u"cannot create "_s + folder);
        return 1;
    }
    const QString iniPath = QDir(folder).filePath(u"system.ini"_s);

    try {
        if (StarterShop::writeDefaultIni(iniPath))
            say(u"wrote "_s + iniPath);
        IniFile ini(iniPath);
        const DatabaseSettings::Server named{parser.value(server), parser.value(database),
                                             parser.value(user), parser.value(password)};
        if (parser.isSet(from)) {
            if (!parser.isSet(server)) {
                say(u"--from needs --server"_s);
                return 1;
            }
            ConnectionSettings embedded;
            embedded.filePath = parser.value(from);
            if (!QFileInfo(embedded.filePath).isFile()) {
                say(u"no such file: "_s + embedded.filePath);
                return 1;
            }
            const auto target = Startup::mapConnection(
                u"s"_s, DatabaseSettings::connectionText(named), folder);
            if (!target) {
                say(u"no server named"_s);
                return 1;
            }
            auto source = Database::open(embedded);
            auto destination = Database::open(*target);
            say(u"copying "_s + embedded.filePath + u" to the server"_s);
            const QList<Migration::Copied> copied =
                Migration::copy(*source, *destination, showProgress);
            qint64 rows = 0;
            for (const Migration::Copied &table : copied)
                rows += table.rows;
            say(u"%1 rows in %2 tables copied and counted"_s.arg(rows).arg(copied.size()));
            // Only a complete copy switches the folder to the server.
            DatabaseSettings::save(ini, false, named, true);
            say(u"system.ini now uses the server"_s);
            return 0;
        }
        if (parser.isSet(server))
            DatabaseSettings::save(ini, false, named, true);

        AppContext context;
        context.ProgramDir = folder;
        Startup::readConfiguration(ini, context);
        const auto settings = Startup::mapConnection(context.DbKind, context.ConnectionText, folder);
        if (!settings) {
            say(u"system.ini names no database: "_s + context.ConnectionText);
            return 1;
        }
        auto db = Database::open(*settings);
        if (Schema::isInstalled(*db)) {
            // Held against the current shape: what is missing is built
            // in that shape, what is foreign refuses the shop.
            const int before = Schema::version(*db);
            const QStringList built = Schema::upgrade(*db);
            say(before == Schema::CurrentVersion
                    ? u"schema is up to date"_s
                    : u"schema upgraded from version %1 to %2"_s.arg(before).arg(Schema::CurrentVersion));
            if (!built.isEmpty())
                say(u"rebuilt in the current shape: "_s + built.join(u", "_s));
        } else {
            Schema::create(*db);
            say(u"schema created (version "_s + QString::number(Schema::CurrentVersion) + u')');
        }
        say(StarterShop::seed(*db) ? u"seeded a starter shop"_s
                                   : u"database already holds a shop; nothing seeded"_s);
    } catch (const DbError &error) {
        say(u"database error: "_s + error.text());
        return 1;
    } catch (const std::exception &error) {
        say(QString::fromLocal8Bit(error.what()));
        return 1;
    }
    return 0;
}
