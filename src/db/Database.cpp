#include "Database.h"

#include "common/DateFormat.h"
#include "common/Money.h"

#include <QAtomicInt>
#include <QDateTime>
#include <QSqlDriver>
#include <QSqlError>

using namespace Qt::StringLiterals;

namespace {

QAtomicInt connectionCounter;

QString errorText(const QSqlError &error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.driverText().trimmed();
    if (text.isEmpty())
        text = error.text().trimmed();
    return text;
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
            db.setConnectOptions(u"connect_timeout=10"_s);
        } else {
            db.setDatabaseName(settings.filePath);
            db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=5000"_s);
        }
        if (!db.open())
            throw DbError(errorText(db.lastError()));
    }
    if (postgres) {
        database->exec(u"set client_min_messages = warning"_s);
        if (!settings.schema.isEmpty()) {
            const QString schema = database->handle().driver()->escapeIdentifier(
                settings.schema, QSqlDriver::TableName);
            database->exec(u"create schema if not exists "_s + schema);
            database->exec(u"set search_path to "_s + schema);
        }
    } else {
        database->exec(u"pragma journal_mode = wal"_s);
        database->exec(u"pragma synchronous = full"_s);
        database->exec(u"pragma foreign_keys = off"_s);
    }
    return database;
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

QSqlQuery Database::exec(const QString &sql, const QVariantList &values)
{
    QSqlQuery query = newQuery();
    bool ok = false;
    if (values.isEmpty()) {
        ok = query.exec(sql);
    } else {
        if (!query.prepare(sql))
            throw DbError(errorText(query.lastError()));
        for (const QVariant &value : values)
            query.addBindValue(boundValue(value));
        ok = query.exec();
    }
    if (!ok)
        throw DbError(errorText(query.lastError()));
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

void Database::begin()
{
    if (m_transactionDepth++ > 0)
        return;
    if (!handle().transaction())
        throw DbError(errorText(handle().lastError()));
}

void Database::commit()
{
    if (m_transactionDepth == 0)
        return;
    if (--m_transactionDepth > 0)
        return;
    if (!handle().commit()) {
        const QString text = errorText(handle().lastError());
        handle().rollback();
        throw DbError(text);
    }
}

void Database::rollback()
{
    if (m_transactionDepth == 0)
        return;
    m_transactionDepth = 0;
    handle().rollback();
}
