#pragma once

#include <QList>
#include <QString>

#include <functional>

class QAbstractItemModel;

// Writes columns of a model into a new .xlsx workbook: the header texts in
// row 1, then one row per model row with typed cells (numbers, dates, text;
// a null value leaves the cell empty), every column fitted to its content.
class ExcelExporter
{
public:
    enum class Outcome { Written, Cancelled, Failed };

    // Called now and then while rows are fetched and written; `total` is 0
    // while the model is still fetching. Returning false cancels the export.
    using Progress = std::function<bool(int done, int total)>;

    // Model columns whose text holds amounts (PostgreSQL numeric arrives as
    // text). Columns of a QSqlQueryModel whose field is numeric count
    // without being named here.
    void setNumericColumns(const QList<int> &columns) { m_numericColumns = columns; }
    void setProgress(Progress progress) { m_progress = std::move(progress); }
    // The worksheet's name, as sheetNameFor() makes it fit; "Sheet1" when
    // none is set.
    void setSheetName(const QString &name) { m_sheetName = name; }

    // A name Excel takes for a sheet: `title` without []:*?/\ and control
    // characters, without quotes at either end, cut to 31 characters;
    // "Sheet1" when nothing is left.
    static QString sheetNameFor(const QString &title);
    static constexpr int MaxSheetName = 31;

    // Exports the model columns firstColumn..lastColumn (both included) into
    // `path`, replacing it once the workbook is whole. Rows the model has
    // not fetched yet are fetched first. On failure or cancellation nothing
    // is left behind and a file that was at `path` stays as it was; `error`
    // gets the reason of a failure, naming the file.
    Outcome write(QAbstractItemModel &model, const QString &path, int firstColumn,
                  int lastColumn, QString *error = nullptr) const;

private:
    bool fetchAll(QAbstractItemModel &model) const;
    QList<bool> numericFlags(const QAbstractItemModel &model, int firstColumn,
                             int lastColumn) const;

    QList<int> m_numericColumns;
    Progress m_progress;
    QString m_sheetName;
};
