#include "Database.h"

#include "common/DateFormat.h"
#include "common/Money.h"
#include "SqliteWait.h"

#include <QAtomicInt>
#include <QCryptographicHash>
#include <QDateTime>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSysInfo>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

QAtomicInt connectionCounter;

const QString LostText = u"与数据库的连接已断开，已重新连接，请重新操作。"_s;
// The commit may or may not have reached the server before the line broke.
const QString LostAtCommitText =
    u"与数据库的连接已断开，无法确定刚才的操作是否已保存，已重新连接，请查看后再操作。"_s;
const QString RollbackOnlyText = u"操作未完成，已全部撤销。"_s;
const QString ControlCharacterText = u"输入内容中含有不可用的控制字符"_s;

// The database's words for a refused statement, as a detail to the
// sentence the operator reads. PostgreSQL's message goes
// on with "LINE 1: …" (the statement, which Qt's driver sends with every
// bound value written into it), DETAIL lines quoting key values and the
// error code; only the first line stays, without its severity word, its
// "at or near" fragment and any bound value it quotes.
QString statementErrorText(const QSqlError &error, const QVariantList &bound)
{
    QString text = error.databaseText();
    const qsizetype lineEnd = text.indexOf(u'\n');
    if (lineEnd >= 0)
        text.truncate(lineEnd);
    static const QRegularExpression severity(u"^[^\\s:]+:  "_s);
    static const QRegularExpression nearFragment(u"\\s+at or near \".*\"$"_s);
    text.remove(severity);
    text.remove(nearFragment);
    for (const QVariant &value : bound) {
        if (value.isNull())
            continue;
        const QString valueText = value.toString();
        if (!valueText.isEmpty())
            text.replace(u'"' + valueText + u'"', u"\"…\""_s);
    }
    text = text.trimmed();
    // Qt's own words otherwise: they never quote the statement.
    return text.isEmpty() ? error.driverText().trimmed() : text;
}

// Opening errors keep every line: libpq explains there why it could not
// connect, and there is no statement to hide.
FailureText::Explained connectionErrorText(const QSqlError &error)
{
    QString text = error.databaseText().simplified();
    if (text.isEmpty())
        text = error.driverText().simplified();
    return FailureText::explain(text, error.nativeErrorCode(), FailureText::Stage::Connecting);
}

QVariant boundValue(const QVariant &value)
{
    if (value.typeId() == qMetaTypeId<Money>())
        return value.value<Money>().toString();
    if (value.typeId() == QMetaType::QDateTime)
        return DateFormat::dateTimeText(value.toDateTime());
    if (value.typeId() == QMetaType::QDate)
        return DateFormat::dateText(value.toDate());
    return value;
}

bool hasControlCharacter(const QVariant &value)
{
    if (value.typeId() != QMetaType::QString)
        return false;
    const QString text = value.toString();
    // C0 (but tab and line breaks), DEL and C1: none can be typed or shown;
    // they come with pasted or imported text and would be stored unseen.
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) {
        const char16_t code = c.unicode();
        if (code == u'\t' || code == u'\n' || code == u'\r')
            return false;
        return code < 0x20 || (code >= 0x7F && code <= 0x9F);
    });
}

// "SalonDesk@<this computer>", in the letters libpq and the server keep.
QString applicationName()
{
    QString host = QSysInfo::machineHostName();
    host.removeIf([](QChar c) {
        return !(c.isLetterOrNumber() && c.unicode() < 0x80) && c != u'-' && c != u'.' && c != u'_';
    });
    return QString(u"SalonDesk@"_s + host).left(63);
}

QString savepointName(int level)
{
    return u"s"_s + QString::number(level);
}

} // namespace

Database::Database(ConnectionSettings settings, QString connectionName)
    : m_settings(std::move(settings))
    , m_dialect(m_settings.backend)
    , m_connectionName(std::move(connectionName))
{
}

Database::~Database()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

void Database::close()
{
    QSqlDatabase db = handle();
    if (db.isOpen())
        db.close();
    m_transactionDepth = 0;
    m_spoiledLevel = 0;
    m_pendingChanges = {};
    m_closed = true;
}

