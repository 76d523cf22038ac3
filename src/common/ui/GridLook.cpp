#include "GridLook.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QTableView>

namespace {

// Rows measured when a column fits its contents; past this many the
// widths come from a sample, and a list of 100,000 rows opens at once.
constexpr int MeasuredRows = 200;

} // namespace

namespace GridLook {

void setUp(QTableView *view)
{
    QHeaderView *columns = view->horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::ResizeToContents);
    columns->setResizeContentsPrecision(MeasuredRows);
    columns->setStretchLastSection(true);
    // An empty grid still shows columns wide enough to aim at.
    columns->setMinimumSectionSize(view->fontMetrics().horizontalAdvance(QStringLiteral("0000000")));
    QHeaderView *rows = view->verticalHeader();
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(view->fontMetrics().height() + 8);
    rows->setSectionResizeMode(QHeaderView::Fixed);
}

} // namespace GridLook
