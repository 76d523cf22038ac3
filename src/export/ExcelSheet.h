#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One worksheet as the goods import reads it: the texts of the cells a
// reader kept, and the used range, which starts at A1 and ends at the last
// row and the last column holding a value (a cell that is only formatted
// holds none). The used range counts every value, kept or not; only kept
// cells are stored, one entry each, so empty rows and columns cost
// nothing. Rows and columns count from 1, as in Excel.
class ExcelSheet
{
public:
    ExcelSheet() = default;
    // Every cell of `rows` kept; `rows` may be ragged, a missing cell is
    // empty.
    ExcelSheet(QString name, const QList<QStringList> &rows);

    const QString &name() const { return m_name; }
    int rowCount() const { return m_rowCount; }
    int columnCount() const { return m_columnCount; }
    // The cell's text; empty for an empty or unkept cell and outside the
    // used range.
    QString text(int row, int column) const;
    // The rows holding a kept value, in order.
    QList<int> rowsWithValues() const;

private:
    friend class ExcelSheetBuilder;

    struct Cell
    {
        int row;
        int column;
        int from; // in m_texts
        int size;
    };

    QString m_name;
    QList<Cell> m_cells; // by row, then column
    QString m_texts;     // the kept texts one after another
    int m_rowCount = 0;
    int m_columnCount = 0;
};
