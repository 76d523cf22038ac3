#pragma once

#include "ConnectionSettings.h"

#include <QString>

// What differs between SQLite and PostgreSQL, answered in one place.
class Dialect
{
public:
    explicit Dialect(Backend backend) : m_backend(backend) {}

    Backend backend() const { return m_backend; }
    bool isPostgres() const { return m_backend == Backend::Postgres; }

    // Column types for the kinds of value the tables hold.
    QString identityKey() const;   // assigned integer primary key
    QString textType() const;      // text of any length
    QString moneyType() const;     // exact, four decimals
    QString numberType() const;    // quantities, factors, points
    QString integerType() const;
    QString booleanType() const;   // defaults to false
    QString timestampType() const;
    // The default for a registration date: the local time, whole seconds.
    QString nowDefault() const;

private:
    Backend m_backend;
};
