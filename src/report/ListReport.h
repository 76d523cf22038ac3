#pragma once

#include "ReportColumn.h"
#include "ReportLine.h"

#include "common/Money.h"

#include <QDateTime>
#include <QList>
#include <QPageLayout>
#include <QString>

#include <functional>
#include <optional>

class QAbstractItemModel;
class QPagedPaintDevice;

// Every printed list of the program: titles, columns over a model, a sums
// row and closing lines. A window describes its list here and hands it to
// the preview; the same description renders onto a printer or into a PDF.
//
// Cells print the model's display text. Columns marked `sum` are totalled
// exactly in a sums row below the list. Titles and closing lines may hold
// [DATE] and [TIME] (the moment of printing, "yyyy-MM-dd" and "hh:mm:ss")
// and [SUM(name)], the total of the column with that heading or field name.
class ListReport
{
public:
    // The model is not owned; it must outlive the report's use. Rows it has
    // not fetched yet are fetched before printing.
    void setModel(QAbstractItemModel *model) { m_model = model; }
    QAbstractItemModel *model() const { return m_model; }

    void addTitle(const QString &text, qreal pointSize = 0);
    void addTitle(const ReportLine &line) { m_titles.append(line); }
    void addColumn(const ReportColumn &column) { m_columns.append(column); }
    void addClosingLine(const QString &text);
    void addClosingLine(const ReportLine &line) { m_closingLines.append(line); }
    // The text at the start of the sums row.
    void setSumsLabel(const QString &label) { m_sumsLabel = label; }
    // The moment [DATE] and [TIME] show, taken from the program's Clock by
    // whoever prints (ReportPreview does); they print nothing while unset.
    void setPrintedAt(const QDateTime &moment) { m_printedAt = moment; }
    // Paper, orientation and margins the report starts out with.
    void setPageLayout(const QPageLayout &layout) { m_pageLayout = layout; }
    void setPointSize(qreal pointSize) { m_pointSize = pointSize; }
    // "第 1 页，共 1 页" under every page; a receipt on a roll goes without.
    void setPageNumbers(bool shown) { m_pageNumbers = shown; }

    const QList<ReportLine> &titles() const { return m_titles; }
    const QList<ReportColumn> &columns() const { return m_columns; }
    const QList<ReportLine> &closingLines() const { return m_closingLines; }
    const QString &sumsLabel() const { return m_sumsLabel; }
    const QPageLayout &pageLayout() const { return m_pageLayout; }
    qreal pointSize() const { return m_pointSize; }
    bool pageNumbers() const { return m_pageNumbers; }
    const QDateTime &printedAt() const { return m_printedAt; }
    bool hasSums() const;

    // The model column of each report column; -1 where a field name is not
    // among the model's headers.
    QList<int> modelColumns() const;
    // Fetches whatever rows the model still holds back; the row count.
    int fetchAllRows() const;
    // What a cell prints: the model's display text, dates in the program's form.
    QString cellText(int row, int modelColumn) const;
    // The exact total of a report column; cells that are no number count nothing.
    Money sum(int column) const;
    // [DATE], [TIME] and [SUM(name)] replaced; unknown names stay as written.
    QString expand(const QString &text) const;

    // Hears each page number, and how many there are, before that page is
    // drawn; false stops the drawing.
    using Progress = std::function<bool(int page, int pages)>;

    // Draws the report onto a printer or PDF writer, as it is set up.
    // False when the device cannot be painted on or `progress` stopped it.
    bool render(QPagedPaintDevice &device, const Progress &progress = {}) const;
    // How tall the report is on one page of its width, in millimetres,
    // measured with the fonts it prints in: a receipt roll's page is made
    // just this long plus its margins.
    qreal contentHeightMm() const;
    bool writePdf(const QString &path, QString *error = nullptr) const;

private:
    std::optional<int> columnNamed(const QString &name) const;
    Money modelColumnSum(int modelColumn) const;

    QAbstractItemModel *m_model = nullptr;
    QList<ReportLine> m_titles;
    QList<ReportColumn> m_columns;
    QList<ReportLine> m_closingLines;
    QString m_sumsLabel = QStringLiteral("合计");
    QDateTime m_printedAt;
    QPageLayout m_pageLayout{QPageSize(QPageSize::A4), QPageLayout::Portrait,
                             QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter};
    qreal m_pointSize = 10;
    bool m_pageNumbers = true;
};
