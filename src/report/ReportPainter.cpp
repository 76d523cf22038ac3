#include "ReportPainter.h"

#include "ListReport.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Latin text and digits come from a Latin font, Chinese from Noto CJK.
// Taking digits from the CJK font as well would print the same, but PDF
// readers then cannot copy those digits out of the file.
QFont reportFont(qreal pointSize)
{
    QFont font;
    font.setFamilies({u"DejaVu Sans"_s, u"Noto Sans CJK SC"_s, u"Noto Sans SC"_s,
                      u"WenQuanYi Micro Hei"_s, u"Microsoft YaHei"_s, u"SimSun"_s});
    font.setPointSizeF(pointSize);
    return font;
}

} // namespace

ReportPainter::ReportPainter(const ListReport &report, QPagedPaintDevice &device)
    : m_report(report), m_device(device)
{
}

QFont ReportPainter::fontFor(const ReportLine &line) const
{
    QFont font = reportFont(line.pointSize > 0 ? line.pointSize : m_report.pointSize());
    font.setBold(line.bold);
    return QFont(font, &m_device);
}

qreal ReportPainter::lineHeight(const QFont &font) const
{
    return QFontMetricsF(font, &m_device).height() * 1.5;
}

ReportPagination::Heights ReportPainter::measure() const
{
    ReportPagination::Heights heights;
    heights.page = m_height;
    heights.row = m_rowHeight;
    heights.headings = m_rowHeight;
    heights.footer = m_report.pageNumbers() ? m_rowHeight * 1.5 : 0;
    for (const ReportLine &line : m_report.titles())
        heights.titles += lineHeight(fontFor(line));
    if (!m_report.titles().isEmpty())
        heights.titles += m_rowHeight * 0.5;
    if (m_report.hasSums())
        heights.closing += m_rowHeight;
    if (!m_report.closingLines().isEmpty())
        heights.closing += m_rowHeight * 0.5;
    for (const ReportLine &line : m_report.closingLines())
        heights.closing += lineHeight(fontFor(line));
    return heights;
}

QRectF ReportPainter::cellRect(int column, qreal top, qreal height) const
{
    const qreal left = m_columnLefts[column];
    const qreal right = m_columnLefts[column + 1];
    return QRectF(left + m_padding, top, right - left - 2 * m_padding, height);
}

void ReportPainter::setUp()
{
    m_width = m_device.width();
    m_height = m_device.height();
    m_bodyFont = QFont(reportFont(m_report.pointSize()), &m_device);
    m_headingFont = m_bodyFont;
    m_headingFont.setBold(true);
    m_rowHeight = lineHeight(m_bodyFont);
    m_padding = QFontMetricsF(m_bodyFont, &m_device).averageCharWidth() * 0.4;

    m_modelColumns = m_report.modelColumns();
    const QList<ReportColumn> &columns = m_report.columns();
    qreal totalWidth = 0;
    for (const ReportColumn &column : columns)
        totalWidth += std::max<qreal>(column.width, 0);
    m_columnLefts = {0};
    qreal sofar = 0;
    for (const ReportColumn &column : columns) {
        sofar += std::max<qreal>(column.width, 0);
        m_columnLefts.append(totalWidth > 0 ? m_width * sofar / totalWidth : 0);
    }
}

qreal ReportPainter::contentHeight()
{
    setUp();
    const ReportPagination::Heights heights = measure();
    return heights.titles + heights.headings + m_report.fetchAllRows() * heights.row
        + heights.closing + heights.footer;
}

bool ReportPainter::paint(const std::function<bool(int page, int pages)> &progress)
{
    if (!m_painter.begin(&m_device))
        return false;
    setUp();

    QPen pen(Qt::black);
    pen.setWidthF(m_device.logicalDpiY() / 150.0);
    m_painter.setPen(pen);

    const int rows = m_report.fetchAllRows();
    const QList<ReportPagination::Page> pages = ReportPagination::paginate(rows, measure());
    const int pageCount = static_cast<int>(pages.size());
    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (progress && !progress(static_cast<int>(i) + 1, pageCount)) {
            m_painter.end();
            return false;
        }
        if (i > 0 && !m_device.newPage())
            return false;
        const ReportPagination::Page &page = pages[i];
        qreal top = 0;
        if (page.titles)
            drawTitles(top);
        drawHeadings(top);
        drawRows(page.firstRow, page.rowCount, top);
        if (page.closing) {
            drawSums(top);
            drawClosingLines(top);
        }
        drawFooter(static_cast<int>(i) + 1, static_cast<int>(pages.size()));
    }
    return m_painter.end();
}

