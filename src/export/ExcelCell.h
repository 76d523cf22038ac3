#pragma once

#include <QDate>
#include <QString>
#include <QTime>
#include <QVariant>

// One value of a model on its way into a worksheet cell: what kind of cell
// it becomes and how wide it reads, so the column can be fitted to it.
struct ExcelCell
{
    enum class Kind { Empty, Number, Boolean, Date, DateTime, Time, Text };

    // `numericColumn` says that text in this column is an amount, as
    // PostgreSQL hands numeric values over as their exact text.
    static ExcelCell from(const QVariant &value, bool numericColumn);

    // Width in characters of a text; a wide (CJK) character counts two.
    static int displayWidth(QStringView text);

    Kind kind = Kind::Empty;
    double number = 0;
    bool boolean = false;
    QDate date;
    QTime time;
    QString text;
    // How many characters the cell shows, for fitting the column.
    int width = 0;
};
