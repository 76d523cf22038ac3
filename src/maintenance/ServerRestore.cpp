#include "ServerRestore.h"

#include "common/Refusal.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "db/SettledTotals.h"
#include "db/Transaction.h"
#include "session/RightTable.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSqlQuery>
#include <QUuid>

using namespace Qt::StringLiterals;

namespace ServerRestore {

namespace {

struct Outcome
{
    bool ok = false;
    QString error; // what the program wrote on failure
};

Outcome runTool(const QStringList &arguments, const QProcessEnvironment &environment)
{
    const QString program = u"pg_restore"_s;
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForStarted())
        throw Refusal(u"无法运行 "_s + program + u"，请安装 postgresql-client 后再恢复。"_s);
    process.waitForFinished(-1);
    Outcome outcome;
    outcome.ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (!outcome.ok)
        outcome.error = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    return outcome;
}

QProcessEnvironment environmentFor(const ConnectionSettings &settings)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"PGPASSWORD"_s, settings.password);
    environment.insert(u"PGAPPNAME"_s, u"SalonDesk restore"_s);
    return environment;
}

QStringList connectionArguments(const ConnectionSettings &settings, const QString &database)
{
    QStringList arguments{u"--host"_s,     settings.host, u"--port"_s,
                          QString::number(settings.port), u"--username"_s, settings.user,
                          u"--no-password"_s, u"--no-owner"_s, u"--dbname"_s, database};
    if (!settings.schema.isEmpty())
        arguments << u"--schema"_s << settings.schema;
    return arguments;
}

QString detail(const QString &text)
{
    return text.isEmpty() ? QString() : u"（"_s + text + u"）"_s;
}

// A database of its own on the server for looking at the archive, dropped
// again however the restore ends. Dropping a database waits for a
// checkpoint, seconds on a busy server: it is left to the end.
class ScratchDatabase
{
public:
    explicit ScratchDatabase(Database &live)
        : m_live(live)
        , m_name(u"salondesk_check_"_s + QUuid::createUuid().toString(QUuid::Id128).left(16))
    {
        try {
            m_live.exec(u"create database "_s + m_name);
        } catch (const DbError &error) {
            throw Refusal(u"无法在服务器上建立检查备份用的临时数据库，没有恢复任何数据。登录用户需要"
                          "建立数据库的权限 (CREATEDB)。"_s
                          + detail(error.text()));
        }
    }
    ~ScratchDatabase()
    {
        try {
            m_live.exec(u"drop database if exists "_s + m_name + u" with (force)"_s);
        } catch (const DbError &) {
            // Left behind, it is only an unused copy of the archive; its
            // name says what it was.
        }
    }
    ScratchDatabase(const ScratchDatabase &) = delete;
    ScratchDatabase &operator=(const ScratchDatabase &) = delete;

    const QString &name() const { return m_name; }

private:
    Database &m_live;
    QString m_name;
};

// Refuses a file that is no pg_dump archive.
void checkListing(const ConnectionSettings &settings, const QString &archive)
{
    const Outcome listed = runTool({u"--list"_s, archive}, environmentFor(settings));
    if (!listed.ok) {
        throw Refusal(archive + u" 不是服务器数据备份（pg_dump 存档），不能恢复，服务器上的数据没有改动。"_s
                      + detail(listed.error));
    }
}

// Restores the archive into the scratch database and holds it against the
// catalogue there; refuses it with the reason.
void checkCopy(const ConnectionSettings &settings, const QString &archive, const QString &scratch)
{
    ConnectionSettings copySettings = settings;
    copySettings.database = scratch;
    QString reason;
    Outcome restored;
    {
        // Opening it makes the shop's schema, which pg_restore --schema
        // restores into but never creates.
        const auto copy = Database::open(copySettings);
        // Errors of single statements (a comment on a schema the login
        // does not own) are let pass here: the catalogue check decides,
        // and the real restore runs in one transaction that any error stops.
        restored = runTool(connectionArguments(settings, scratch) << archive,
                           environmentFor(settings));
        reason = Schema::check(*copy);
    }
    if (!reason.isEmpty()) {
        throw Refusal(archive + u" 不能恢复：备份中的数据库"_s + reason
                      + u"。服务器上的数据没有改动。"_s + detail(restored.error));
    }
}

