#pragma once

#include <QString>
#include <Qt>

#include <utility>

// One column of a printed list: its heading and where its values come from,
// either a model column by number or a field by its header name.
struct ReportColumn
{
    ReportColumn() = default;
    // A column over the model field whose header is `field`.
    ReportColumn(QString heading, QString field, qreal width = 1,
                 Qt::Alignment alignment = Qt::AlignLeft, bool sum = false)
        : heading(std::move(heading)), field(std::move(field)), width(width),
          alignment(alignment), sum(sum)
    {
    }
    // A column over a model column by number.
    ReportColumn(QString heading, int modelColumn, qreal width = 1,
                 Qt::Alignment alignment = Qt::AlignLeft, bool sum = false)
        : heading(std::move(heading)), modelColumn(modelColumn), width(width),
          alignment(alignment), sum(sum)
    {
    }

    QString heading;
    // The model column; when negative, `field` names it by its header text.
    int modelColumn = -1;
    QString field;
    // Share of the page width, relative to the other columns.
    qreal width = 1;
    Qt::Alignment alignment = Qt::AlignLeft;
    // Print the column's total in the sums row below the list.
    bool sum = false;
    // Printed before every cell's text (not before the total), as the
    // receipt puts "/" before each number.
    QString prefix;
};
