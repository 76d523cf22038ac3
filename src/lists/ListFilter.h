#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>

// The conditions of one search of a list window. Every value is bound;
// quotes, "%", "_" and backslashes in it are ordinary characters.
struct ListFilter
{
    enum class Match {
        Equals,   // the whole column value
        Contains, // the value anywhere in the column
        Pattern,  // the value as typed, its "%" and "_" the operator's wildcards
        Differs,  // any other value; a row without a value is not listed
    };

    struct Condition
    {
        // A column of the list's table, as the operator or the window names it.
        QString column;
        Match match = Match::Equals;
        QVariant value;
    };

    // From `from` up to, not including, `until`.
    struct Range
    {
        QString column;
        QDateTime from;
        QDateTime until;
    };

    QList<Condition> conditions;
    QList<Range> ranges;

    bool isEmpty() const { return conditions.isEmpty() && ranges.isEmpty(); }

    // A chosen first and last day: the whole last day is included.
    static Range wholeDays(const QString &column, QDate first, QDate last)
    {
        return {column, first.startOfDay(), last.addDays(1).startOfDay()};
    }
    // A chosen first and last moment: up to and including the last one,
    // to the second.
    static Range upTo(const QString &column, const QDateTime &first, const QDateTime &last)
    {
        return {column, first, last.addSecs(1)};
    }
};