void Database::reopenIfClosed()
{
    if (!m_closed)
        return;
    m_closed = false;
    connect();
}

std::unique_ptr<Database> Database::open(const ConnectionSettings &settings)
{
    const QString name = u"salondesk-"_s + QString::number(connectionCounter.fetchAndAddRelaxed(1));
    const bool postgres = settings.backend == Backend::Postgres;
    std::unique_ptr<Database> database(new Database(settings, name));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(postgres ? u"QPSQL"_s : u"QSQLITE"_s, name);
        if (!db.isValid())
            throw DbError(u"没有可用的数据库驱动"_s);
        if (postgres) {
            db.setHostName(settings.host);
            db.setPort(settings.port);
            db.setDatabaseName(settings.database);
            db.setUserName(settings.user);
            db.setPassword(settings.password);
            // The server names each session by it (pg_stat_activity), so a
            // restore that waits on another workstation can say which one.
            // A fallback: PGAPPNAME, where an administrator set one, wins.
            db.setConnectOptions(u"connect_timeout=10;fallback_application_name="_s
                                 + applicationName());
        } else {
            db.setDatabaseName(settings.filePath);
            // SqliteWait replaces the waiting once the file is open; the
            // time-out stays for a driver that does not hand out its handle.
            db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=5000"_s);
        }
    }
    database->connect();
    return database;
}

void Database::connect()
{
    {
        QSqlDatabase db = handle();
        if (!db.open())
            throw DbError(connectionErrorText(db.lastError()));
        SqliteWait::install(db);
    }
    // Session settings are per connection: a reconnect sets them again.
    m_connecting = true;
    try {
        if (m_dialect.isPostgres()) {
            exec(u"set client_min_messages = warning"_s);
            if (!m_settings.schema.isEmpty()) {
                const QString schema = handle().driver()->escapeIdentifier(
                    m_settings.schema, QSqlDriver::TableName);
                exec(u"create schema if not exists "_s + schema);
                exec(u"set search_path to "_s + schema);
            }
        } else {
            // The journal mode is kept in the file itself; Schema sets it on
            // the program's own databases only.
            exec(u"pragma synchronous = full"_s);
            exec(u"pragma foreign_keys = off"_s);
        }
    } catch (...) {
        m_connecting = false;
        throw;
    }
    m_connecting = false;
    // A connection opened anew listens to nothing. Should the server refuse,
    // the feed's safety net still brings the other workstations' changes.
    listenToOthers();
}

QString Database::displayName() const
{
    if (!m_dialect.isPostgres())
        return u"数据库文件 "_s + m_settings.filePath;
    QString name = u"服务器 "_s + m_settings.host;
    if (m_settings.port != 5432)
        name += u':' + QString::number(m_settings.port);
    name += u" 上的数据库 "_s + m_settings.database;
    if (!m_settings.schema.isEmpty())
        name += u'.' + m_settings.schema;
    return name;
}

QSqlDatabase Database::handle() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

QSqlQuery Database::newQuery() const
{
    QSqlQuery query(handle());
    query.setForwardOnly(true);
    // PostgreSQL numerics arrive as their exact text instead of a double.
    if (m_dialect.isPostgres())
        query.setNumericalPrecisionPolicy(QSql::HighPrecision);
    return query;
}

bool Database::connectionLost(const QSqlError &error)
{
    if (!handle().isOpen())
        return true;
    if (!m_dialect.isPostgres())
        return false;
    // Connection exceptions, and the server shutting the session down.
    const QString code = error.nativeErrorCode();
    if (code.startsWith(u"08"_s) || code == u"57P01" || code == u"57P02" || code == u"57P03")
        return true;
    if (!code.isEmpty())
        return false;
    // No code at all: libpq could not even talk to the server. Ask once; in
    // a transaction that an earlier error broke, the server still answers,
    // with "transaction aborted".
    QSqlQuery probe(handle());
    if (probe.exec(u"select 1"_s))
        return false;
    return !handle().isOpen() || probe.lastError().nativeErrorCode() != u"25P02";
}

