#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One worksheet as the goods import reads it: the text of every cell in
// its used range, which starts at A1 and ends at the last row and the last
// column holding a value (a cell that is only formatted holds none). Rows
// and columns count from 1, as in Excel.
class ExcelSheet
{
public:
    ExcelSheet() = default;
    // `rows` may be ragged; a missing cell is empty.
    ExcelSheet(QString name, QList<QStringList> rows);

    const QString &name() const { return m_name; }
    int rowCount() const { return static_cast<int>(m_rows.size()); }
    int columnCount() const { return m_columnCount; }
    // The cell's text; empty for an empty cell and outside the used range.
    QString text(int row, int column) const;

private:
    QString m_name;
    QList<QStringList> m_rows;
    int m_columnCount = 0;
};
