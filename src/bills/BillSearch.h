#pragma once

#include "lists/ListDescription.h"
#include "lists/ListFilter.h"
#include "report/ListReport.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

// What the bill query's bar asks for: a text column holding a value, the
// checkout times from one moment to another (both included, to the second),
// and optionally one payment method and one bill state. Also the bill list
// itself, as the window shows, prints and exports it.
struct BillSearch
{
    QString field;
    QString value;
    QDateTime from;
    QDateTime to;
    // Empty while the check box beside it is not ticked.
    QString method;
    QString state;

    // The conditions: a value is looked for anywhere in the field, as
    // ordinary text; without a field or a value it counts for nothing.
    // Bills numbered "linshi" never answer a search.
    ListFilter filter() const;

    // Every bill, latest checkout first, with the bar that searches them.
    static ListDescription list();
    static SearchBar bar();
    // 打印: one line per bill and the totals due and received.
    static ListReport report();

    // The entries of the field box, the payment method and the state lists.
    static QStringList fields();
    static QStringList paymentMethods();
    static QStringList states();
};
