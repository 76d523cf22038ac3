#pragma once

#include <QList>
#include <QMap>
#include <QString>

// Reads a workbook back with openpyxl, a reader that shares nothing with
// the writer. Cells come back as their Python type and value:
// "number" ("12", "12.5"), "datetime" ("2024-03-01 08:30:15"), "time",
// "bool" ("true"), "str", or "none" for an empty cell.
class WorkbookReader
{
public:
    struct Cell
    {
        QString type;
        QString value;
    };
    struct Sheet
    {
        int sheetCount = 0;
        QList<QList<Cell>> rows;
        // Column widths by letter ("A", "B"), as Excel stores them.
        QMap<QString, double> widths;
    };

    // Whether python3 with openpyxl is there to read with.
    static bool available();
    // Reads the first worksheet; false and a reason when it cannot.
    static bool read(const QString &path, Sheet *sheet, QString *error);
};