void Database::fail(const QSqlError &error, const QVariantList &bound, const QString &lostText)
{
    if (!m_connecting && connectionLost(error)) {
        // Whatever transaction there was ended with the connection.
        m_transactionDepth = 0;
        m_spoiledLevel = 0;
        m_pendingChanges = {};
        handle().close();
        try {
            connect();
        } catch (const DbError &reconnect) {
            throw DbError(u"与数据库的连接已断开，重新连接没有成功，请检查网络和数据库服务器后再操作。"_s
                              + reconnect.sentence(),
                          reconnect.detail());
        }
        throw DbError(lostText.isEmpty() ? LostText : lostText);
    }
    // PostgreSQL refuses everything after a failed statement until the
    // transaction ends; SQLite would go on. Both end the same way: the
    // operation does not commit.
    if (m_transactionDepth > 0)
        spoil(m_transactionDepth);
    // The server's words become a sentence of what happened and what to
    // do (another workstation holding the rows, a duplicate name), with
    // them as the detail.
    throw DbError(FailureText::explain(statementErrorText(error, bound), error.nativeErrorCode()));
}

QVariantList Database::boundValues(const QVariantList &values)
{
    QVariantList bound;
    bound.reserve(values.size());
    for (const QVariant &value : values) {
        bound.append(boundValue(value));
        if (hasControlCharacter(bound.constLast()))
            throw DbError(ControlCharacterText);
    }
    return bound;
}

QSqlQuery Database::prepare(const QString &sql)
{
    reopenIfClosed();
    QSqlQuery query = newQuery();
    if (!query.prepare(sql))
        fail(query.lastError(), {});
    return query;
}

void Database::run(QSqlQuery &query, const QVariantList &values)
{
    const QVariantList bound = boundValues(values);
    for (qsizetype i = 0; i < bound.size(); ++i)
        query.bindValue(int(i), bound.at(i));
    if (!query.exec())
        fail(query.lastError(), bound);
}

QSqlQuery Database::exec(const QString &sql, const QVariantList &values)
{
    if (!values.isEmpty()) {
        QSqlQuery query = prepare(sql);
        run(query, values);
        return query;
    }
    reopenIfClosed();
    QSqlQuery query = newQuery();
    if (!query.exec(sql))
        fail(query.lastError(), {});
    return query;
}

int Database::execute(const QString &sql, const QVariantList &values)
{
    QSqlQuery query = exec(sql, values);
    return query.numRowsAffected();
}

QVariant Database::scalar(const QString &sql, const QVariantList &values)
{
    QSqlQuery query = exec(sql, values);
    return query.next() ? query.value(0) : QVariant();
}

QSqlRecord Database::firstRow(const QString &sql, const QVariantList &values)
{
    QSqlQuery query = exec(sql, values);
    return query.next() ? query.record() : QSqlRecord();
}

QStringList Database::strings(const QString &sql, const QVariantList &values)
{
    QStringList texts;
    QSqlQuery query = exec(sql, values);
    while (query.next())
        texts.append(query.value(0).toString());
    return texts;
}

bool Database::exists(const QString &sql, const QVariantList &values)
{
    QSqlQuery query = exec(sql, values);
    return query.next();
}

bool Database::hasTable(const QString &table)
{
    if (m_dialect.isPostgres()) {
        return exists(u"select 1 from information_schema.tables "
                      "where table_schema = current_schema() and table_name = ?"_s,
                      {table});
    }
    return exists(u"select 1 from sqlite_master where type = 'table' and name = ?"_s, {table});
}

QStringList Database::columns(const QString &table)
{
    QStringList names;
    if (m_dialect.isPostgres()) {
        QSqlQuery query = exec(u"select column_name from information_schema.columns "
                               "where table_schema = current_schema() and table_name = ? "
                               "order by ordinal_position"_s,
                               {table});
        while (query.next())
            names.append(query.value(0).toString());
    } else {
        QSqlQuery query = exec(u"select name from pragma_table_info(?)"_s, {table});
        while (query.next())
            names.append(query.value(0).toString());
    }
    return names;
}

