#pragma once

#include <QString>
#include <Qt>

// A line of text above or below the list: a title or a closing line. The
// text may hold [DATE], [TIME] and [SUM(column)].
struct ReportLine
{
    QString text;
    // 0 prints at the size of the list itself.
    qreal pointSize = 0;
    bool bold = false;
    Qt::Alignment alignment = Qt::AlignLeft;
};
