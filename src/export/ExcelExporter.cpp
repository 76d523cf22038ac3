#include "ExcelExporter.h"

#include "ExcelCell.h"

#include "common/FailureText.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlField>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <system_error>

using namespace Qt::StringLiterals;

namespace {

constexpr int MaxExcelRows = 1'048'576;
constexpr int MaxExcelColumns = 16'384;
// Progress is reported this often; each report may run the event loop.
constexpr int RowsPerProgressStep = 512;

struct WorkbookDeleter
{
    void operator()(lxw_workbook *workbook) const { lxw_workbook_free(workbook); }
};
using WorkbookPtr = std::unique_ptr<lxw_workbook, WorkbookDeleter>;

bool isNumericType(QMetaType type)
{
    switch (type.id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

lxw_datetime excelDateTime(const ExcelCell &cell)
{
    lxw_datetime value{};
    if (cell.date.isValid()) {
        value.year = cell.date.year();
        value.month = cell.date.month();
        value.day = cell.date.day();
    }
    if (cell.time.isValid()) {
        value.hour = cell.time.hour();
        value.min = cell.time.minute();
        value.sec = cell.time.second() + cell.time.msec() / 1000.0;
    }
    return value;
}

// Excel's width unit is one digit of the default font; a little room on
// top keeps the text off the cell border.
double columnWidth(int characters)
{
    return std::clamp(characters + 2, 6, 100);
}

struct Formats
{
    lxw_format *date = nullptr;
    lxw_format *dateTime = nullptr;
    lxw_format *time = nullptr;
};

lxw_error writeCell(lxw_worksheet *sheet, lxw_row_t row, lxw_col_t column,
                    const ExcelCell &cell, const Formats &formats)
{
    switch (cell.kind) {
    case ExcelCell::Kind::Empty:
        return LXW_NO_ERROR;
    case ExcelCell::Kind::Number:
        return worksheet_write_number(sheet, row, column, cell.number, nullptr);
    case ExcelCell::Kind::Boolean:
        return worksheet_write_boolean(sheet, row, column, cell.boolean, nullptr);
    case ExcelCell::Kind::Date:
    case ExcelCell::Kind::DateTime:
    case ExcelCell::Kind::Time: {
        lxw_datetime value = excelDateTime(cell);
        lxw_format *format = cell.kind == ExcelCell::Kind::Date       ? formats.date
                             : cell.kind == ExcelCell::Kind::DateTime ? formats.dateTime
                                                                      : formats.time;
        return worksheet_write_datetime(sheet, row, column, &value, format);
    }
    case ExcelCell::Kind::Text:
        return worksheet_write_string(sheet, row, column, cell.text.toUtf8().constData(),
                                      nullptr);
    }
    return LXW_NO_ERROR;
}

QString failure(const QString &path, const QString &reason)
{
    return u"不能写入文件 %1：%2"_s.arg(QDir::toNativeSeparators(path), reason);
}

QString libraryError(lxw_error error)
{
    return FailureText::withDetail(u"写入工作簿时出错。请换一个文件夹或文件名后再导出。"_s,
                                   QString::fromUtf8(lxw_strerror(error)));
}

// The system's reason in the operator's words, the system's own after it.
QString systemReason(const QString &raw)
{
    return FailureText::explain(raw, {}, FailureText::Stage::File).shown();
}

} // namespace

QString ExcelExporter::sheetNameFor(const QString &title)
{
    // Excel's rules for a sheet's name: none of []:*?/\, no quote at
    // either end, at most 31 characters.
    static const QString forbidden = u"[]:*?/\\"_s;
    QString name;
    for (const QChar c : title) {
        if (!forbidden.contains(c) && c.isPrint())
            name.append(c);
    }
    name = name.trimmed();
    while (name.startsWith(u'\'') || name.endsWith(u'\'')) {
        name = name.startsWith(u'\'') ? name.mid(1) : name.chopped(1);
        name = name.trimmed();
    }
    if (name.size() > MaxSheetName) {
        name.truncate(MaxSheetName);
        if (name.back().isHighSurrogate())
            name.chop(1);
        name = name.trimmed();
    }
    return name.isEmpty() ? u"Sheet1"_s : name;
}

bool ExcelExporter::fetchAll(QAbstractItemModel &model) const
{
    while (model.canFetchMore(QModelIndex())) {
        model.fetchMore(QModelIndex());
        if (m_progress && !m_progress(model.rowCount(), 0))
            return false;
    }
    return true;
}

QList<bool> ExcelExporter::numericFlags(const QAbstractItemModel &model, int firstColumn,
                                        int lastColumn) const
{
    QList<bool> flags(std::max(0, lastColumn - firstColumn + 1), false);
    for (int column : m_numericColumns) {
        if (column >= firstColumn && column <= lastColumn)
            flags[column - firstColumn] = true;
    }
    if (const auto *sqlModel = qobject_cast<const QSqlQueryModel *>(&model)) {
        const QSqlRecord record = sqlModel->record();
        for (int column = firstColumn; column <= lastColumn && column < record.count(); ++column) {
            if (isNumericType(record.field(column).metaType()))
                flags[column - firstColumn] = true;
        }
    }
    return flags;
}

ExcelExporter::Outcome ExcelExporter::write(QAbstractItemModel &model, const QString &path,
                                            int firstColumn, int lastColumn,
                                            QString *error) const
{
    auto fail = [&](const QString &reason) {
        if (error)
            *error = failure(path, reason);
        return Outcome::Failed;
    };

    if (firstColumn < 0 || lastColumn >= model.columnCount()
        || lastColumn - firstColumn + 1 > MaxExcelColumns) {
        if (error)
            *error = u"导出的列 %1 到 %2 不在结果集中"_s.arg(firstColumn).arg(lastColumn);
        return Outcome::Failed;
    }
    if (!fetchAll(model))
        return Outcome::Cancelled;
    const int rows = model.rowCount();
    if (rows + 1 > MaxExcelRows)
        return fail(u"结果集有 %1 行，超过Excel一张工作表的行数。请缩小查询范围后再导出。"_s.arg(rows));

    if (QFileInfo(path).isDir())
        return fail(systemReason(u"Is a directory"_s));
    // The workbook is written beside its place and moved there once it is
    // whole: a cancelled or failed export leaves a workbook the operator
    // chose to replace as it was. Opening it here also gives the system's
    // own reason where libxlsxwriter would only say it could not.
    const QFileInfo target(path);
    QTemporaryFile part(QDir(target.absolutePath()).filePath(u"."_s + target.fileName()
                                                             + u".XXXXXX"_s));
    if (!part.open())
        return fail(systemReason(part.errorString()));
    part.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner
                        | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    part.close();
    const QString partPath = part.fileName();
    // The part file goes with `part` unless it has been moved into place.
    auto abandon = [&](Outcome outcome, const QString &reason = {}) {
        return outcome == Outcome::Failed ? fail(reason) : outcome;
    };

    // Its scratch files go beside the workbook too: that folder has just
    // proved writable, the temporary folder may not be.
    const QByteArray tempFolder = QFile::encodeName(target.absolutePath());
    lxw_workbook_options options{};
    // Rows go straight to a temporary file instead of being kept in memory;
    // we write them strictly in order, which is all this mode asks.
    options.constant_memory = LXW_TRUE;
    options.tmpdir = const_cast<char *>(tempFolder.constData());
    WorkbookPtr workbook(workbook_new_opt(partPath.toUtf8().constData(), &options));
    const QByteArray sheetName = sheetNameFor(m_sheetName).toUtf8();
    lxw_worksheet *sheet =
        workbook ? workbook_add_worksheet(workbook.get(), sheetName.constData()) : nullptr;
    if (!sheet)
        return abandon(Outcome::Failed, libraryError(LXW_ERROR_MEMORY_MALLOC_FAILED));

    Formats formats;
    formats.date = workbook_add_format(workbook.get());
    format_set_num_format(formats.date, "yyyy-mm-dd");
    formats.dateTime = workbook_add_format(workbook.get());
    format_set_num_format(formats.dateTime, "yyyy-mm-dd hh:mm:ss");
    formats.time = workbook_add_format(workbook.get());
    format_set_num_format(formats.time, "hh:mm:ss");

    const int columns = std::max(0, lastColumn - firstColumn + 1);
    const QList<bool> numeric = numericFlags(model, firstColumn, lastColumn);
    QList<int> widths(columns, 0);

    for (int c = 0; c < columns; ++c) {
        // A heading is a name even where it looks like a number or a date.
        const QString heading =
            model.headerData(firstColumn + c, Qt::Horizontal, Qt::DisplayRole).toString();
        if (!heading.isEmpty()) {
            if (const lxw_error status =
                    worksheet_write_string(sheet, 0, c, heading.toUtf8().constData(), nullptr))
                return abandon(Outcome::Failed, libraryError(status));
        }
        widths[c] = ExcelCell::displayWidth(heading);
    }

    for (int row = 0; row < rows; ++row) {
        if (m_progress && row % RowsPerProgressStep == 0 && !m_progress(row, rows))
            return abandon(Outcome::Cancelled);
        for (int c = 0; c < columns; ++c) {
            const QModelIndex index = model.index(row, firstColumn + c);
            // The edit role holds the value itself where a view formats the
            // display text; models that only answer for display still work.
            QVariant value = index.data(Qt::EditRole);
            if (!value.isValid())
                value = index.data(Qt::DisplayRole);
            const ExcelCell cell = ExcelCell::from(value, numeric[c]);
            if (const lxw_error status = writeCell(sheet, row + 1, c, cell, formats))
                return abandon(Outcome::Failed, libraryError(status));
            widths[c] = std::max(widths[c], cell.width);
        }
    }

    for (int c = 0; c < columns; ++c)
        worksheet_set_column(sheet, c, c, columnWidth(widths[c]), nullptr);

    // Closing writes the file and frees the workbook, also when it fails.
    if (const lxw_error status = workbook_close(workbook.release()))
        return abandon(Outcome::Failed, libraryError(status));
    // One step on the same disk: the workbook is there whole or not at all.
    std::error_code renamed;
    std::filesystem::rename(std::filesystem::path(partPath.toStdU16String()),
                            std::filesystem::path(path.toStdU16String()), renamed);
    if (renamed)
        return abandon(Outcome::Failed, systemReason(QString::fromStdString(renamed.message())));
    if (m_progress)
        m_progress(rows, rows);
    return Outcome::Written;
}