bool Database::hasColumn(const QString &table, const QString &column)
{
    const QStringList names = columns(table);
    return names.contains(column, Qt::CaseInsensitive);
}

bool Database::runControl(const QString &sql, QSqlError *error)
{
    QSqlQuery query(handle());
    if (query.exec(sql))
        return true;
    if (error)
        *error = query.lastError();
    return false;
}

void Database::begin(Access access)
{
    reopenIfClosed();
    if (m_transactionDepth == 0) {
        // SQLite's plain BEGIN takes no lock until the first statement, and
        // a transaction that read first is refused at once ("database is
        // locked") when it then writes while another workstation writes:
        // the busy time-out cannot help it. IMMEDIATE takes the write lock
        // here, waiting under the time-out. PostgreSQL locks rows as they
        // are written or locked (RowLocks); a read transaction there sees
        // one snapshot throughout.
        const bool postgres = m_dialect.isPostgres();
        const QString statement = access == Access::Read
            ? (postgres ? u"begin transaction isolation level repeatable read, read only"_s
                        : u"begin deferred"_s)
            : (postgres ? u"begin"_s : u"begin immediate"_s);
        // Counted only once the server has started it: a failed BEGIN
        // leaves nothing open for a later commit to find.
        QSqlError error;
        if (!runControl(statement, &error))
            fail(error, {});
        m_spoiledLevel = 0;
        m_lockRank = 0;
        m_access = access;
        m_transactionDepth = 1;
        return;
    }
    if (access == Access::Write && m_access == Access::Read)
        throw DbError(u"只读事务中不能写入数据，操作已取消。"_s);
    QSqlError error;
    if (!runControl(u"savepoint "_s + savepointName(m_transactionDepth), &error))
        fail(error, {});
    ++m_transactionDepth;
}

void Database::commit()
{
    if (m_transactionDepth == 0)
        throw DbError(u"没有正在进行的事务，无法提交。"_s);
    if (m_transactionDepth > 1) {
        const QString savepoint = savepointName(m_transactionDepth - 1);
        QSqlError error;
        if (!runControl(u"release savepoint "_s + savepoint, &error)) {
            rollback();
            fail(error, {});
        }
        // A failure inside the released level now spoils the one around it.
        if (m_spoiledLevel >= m_transactionDepth)
            m_spoiledLevel = m_transactionDepth - 1;
        --m_transactionDepth;
        return;
    }
    if (m_spoiledLevel != 0) {
        rollback();
        throw DbError(RollbackOnlyText);
    }
    // Inside the transaction: the server delivers it with the commit and
    // drops it with a rollback, so no workstation hears of what never was.
    if (m_pendingChanges && m_dialect.isPostgres()) {
        QSqlError error;
        if (!notifyOthers(m_pendingChanges, &error)) {
            rollback();
            fail(error, {});
        }
    }
    if (!handle().commit()) {
        const QSqlError error = handle().lastError();
        rollback();
        fail(error, {}, LostAtCommitText);
    }
    m_transactionDepth = 0;
    handOnChanges(std::exchange(m_pendingChanges, {}));
}

void Database::rollback()
{
    if (m_transactionDepth == 0)
        return;
    if (m_transactionDepth > 1) {
        const QString savepoint = savepointName(m_transactionDepth - 1);
        // A failure here means the connection is gone; the next statement
        // finds that out and opens it again.
        runControl(u"rollback to savepoint "_s + savepoint, nullptr);
        runControl(u"release savepoint "_s + savepoint, nullptr);
        --m_transactionDepth;
        spoil(m_transactionDepth);
        return;
    }
    m_transactionDepth = 0;
    m_spoiledLevel = 0;
    m_pendingChanges = {};
    if (handle().isOpen())
        handle().rollback();
}

