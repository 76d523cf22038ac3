#pragma once

#include <QList>

// How a list falls onto pages. Every page has the column headings and a
// page number; the titles open the first page; the sums row and closing
// lines follow the last row, on a page of their own if they do not fit.
namespace ReportPagination {

struct Heights
{
    qreal page = 0;      // the printable height
    qreal titles = 0;    // all title lines with the space below them
    qreal headings = 0;
    qreal row = 0;
    qreal footer = 0;    // the page number
    qreal closing = 0;   // sums row and closing lines
};

struct Page
{
    int firstRow = 0;
    int rowCount = 0;
    bool titles = false;
    bool closing = false;
};

// At least one page, also for no rows; at least one row per page, however
// small the page.
QList<Page> paginate(int rows, const Heights &heights);

} // namespace ReportPagination
