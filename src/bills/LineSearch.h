#pragma once

#include "common/Money.h"
#include "lists/ListDescription.h"
#include "lists/ListFilter.h"
#include "report/ListReport.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

class Database;

// What the bill line window's search bar asks for: a column matching the
// value as the operator typed it ("%" and "_" are the operator's own
// wildcards; without one the whole value must match), and optionally the
// consumption times from one moment to another, both included. Also the
// settled-line lists the bill windows show.
struct LineSearch
{
    QString field;
    QString value;
    bool byTime = false;
    QDateTime from;
    QDateTime to;

    // A value of blanks only still asks for lines whose column is empty;
    // with neither a value nor the times, every settled line answers.
    ListFilter filter() const;

    // The lines consumed on that day, from midnight up to the next one.
    static ListFilter day(QDate day);
    // The lines of one bill, of every plate it covered.
    static ListFilter ofBill(const QString &billNumber);

    // The bill line window's list with its bar, and its print.
    static ListDescription list();
    static SearchBar bar();
    static ListReport report();
    // The bill detail's list.
    static ListDescription billList();

    static QStringList fields();

    // The money received on the day's bills, whatever their state; nothing
    // when the day has no bill.
    static std::optional<Money> takings(Database &database, QDate day);
};
