#include "ExcelSheet.h"

#include <algorithm>

ExcelSheet::ExcelSheet(QString name, QList<QStringList> rows)
    : m_name(std::move(name))
    , m_rows(std::move(rows))
{
    // Trailing rows and columns without a value are outside the used range.
    const auto holdsValue = [](const QString &text) { return !text.isEmpty(); };
    while (!m_rows.isEmpty()
           && std::none_of(m_rows.constLast().cbegin(), m_rows.constLast().cend(), holdsValue))
        m_rows.removeLast();
    for (const QStringList &row : std::as_const(m_rows)) {
        for (qsizetype column = row.size(); column > m_columnCount; --column) {
            if (!row.at(column - 1).isEmpty()) {
                m_columnCount = static_cast<int>(column);
                break;
            }
        }
    }
}

QString ExcelSheet::text(int row, int column) const
{
    if (row < 1 || row > m_rows.size())
        return {};
    const QStringList &cells = m_rows.at(row - 1);
    if (column < 1 || column > cells.size())
        return {};
    return cells.at(column - 1);
}