void Database::announce(Changes changes)
{
    if (m_transactionDepth > 0) {
        m_pendingChanges |= changes;
        return;
    }
    // The statement has committed: a NOTIFY that fails now cannot take it
    // back, and saying that the operation failed would be wrong. The next
    // statement finds a lost connection; the other workstations' safety
    // net brings the change a little later.
    if (changes && m_dialect.isPostgres() && !m_closed)
        notifyOthers(changes, nullptr);
    handOnChanges(changes);
}

bool Database::notifyOthers(Changes changes, QSqlError *error)
{
    QSqlQuery query(handle());
    if (query.prepare(u"select pg_notify(?, ?)"_s)) {
        query.addBindValue(changeChannel());
        query.addBindValue(QString::number(changes.toInt()));
        if (query.exec())
            return true;
    }
    if (error)
        *error = query.lastError();
    return false;
}

QString Database::changeChannel() const
{
    if (!m_dialect.isPostgres())
        return {};
    // A channel is an identifier of at most 63 bytes, and Qt reads the
    // names the server sends back as Latin-1: any other schema name goes
    // in as its hash.
    static const QRegularExpression plain(u"^[A-Za-z0-9_]{0,53}$"_s);
    const QString &schema = m_settings.schema;
    if (schema.isEmpty())
        return u"salondesk"_s;
    if (plain.match(schema).hasMatch())
        return u"salondesk_"_s + schema;
    return u"salondesk_"_s
        + QString::fromLatin1(
               QCryptographicHash::hash(schema.toUtf8(), QCryptographicHash::Sha1).toHex());
}

bool Database::setOthersListener(std::function<void(Changes)> listener)
{
    const bool listened = bool(m_othersListener);
    m_othersListener = std::move(listener);
    if (!m_dialect.isPostgres())
        return true;
    QSqlDriver *driver = handle().driver();
    if (!m_othersListener) {
        if (listened && driver->subscribedToNotifications().contains(changeChannel()))
            driver->unsubscribeFromNotification(changeChannel());
        return true;
    }
    if (!m_notified) {
        // The driver stays the same across reopening, and goes with the
        // connection in the destructor.
        m_notified = QObject::connect(
            driver, &QSqlDriver::notification, driver,
            [this](const QString &channel, QSqlDriver::NotificationSource source,
                   const QVariant &payload) {
                othersNotified(channel, source == QSqlDriver::OtherSource, payload);
            });
    }
    reopenIfClosed();
    return listenToOthers();
}

bool Database::listenToOthers()
{
    if (!m_othersListener || !m_dialect.isPostgres())
        return true;
    return handle().driver()->subscribeToNotification(changeChannel());
}

void Database::othersNotified(const QString &channel, bool fromOthers, const QVariant &payload)
{
    // What this connection committed itself was handed on at its commit.
    if (!fromOthers || channel != changeChannel() || !m_othersListener)
        return;
    bool known = false;
    Changes changes = Changes::fromInt(payload.toString().toUInt(&known)) & EveryChange;
    // A payload from a later version of the program: anything may have changed.
    if (!known || !changes)
        changes = EveryChange;
    m_othersListener(changes);
}

void Database::handOnChanges(Changes changes)
{
    if (changes && m_committedListener)
        m_committedListener(changes);
}

void Database::rollbackSavepoint()
{
    if (m_transactionDepth < 2)
        throw DbError(u"没有可以撤销的内层事务。"_s);
    const QString savepoint = savepointName(m_transactionDepth - 1);
    QSqlError error;
    // PostgreSQL accepts these even after a failed statement: rolling back
    // to the savepoint is what ends the failed state.
    if (!runControl(u"rollback to savepoint "_s + savepoint, &error)
        || !runControl(u"release savepoint "_s + savepoint, &error)) {
        rollback();
        fail(error, {});
    }
    if (m_spoiledLevel >= m_transactionDepth)
        m_spoiledLevel = 0;
    --m_transactionDepth;
}

void Database::spoil(int level)
{
    if (m_spoiledLevel == 0 || level < m_spoiledLevel)
        m_spoiledLevel = level;
}
