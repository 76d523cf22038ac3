#include "ExcelSheetBuilder.h"

#include "common/Refusal.h"

#include <algorithm>

using namespace Qt::StringLiterals;

ExcelSheetBuilder::ExcelSheetBuilder(int keptColumns)
    : m_keptColumns(keptColumns)
{
}

Refusal ExcelSheetBuilder::tooLarge(const QString &what)
{
    return Refusal(what + u"请在Excel中只保留要导入的数据，另存后再导入。"_s);
}

void ExcelSheetBuilder::add(int row, int column, const QString &text)
{
    if (text.isEmpty())
        return;
    m_sheet.m_rowCount = std::max(m_sheet.m_rowCount, row);
    m_sheet.m_columnCount = std::max(m_sheet.m_columnCount, column);
    if (row > 1 && column > m_keptColumns)
        return;
    if (m_sheet.m_cells.size() >= MaxCells)
        throw tooLarge(u"工作表太大：要读取的单元格超过 %1 个，无法读取。"_s.arg(MaxCells));
    if (m_sheet.m_texts.size() + text.size() > MaxCharacters)
        throw tooLarge(u"工作表中的文字太多：要读取的单元格合计超过 %1 个字符，无法读取。"_s.arg(MaxCharacters));
    if (!m_sheet.m_cells.isEmpty()) {
        const ExcelSheet::Cell &last = m_sheet.m_cells.constLast();
        if (std::pair(row, column) <= std::pair(last.row, last.column))
            m_sorted = false;
    }
    m_sheet.m_cells.append({row, column, int(m_sheet.m_texts.size()), int(text.size())});
    m_sheet.m_texts += text;
}

ExcelSheet ExcelSheetBuilder::take(QString name)
{
    QList<ExcelSheet::Cell> &cells = m_sheet.m_cells;
    if (!m_sorted) {
        const auto place = [](const ExcelSheet::Cell &cell) { return std::pair(cell.row, cell.column); };
        std::stable_sort(cells.begin(), cells.end(),
                         [&place](const auto &a, const auto &b) { return place(a) < place(b); });
        // Of texts given for one cell the last stands.
        qsizetype kept = 0;
        for (qsizetype i = 0; i < cells.size(); ++i) {
            if (i + 1 < cells.size() && place(cells.at(i)) == place(cells.at(i + 1)))
                continue;
            cells[kept++] = cells.at(i);
        }
        cells.resize(kept);
    }
    m_sheet.m_name = std::move(name);
    ExcelSheet sheet = std::move(m_sheet);
    m_sheet = ExcelSheet();
    m_sorted = true;
    return sheet;
}
