#pragma once

#include "ReportPagination.h"

#include <QFont>
#include <QList>
#include <QPainter>
#include <QRectF>

#include <functional>

class ListReport;
class QPagedPaintDevice;
struct ReportLine;

// Lays a ListReport out on the pages of a printer or PDF writer and draws it.
class ReportPainter
{
public:
    ReportPainter(const ListReport &report, QPagedPaintDevice &device);
    // False when the device cannot be painted on, or `progress` (as in
    // ListReport::render) stopped it.
    bool paint(const std::function<bool(int page, int pages)> &progress = {});
    // The height of the whole report on one page, in device units.
    qreal contentHeight();

private:
    // Page size, fonts and row height on the device.
    void setUp();
    QFont fontFor(const ReportLine &line) const;
    qreal lineHeight(const QFont &font) const;
    ReportPagination::Heights measure() const;
    QRectF cellRect(int column, qreal top, qreal height) const;

    // Lines across the page (titles, closing lines), each in its own font.
    void drawTextLines(const QList<ReportLine> &lines, qreal &top);
    void drawTitles(qreal &top);
    void drawHeadings(qreal &top);
    void drawRows(int firstRow, int count, qreal &top);
    void drawSums(qreal &top);
    void drawClosingLines(qreal &top);
    void drawFooter(int page, int pages);
    void drawCell(const QRectF &rect, const QString &text, Qt::Alignment alignment);

    const ListReport &m_report;
    QPagedPaintDevice &m_device;
    QPainter m_painter;
    QFont m_bodyFont;
    QFont m_headingFont;
    qreal m_width = 0;
    qreal m_height = 0;
    qreal m_rowHeight = 0;
    qreal m_padding = 0;
    QList<int> m_modelColumns;
    QList<qreal> m_columnLefts; // one more than columns: the right edge closes the list
};