void ReportPainter::drawCell(const QRectF &rect, const QString &text, Qt::Alignment alignment)
{
    const QString shown =
        m_painter.fontMetrics().elidedText(text, Qt::ElideRight, static_cast<int>(rect.width()));
    m_painter.drawText(rect, static_cast<int>(alignment | Qt::AlignVCenter), shown);
}

void ReportPainter::drawTextLines(const QList<ReportLine> &lines, qreal &top)
{
    for (const ReportLine &line : lines) {
        const QFont font = fontFor(line);
        const qreal height = lineHeight(font);
        m_painter.setFont(font);
        m_painter.drawText(QRectF(0, top, m_width, height),
                           static_cast<int>(line.alignment | Qt::AlignVCenter),
                           m_report.expand(line.text));
        top += height;
    }
}

void ReportPainter::drawTitles(qreal &top)
{
    drawTextLines(m_report.titles(), top);
    if (!m_report.titles().isEmpty())
        top += m_rowHeight * 0.5;
}

void ReportPainter::drawHeadings(qreal &top)
{
    m_painter.setFont(m_headingFont);
    const QList<ReportColumn> &columns = m_report.columns();
    for (qsizetype c = 0; c < columns.size(); ++c)
        drawCell(cellRect(static_cast<int>(c), top, m_rowHeight), columns[c].heading,
                 columns[c].alignment);
    m_painter.drawLine(QPointF(0, top), QPointF(m_width, top));
    top += m_rowHeight;
    m_painter.drawLine(QPointF(0, top), QPointF(m_width, top));
}

void ReportPainter::drawRows(int firstRow, int count, qreal &top)
{
    m_painter.setFont(m_bodyFont);
    const QList<ReportColumn> &columns = m_report.columns();
    for (int row = firstRow; row < firstRow + count; ++row) {
        for (qsizetype c = 0; c < columns.size(); ++c)
            drawCell(cellRect(static_cast<int>(c), top, m_rowHeight),
                     columns[c].prefix + m_report.cellText(row, m_modelColumns[c]),
                     columns[c].alignment);
        top += m_rowHeight;
    }
}

void ReportPainter::drawSums(qreal &top)
{
    if (!m_report.hasSums())
        return;
    m_painter.drawLine(QPointF(0, top), QPointF(m_width, top));
    m_painter.setFont(m_headingFont);
    const QList<ReportColumn> &columns = m_report.columns();
    for (qsizetype c = 0; c < columns.size(); ++c) {
        const QRectF rect = cellRect(static_cast<int>(c), top, m_rowHeight);
        if (columns[c].sum)
            drawCell(rect, m_report.sum(static_cast<int>(c)).toString(), columns[c].alignment);
        else if (c == 0)
            drawCell(rect, m_report.sumsLabel(), columns[c].alignment);
    }
    top += m_rowHeight;
}

void ReportPainter::drawClosingLines(qreal &top)
{
    if (m_report.closingLines().isEmpty())
        return;
    top += m_rowHeight * 0.5;
    drawTextLines(m_report.closingLines(), top);
}

void ReportPainter::drawFooter(int page, int pages)
{
    if (!m_report.pageNumbers())
        return;
    m_painter.setFont(m_bodyFont);
    const qreal height = m_rowHeight * 1.5;
    m_painter.drawText(QRectF(0, m_height - height, m_width, height),
                       static_cast<int>(Qt::AlignHCenter | Qt::AlignBottom),
                       u"第 %1 页，共 %2 页"_s.arg(page).arg(pages));
}
