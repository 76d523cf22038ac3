#include "ExcelSheet.h"

#include "ExcelSheetBuilder.h"

#include <algorithm>

ExcelSheet::ExcelSheet(QString name, const QList<QStringList> &rows)
{
    ExcelSheetBuilder builder;
    for (qsizetype row = 0; row < rows.size(); ++row) {
        const QStringList &cells = rows.at(row);
        for (qsizetype column = 0; column < cells.size(); ++column)
            builder.add(int(row + 1), int(column + 1), cells.at(column));
    }
    *this = builder.take(std::move(name));
}

QString ExcelSheet::text(int row, int column) const
{
    const auto at = std::lower_bound(m_cells.cbegin(), m_cells.cend(), std::pair(row, column),
                                     [](const Cell &cell, std::pair<int, int> place) {
                                         return std::pair(cell.row, cell.column) < place;
                                     });
    if (at == m_cells.cend() || at->row != row || at->column != column)
        return {};
    return m_texts.mid(at->from, at->size);
}

QList<int> ExcelSheet::rowsWithValues() const
{
    QList<int> rows;
    for (const Cell &cell : m_cells) {
        if (rows.isEmpty() || rows.constLast() != cell.row)
            rows.append(cell.row);
    }
    return rows;
}
