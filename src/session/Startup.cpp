#include "Startup.h"

#include "IniFile.h"
#include "db/Database.h"
#include "db/Schema.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QHash>
#include <QSqlRecord>

#include <optional>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// "Provider=…;Data Source=data.db;Password=\"pa;ss\"" → lower-cased keys and
// their values, read the way OLE DB reads them: a value that starts with a
// quote runs to the matching quote, a doubled quote inside being one quote
// character; other values run to the next ";" and lose surrounding blanks.
// "==" in a key is an "=" of the key. A piece without "=" is skipped, and a
// later key wins over an earlier one.
QHash<QString, QString> connectionParts(const QString &text)
{
    QHash<QString, QString> parts;
    const qsizetype size = text.size();
    qsizetype i = 0;
    while (i < size) {
        QString key;
        bool hasValue = false;
        for (; i < size; ++i) {
            const QChar c = text.at(i);
            if (c == u';')
                break;
            if (c == u'=') {
                if (i + 1 < size && text.at(i + 1) == u'=') {
                    key += u'=';
                    ++i;
                    continue;
                }
                hasValue = true;
                ++i;
                break;
            }
            key += c;
        }
        if (!hasValue) {
            ++i; // past the ";" of a piece that is no key=value
            continue;
        }
        while (i < size && isBlank(text.at(i)))
            ++i;
        QString value;
        bool quoted = false;
        if (i < size && (text.at(i) == u'"' || text.at(i) == u'\'')) {
            const QChar quote = text.at(i);
            QString inside;
            qsizetype j = i + 1;
            for (; j < size; ++j) {
                if (text.at(j) != quote) {
                    inside += text.at(j);
                } else if (j + 1 < size && text.at(j + 1) == quote) {
                    inside += quote;
                    ++j;
                } else {
                    break;
                }
            }
            // Without its closing quote the quote is an ordinary character.
            if (j < size) {
                quoted = true;
                value = inside;
                i = j + 1;
                while (i < size && text.at(i) != u';')
                    ++i;
            }
        }
        if (!quoted) {
            const qsizetype end = text.indexOf(u';', i);
            value = text.mid(i, end < 0 ? -1 : end - i).trimmed();
            i = end < 0 ? size : end;
        }
        ++i; // past the ";"
        const QString name = key.trimmed().toLower();
        if (!name.isEmpty())
            parts.insert(name, value);
    }
    return parts;
}

bool needsQuotes(const QString &value)
{
    if (value.isEmpty())
        return false;
    return value.contains(u';') || value.contains(u'"') || value.contains(u'\'')
        || value.front().isSpace() || value.back().isSpace();
}

} // namespace

namespace Startup {

void readConfiguration(const IniFile &ini, AppContext &context)
{
    context.SoftName = ini.read(u"tarvik"_s, u"softname"_s);
    context.AboutMemo = ini.read(u"tarvik"_s, u"memo"_s);
    context.TelText = ini.read(u"tarvik"_s, u"tel"_s);
    context.WebText = ini.read(u"tarvik"_s, u"web"_s);
    context.CompanyText = ini.read(u"TARVIK"_s, u"Company"_s);
    context.ReceiptPreview = ini.read(u"PosPrt"_s, u"CheckOutPrtPreview"_s);
    context.ReceiptPort = ini.read(u"PosPrt"_s, u"port"_s);
    context.DbKind = ini.read(u"part1"_s, u"abc"_s);
    // Only the exact lower-case "s" selects the server.
    context.ConnectionText = context.DbKind == u"s" ? ini.read(u"part1"_s, u"cs"_s)
                                                    : ini.read(u"part1"_s, u"csaccess"_s);
}

QString connectionText(const QList<std::pair<QString, QString>> &parts)
{
    QString text;
    for (const auto &[key, value] : parts) {
        text += QString(key).replace(u'=', u"=="_s) + u'=';
        if (!needsQuotes(value)) {
            text += value;
        } else if (value.contains(u'"') && !value.contains(u'\'')) {
            text += u'\'' + value + u'\'';
        } else {
            text += u'"' + QString(value).replace(u'"', u"\"\""_s) + u'"';
        }
        text += u';';
    }
    return text;
}

std::optional<ConnectionSettings> mapConnection(const QString &dbKind, const QString &connectionText,
                                                const QString &programDir)
{
    const QHash<QString, QString> parts = connectionParts(connectionText);
    const QString source = parts.value(u"data source"_s);
    if (source.isEmpty())
        return std::nullopt;
    ConnectionSettings settings;
    if (dbKind != u"s") {
        settings.backend = Backend::Sqlite;
        settings.filePath = QDir(programDir).absoluteFilePath(source);
        return settings;
    }
    settings.backend = Backend::Postgres;
    QString host = source;
    const qsizetype separator = host.lastIndexOf(QRegularExpression(u"[,:]"_s));
    if (separator > 0) {
        bool ok = false;
        const int port = host.mid(separator + 1).toInt(&ok);
        if (ok) {
            settings.port = port;
            host = host.left(separator);
        }
    }
    settings.host = host;
    settings.database = parts.value(u"initial catalog"_s);
    settings.user = parts.value(u"user id"_s);
    settings.password = parts.value(u"password"_s);
    return settings;
}

Opened openDatabase(const AppContext &context, IniFile &ini)
{
    Opened opened;
    try {
        const auto settings = mapConnection(context.DbKind, context.ConnectionText, context.ProgramDir);
        opened.connectionFailed = true;
        // The connection text is not repeated: the server's holds its password.
        if (!settings)
            throw DbError(u"system.ini 中没有数据库的连接设置。请在 系统维护 → 数据库设置 中重新设置。"_s);
        if (settings->backend == Backend::Sqlite && !QFileInfo::exists(settings->filePath))
            throw DbError(u"数据库文件 %1 不存在。请在 系统维护 → 数据库设置 中选择数据库文件，"
                          "或用 数据恢复 换回备份。"_s.arg(settings->filePath));
        try {
            opened.database = Database::open(*settings);
        } catch (const DbError &error) {
            if (settings->backend == Backend::Sqlite) {
                throw DbError(u"无法打开数据库文件 "_s + settings->filePath + u"："_s + error.sentence(),
                              error.detail());
            }
            throw;
        }
        opened.connectionFailed = false;
        Schema::upgrade(*opened.database);
    } catch (const DbError &error) {
        opened.database.reset();
        opened.error = error.text();
        // Only an unreachable server sends the next start to the embedded
        // database; a server that answered keeps its setting, so that the
        // shop is not silently swapped for another one.
        if (opened.connectionFailed && context.DbKind == u"s") {
            try {
                ini.write(u"part1"_s, u"abc"_s, u"a"_s);
            } catch (const std::runtime_error &) {
                // The connection error is what the user needs to see first.
            }
        }
    }
    return opened;
}

void readShop(Database &database, AppContext &context)
{
    const QSqlRecord row = database.firstRow(u"select * from sysinfo"_s);
    context.ShopName = row.value(u"name"_s).toString();
    context.ShopTel = row.value(u"tel"_s).toString();
    context.ShopAddress = row.value(u"add"_s).toString();
}

} // namespace Startup