// The sessions `waiter` waits for: program, address and since when.
QStringList holdersOf(Database &live, int waiter)
{
    QStringList holders;
    QSqlQuery query = live.exec(
        u"select pid, application_name, host(client_addr), backend_start from pg_stat_activity "
        "where pid = any(pg_blocking_pids(?)) order by backend_start"_s,
        {waiter});
    while (query.next()) {
        const QString name = query.value(1).toString();
        const QString address = query.value(2).toString();
        holders.append(u"%1（地址 %2，%3 起连接，进程 %4）"_s.arg(
            name.isEmpty() ? u"未具名的程序"_s : name,
            address.isEmpty() ? u"服务器本机"_s : address,
            query.value(3).toDateTime().toLocalTime().toString(u"yyyy-MM-dd hh:mm:ss"_s),
            query.value(0).toString()));
    }
    return holders;
}

struct Watched
{
    Outcome outcome;
    bool gaveUp = false;  // it waited for a lock too long and was cancelled
    QStringList holders;  // whom it waited for then
};

// The real restore, watched from the program's own connection: once its
// session has waited for a lock longer than `lockTimeout`, the holders are
// noted and the restore cancelled, which rolls its one transaction back.
// A lock_timeout setting cannot do it: pg_dump writes "SET lock_timeout =
// 0" at the head of every archive, and pg_restore runs it first.
Watched restoreWatched(Database &live, const ConnectionSettings &settings, const QString &archive,
                       std::chrono::milliseconds lockTimeout)
{
    const QString tag = u"SalonDesk restore "_s + QUuid::createUuid().toString(QUuid::Id128).left(8);
    QProcessEnvironment environment = environmentFor(settings);
    environment.insert(u"PGAPPNAME"_s, tag);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(u"pg_restore"_s, connectionArguments(settings, settings.database)
                                       << u"--clean"_s << u"--if-exists"_s
                                       << u"--single-transaction"_s << archive);
    if (!process.waitForStarted())
        throw Refusal(u"无法运行 pg_restore，请安装 postgresql-client 后再恢复。"_s);
    Watched watched;
    QElapsedTimer waiting;
    int waiter = 0;
    while (!process.waitForFinished(100)) {
        if (watched.gaveUp)
            continue;
        const QVariant pid = live.scalar(u"select pid from pg_stat_activity "
                                         "where application_name = ? and wait_event_type = 'Lock'"_s,
                                         {tag});
        if (pid.isNull() || pid.toInt() != waiter) {
            waiter = pid.isNull() ? 0 : pid.toInt();
            waiting.start();
            continue;
        }
        if (waiting.elapsed() < lockTimeout.count())
            continue;
        watched.holders = holdersOf(live, waiter);
        live.exec(u"select pg_cancel_backend(?)"_s, {waiter});
        watched.gaveUp = true;
    }
    watched.outcome.ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (!watched.outcome.ok)
        watched.outcome.error = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    return watched;
}

} // namespace

void restore(const Operator &who, const ConnectionSettings &settings, const QString &archive,
             std::chrono::milliseconds lockTimeout)
{
    RightTable::require(who, Guarded::Restore);
    std::unique_ptr<Database> live;
    try {
        live = Database::open(settings);
    } catch (const DbError &error) {
        throw Refusal(u"无法连接服务器上的数据库 "_s + settings.database + u"，没有恢复任何数据。"_s
                      + detail(error.text()));
    }
    checkListing(settings, archive);
    ScratchDatabase scratch(*live);
    checkCopy(settings, archive, scratch.name());

    const Watched restored = restoreWatched(*live, settings, archive, lockTimeout);
    if (restored.gaveUp) {
        const QString seconds = QString::number(double(lockTimeout.count()) / 1000.0);
        throw Refusal(u"服务器上的数据库 "_s + settings.database + u" 正被其他收银台使用，等了 "_s
                      + seconds + u" 秒仍不能恢复，数据没有改动。请让以下收银台退出本程序后再恢复：\n"_s
                      + (restored.holders.isEmpty() ? u"（已经退出）"_s
                                                    : restored.holders.join(u'\n')));
    }
    if (!restored.outcome.ok) {
        throw Refusal(u"恢复服务器上的数据库 "_s + settings.database + u" 失败，数据没有改动。"_s
                      + detail(restored.outcome.error));
    }
    // An archive of an older version is brought to this one at once, as
    // its copy was when it was checked.
    try {
        Schema::upgrade(*live);
        // The daily totals came with the archive; they are counted again
        // where they differ from its lines.
        Transaction transaction(*live);
        SettledTotals::mend(*live);
        transaction.commit();
    } catch (const DbError &error) {
        throw Refusal(u"数据已经恢复，但升级到本程序的版本失败："_s + error.text());
    }
}

} // namespace ServerRestore
