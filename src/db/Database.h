#pragma once

#include "ConnectionSettings.h"
#include "DbError.h"
#include "Dialect.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QVariant>

#include <memory>

// The program's connection to its database. Every statement goes through
// here with its values bound, never pasted into the text; a refused
// statement throws DbError carrying the database's own message.
//
// Values: Money binds as its exact text, QDateTime as "yyyy-MM-dd hh:mm:ss",
// everything else as it is; a null QVariant is NULL.
class Database
{
public:
    // Opens the connection or throws DbError with the driver's text.
    static std::unique_ptr<Database> open(const ConnectionSettings &settings);
    ~Database();

    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    const ConnectionSettings &settings() const { return m_settings; }
    const Dialect &dialect() const { return m_dialect; }
    Backend backend() const { return m_settings.backend; }

    // Runs a statement and returns the positioned-before-first query.
    QSqlQuery exec(const QString &sql, const QVariantList &values = {});
    // Runs a statement that writes; returns the number of rows it changed.
    int execute(const QString &sql, const QVariantList &values = {});
    // First column of the first row, or a null QVariant when there is no row.
    QVariant scalar(const QString &sql, const QVariantList &values = {});
    // The first row, or an empty record when there is none.
    QSqlRecord firstRow(const QString &sql, const QVariantList &values = {});
    // The first column of every row, as text.
    QStringList strings(const QString &sql, const QVariantList &values = {});
    // Whether the statement returns at least one row.
    bool exists(const QString &sql, const QVariantList &values = {});

    bool hasTable(const QString &table);
    // The table's columns as the database names them, in order.
    QStringList columns(const QString &table);
    bool hasColumn(const QString &table, const QString &column);

    void begin();
    void commit();
    void rollback();
    bool inTransaction() const { return m_transactionDepth > 0; }

    QSqlDatabase handle() const;

private:
    Database(ConnectionSettings settings, QString connectionName);
    QSqlQuery newQuery() const;

    ConnectionSettings m_settings;
    Dialect m_dialect;
    QString m_connectionName;
    int m_transactionDepth = 0;
};
