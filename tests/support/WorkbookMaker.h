#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QMap>
#include <QString>

// Writes workbooks for tests and benchmarks with writers that share
// nothing with the program's reader: openpyxl for .xlsx and xlwt for .xls,
// both through the system's python3 (python3-openpyxl, python3-xlwt).
//
// A workbook is described as JSON: {"sheets": [{"name": "商品", "rows":
// [[cell, …], …], "styledEmpty": [[row, column], …]}], "active": 1}.
// A cell is a string, a number, null (no cell), or an object:
// {"date": "2008-08-08"}, {"datetime": "2008-08-08 13:05:06"},
// {"time": "13:05:06"}, {"bool": true}, or {"number": 3, "format": "0.00"}.
// Rows and styled empty cells count from 1.
namespace WorkbookMaker {

// Whether python3 can write this kind of file (".xls" or ".xlsx").
bool available(const QString &suffix);
// Writes `book` to `path`; the suffix of `path` picks the writer. False
// and the writer's error when it fails.
bool write(const QString &path, const QJsonObject &book, QString *error);
// A part too large to hand over whole: `head`, `unit` repeated `times`
// times, then `tail`.
struct RepeatedPart
{
    QByteArray head;
    QByteArray unit;
    qint64 times = 0;
    QByteArray tail;
};

// A zip archive with exactly these parts (name → content), written with
// python's zipfile: for .xlsx packages built by hand.
bool writeZip(const QString &path, const QMap<QString, QByteArray> &parts, QString *error,
              const QMap<QString, RepeatedPart> &repeated = {});

// A one-sheet workbook of these rows.
QJsonObject book(const QJsonArray &rows, const QString &sheetName = QStringLiteral("Sheet1"));

} // namespace WorkbookMaker
