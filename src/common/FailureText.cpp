#include "FailureText.h"

#include <QList>
#include <QRegularExpression>
#include <QStringList>

#include <optional>

using namespace Qt::StringLiterals;

namespace FailureText {

namespace {

// One kind of refusal: the codes that name it, the words that give it away
// when no code came along, and what the operator is told. "%1" in the
// sentence takes the first name the pattern caught (a table, a server).
struct Rule
{
    QStringList codes;
    QRegularExpression pattern;
    QString sentence;
};

QRegularExpression words(const QString &pattern)
{
    return QRegularExpression(pattern, QRegularExpression::CaseInsensitiveOption);
}

const QString Settings = u"请在 系统维护 → 数据库设置 中核对"_s;
const QString Restore = u"请用 系统维护 → 数据恢复 换回最近的备份。"_s;
const QString DiskFull = u"磁盘空间已满，无法保存。请清理磁盘后再试。"_s;
const QString DiskError = u"读写磁盘时出错。请检查磁盘；若数据库文件已坏，"_s + Restore;

// The server's, libpq's and SQLite's refusals. SQLite's codes are its
// result codes, extended ones included; PostgreSQL's are SQLSTATEs.
const QList<Rule> &databaseRules()
{
    static const QList<Rule> rules{
        {{u"28P01"_s},
         words(u"password authentication failed|no password supplied|password.*(incorrect|wrong)"_s),
         u"数据库服务器拒绝登录：用户名或密码不对。"_s + Settings + u"用户名和密码。"_s},
        {{u"28000"_s},
         words(u"no pg_hba\\.conf entry|not permitted to log in|authentication failed"_s),
         u"数据库服务器不允许这台电脑或这个用户登录。请让管理员在服务器上开放这台电脑的连接。"_s},
        {{u"3D000"_s}, words(u"database \"([^\"]*)\" does not exist"_s),
         u"数据库服务器上没有名为 %1 的数据库。"_s + Settings + u"数据库名称。"_s},
        {{}, words(u"role \"([^\"]*)\" does not exist"_s),
         u"数据库服务器上没有用户 %1。"_s + Settings + u"用户名。"_s},
        {{},
         words(u"could not translate host name \"([^\"]*)\"|name or service not known|"
               "temporary failure in name resolution"_s),
         u"找不到数据库服务器 %1。"_s + Settings + u"服务器地址，并检查网络。"_s},
        {{u"57P01"_s, u"57P02"_s, u"57P03"_s},
         words(u"the database system is (starting up|shutting down|in recovery)|"
               "terminating connection due to administrator command"_s),
         u"数据库服务器正在启动或关闭，暂时不能使用。请稍后再试。"_s},
        {{u"53300"_s}, words(u"too many (clients|connections)|remaining connection slots"_s),
         u"数据库服务器的连接数已满。请关闭不用的收银台程序后再试，或请管理员调高服务器允许的连接数。"_s},
        {{u"08001"_s, u"08006"_s},
         words(u"connection refused|could not connect to server|no route to host|"
               "network is unreachable|connection timed out|timeout expired|"
               "server closed the connection"_s),
         u"连接不上数据库服务器。请检查服务器是否开机、数据库服务是否启动、网络是否通畅；"_s
             + Settings.mid(1) + u"服务器地址和端口。"_s},
        {{u"55P03"_s}, words(u"lock timeout|could not obtain lock"_s),
         u"要修改的数据正被另一台收银台使用，等候超时，本次操作已全部撤销。请稍后再试。"_s},
        {{u"40P01"_s, u"40001"_s}, words(u"deadlock detected|could not serialize access"_s),
         u"另一台收银台同时在修改同样的数据，本次操作已全部撤销。请再试一次。"_s},
        {{u"26"_s}, words(u"file is not a database|file is encrypted"_s),
         u"这个文件不是数据库，或者已经损坏。"_s + Settings + u"数据库文件，或"_s + Restore.mid(1)},
        {{u"11"_s}, words(u"database disk image is malformed"_s),
         u"数据库文件已经损坏。"_s + Restore},
        {{u"5"_s, u"6"_s, u"261"_s, u"517"_s},
         words(u"database is locked|database table is locked|database is busy"_s),
         u"数据库正被另一台收银台或另一个程序占用，等候超时，本次操作没有完成。请稍后再试。"_s},
        {{u"8"_s, u"1032"_s}, words(u"readonly database|read-only database"_s),
         u"数据库文件是只读的，无法保存。请检查数据库文件和它所在文件夹的写入权限。"_s},
        {{u"13"_s, u"53100"_s}, words(u"database or disk is full|could not extend file"_s), DiskFull},
        {{u"14"_s}, words(u"unable to open database file"_s),
         u"无法打开数据库文件。请检查文件是否存在，以及它所在的文件夹能否读写。"_s},
        {{u"10"_s}, words(u"disk I/O error"_s), DiskError},
        {{u"23505"_s, u"2067"_s, u"1555"_s},
         words(u"duplicate key value|unique constraint|is not unique"_s),
         u"要保存的内容与已有的记录重复（名称或编号已经存在），没有保存。请换一个后再保存。"_s},
        {{u"23502"_s, u"1299"_s}, words(u"null value in column|not null constraint"_s),
         u"有必须填写的内容是空的，没有保存。请填写完整后再保存。"_s},
        {{u"23503"_s, u"787"_s}, words(u"foreign key"_s),
         u"这条记录还在别处使用，或它引用的记录已经不在，没有保存。请刷新后再试。"_s},
        {{u"23514"_s, u"275"_s}, words(u"check constraint"_s),
         u"输入的内容不符合要求，没有保存。请检查输入的数值。"_s},
        {{u"42P01"_s}, words(u"relation \"([^\"]*)\" does not exist|no such table: (\\S+)"_s),
         u"数据库中缺少表 %1：数据库不是本程序的，或版本与程序不符。"_s + Settings
             + u"数据库，或请联系管理员。"_s},
        {{u"42703"_s}, words(u"column \"([^\"]*)\".* does not exist|no such column: (\\S+)"_s),
         u"数据库中缺少字段 %1：数据库的版本与程序不符。请联系管理员。"_s},
        {{u"22003"_s, u"22P02"_s}, words(u"out of range|invalid input syntax"_s),
         u"输入的数值超出了范围或格式不对，没有保存。请检查输入。"_s},
        {{u"42501"_s}, words(u"permission denied for"_s),
         u"数据库服务器上的这个用户没有这项操作的权限。请让管理员给这个用户授权。"_s},
    };
    return rules;
}

// The system's words for a file it would not read or write (strerror).
const QList<Rule> &systemRules()
{
    static const QList<Rule> rules{
        {{}, words(u"no such file or directory|not a directory"_s),
         u"文件或文件夹不存在。请检查路径是否正确，文件是否已被移走。"_s},
        {{}, words(u"permission denied|operation not permitted|access denied"_s),
         u"没有访问这个文件的权限。请换一个文件夹，或请管理员开放权限。"_s},
        {{}, words(u"no space left on device|disk quota exceeded"_s), DiskFull},
        {{}, words(u"read-only file system"_s),
         u"磁盘是只读的，无法写入。请换一个可以写入的位置。"_s},
        {{}, words(u"is a directory"_s), u"这是一个文件夹，不是文件。请选择一个文件。"_s},
        {{}, words(u"input/output error"_s), DiskError},
        {{}, words(u"file too large"_s), u"文件超过了系统允许的大小。请换一个位置或分成几次。"_s},
    };
    return rules;
}

QString fallback(Stage stage)
{
    switch (stage) {
    case Stage::Connecting:
        return u"无法连接数据库。"_s + Settings + u"连接设置，并确认数据库服务器或数据库文件可用。"_s;
    case Stage::File:
        return u"读写文件失败。请检查文件和它所在的文件夹后再试。"_s;
    case Stage::Statement:
        break;
    }
    return u"数据库拒绝了这次操作，没有保存。请检查输入后再试；若一再出现，请把原因告诉管理员。"_s;
}

std::optional<QString> sentenceOf(const QList<Rule> &rules, const QString &raw, const QString &code)
{
    for (const Rule &rule : rules) {
        QRegularExpressionMatch match;
        const bool byCode = !code.isEmpty() && rule.codes.contains(code);
        if (!byCode) {
            match = rule.pattern.match(raw);
            if (!match.hasMatch())
                continue;
        } else {
            match = rule.pattern.match(raw);
        }
        if (!rule.sentence.contains(u"%1"))
            return rule.sentence;
        QString name;
        for (int group = 1; group <= match.lastCapturedIndex() && name.isEmpty(); ++group)
            name = match.captured(group);
        QString sentence = rule.sentence;
        return name.isEmpty() ? sentence.replace(u" %1"_s, QString()) : sentence.arg(name);
    }
    return std::nullopt;
}

bool isChinese(const QString &text)
{
    static const QRegularExpression han(u"\\p{Han}"_s);
    return text.contains(han);
}

} // namespace

QString Explained::shown() const
{
    return withDetail(sentence, detail);
}

QString withDetail(const QString &sentence, const QString &detail)
{
    return detail.isEmpty() ? sentence : sentence + u"（"_s + detail + u"）"_s;
}

QString withoutConnectionText(const QString &text)
{
    // A run of key=value pairs in either form; two pairs or a password
    // make it a connection text.
    static const QRegularExpression oleDb(
        u"(?:\\b(?:provider|password|pwd|persist security info|user id|uid|initial catalog|"
        "data source|server|database)\\s*=\\s*(?:\"(?:[^\"]|\"\")*\"|'(?:[^']|'')*'|[^;]*)\\s*(?:;\\s*|$))+"_s,
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression libpq(
        u"(?:\\b(?:host|hostaddr|port|dbname|user|password|sslmode|sslpassword|connect_timeout|"
        "options|application_name|fallback_application_name|service)\\s*=\\s*"
        "(?:'(?:[^'\\\\]|\\\\.)*'|[^\\s;]+)\\s*)+"_s,
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression password(u"\\b(?:password|pwd|sslpassword)\\s*=\\s*"_s,
                                             QRegularExpression::CaseInsensitiveOption);
    QString out = text;
    for (const QRegularExpression *form : {&oleDb, &libpq}) {
        qsizetype from = 0;
        for (;;) {
            const QRegularExpressionMatch match = form->match(out, from);
            if (!match.hasMatch())
                break;
            const QString found = match.captured();
            const bool connection = found.contains(password) || found.count(u'=') >= 2;
            if (connection) {
                out.replace(match.capturedStart(), match.capturedLength(), u"（连接设置已略去）"_s);
                from = match.capturedStart() + 1;
            } else {
                from = match.capturedEnd();
            }
        }
    }
    // A password standing alone, in whatever form it came.
    static const QRegularExpression lone(u"\\b(password|pwd|sslpassword)\\s*=\\s*\\S+"_s,
                                         QRegularExpression::CaseInsensitiveOption);
    out.replace(lone, u"\\1=…"_s);
    return out;
}

Explained explain(const QString &raw, const QString &code, Stage stage)
{
    const QString detail = withoutConnectionText(raw).simplified();
    if (stage == Stage::File) {
        if (auto sentence = sentenceOf(systemRules(), detail, {}))
            return {*sentence, detail, true};
    }
    if (auto sentence = sentenceOf(databaseRules(), detail, code.trimmed()))
        return {*sentence, detail, true};
    if (auto sentence = sentenceOf(systemRules(), detail, {}))
        return {*sentence, detail, true};
    if (isChinese(detail) || detail.isEmpty())
        return {detail.isEmpty() ? fallback(stage) : detail, {}};
    return {fallback(stage), detail};
}

} // namespace FailureText
