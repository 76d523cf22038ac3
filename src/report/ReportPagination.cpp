#include "ReportPagination.h"

#include <algorithm>
#include <cmath>

namespace ReportPagination {

QList<Page> paginate(int rows, const Heights &heights)
{
    // Room for rows and closing lines on a page; a hair of tolerance keeps
    // rows that fit exactly from being pushed on by rounding.
    auto roomOn = [&](const Page &page) {
        return heights.page - heights.footer - heights.headings
               - (page.titles ? heights.titles : 0) + heights.row * 1e-6;
    };

    QList<Page> pages;
    int next = 0;
    do {
        Page page;
        page.titles = pages.isEmpty();
        page.firstRow = next;
        const int fitting = heights.row > 0
                                ? static_cast<int>(std::floor(roomOn(page) / heights.row))
                                : rows;
        page.rowCount = std::min(std::max(fitting, 1), rows - next);
        next += page.rowCount;
        pages.append(page);
    } while (next < rows);

    Page &last = pages.last();
    // Nothing to close with needs no room, even on an overfull page.
    if (heights.closing <= 0 || roomOn(last) - last.rowCount * heights.row >= heights.closing) {
        last.closing = true;
    } else {
        Page closingPage;
        closingPage.firstRow = rows;
        closingPage.closing = true;
        pages.append(closingPage);
    }
    return pages;
}

} // namespace ReportPagination
