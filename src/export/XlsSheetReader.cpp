#include "XlsSheetReader.h"

#include "ExcelCellText.h"
#include "ExcelSheetBuilder.h"
#include "XlsActiveSheet.h"
#include "common/Refusal.h"

#include <QFile>

#include <freexl.h>

using namespace Qt::StringLiterals;

namespace {

// freexl wants its handle closed even when opening failed.
class XlsHandle
{
public:
    XlsHandle() = default;
    ~XlsHandle()
    {
        if (m_handle)
            freexl_close(m_handle);
    }
    XlsHandle(const XlsHandle &) = delete;
    XlsHandle &operator=(const XlsHandle &) = delete;

    const void **address() { return &m_handle; }
    const void *get() const { return m_handle; }

private:
    const void *m_handle = nullptr;
};

const QString Damaged = u"文件已损坏或不完整。"_s;

[[noreturn]] void refuse(int code)
{
    switch (code) {
    case FREEXL_FILE_NOT_FOUND:
        throw Refusal(u"文件不存在或无法打开。"_s);
    case FREEXL_INSUFFICIENT_MEMORY:
        throw Refusal(u"内存不足。"_s);
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
        // Also what an .xlsx with an opening password looks like.
        throw Refusal(u"文件中没有Excel工作簿，或者工作簿设有打开密码。"_s);
    case FREEXL_UNSUPPORTED_CHARSET:
    case FREEXL_INVALID_CHARACTER:
        throw Refusal(u"工作簿的文字编码无法识别。"_s);
    default:
        throw Refusal(Damaged);
    }
}

void check(int code)
{
    if (code != FREEXL_OK)
        refuse(code);
}

QString cellText(const FreeXL_CellValue &cell)
{
    switch (cell.type) {
    case FREEXL_CELL_INT:
        return QString::number(cell.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return ExcelCellText::number(cell.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
        // Dates come as "YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS" and "HH:MM:SS",
        // the forms the .xlsx reader writes too.
        return cell.value.text_value ? QString::fromUtf8(cell.value.text_value) : QString();
    default:
        return {};
    }
}

} // namespace

namespace XlsSheetReader {

ExcelSheet read(const QString &path, int keptColumns)
{
    XlsHandle xls;
    check(freexl_open(QFile::encodeName(path).constData(), xls.address()));

    unsigned int info = 0;
    check(freexl_get_info(xls.get(), FREEXL_BIFF_PASSWORD, &info));
    if (info == FREEXL_BIFF_OBFUSCATED)
        throw Refusal(u"工作簿设有密码保护，请先在Excel中取消密码再导入。"_s);
    unsigned int sheetCount = 0;
    check(freexl_get_info(xls.get(), FREEXL_BIFF_SHEET_COUNT, &sheetCount));
    if (sheetCount == 0)
        throw Refusal(u"工作簿中没有工作表。"_s);

    unsigned short sheet = 0;
    if (const unsigned int active = XlsActiveSheet::index(path); active < sheetCount)
        sheet = static_cast<unsigned short>(active);
    check(freexl_select_active_worksheet(xls.get(), sheet));
    const char *name = nullptr;
    check(freexl_get_worksheet_name(xls.get(), sheet, &name));
    unsigned int rowCount = 0;
    unsigned short columnCount = 0;
    check(freexl_worksheet_dimensions(xls.get(), &rowCount, &columnCount));

    ExcelSheetBuilder cells(keptColumns);
    for (unsigned int row = 0; row < rowCount; ++row) {
        for (unsigned short column = 0; column < columnCount; ++column) {
            FreeXL_CellValue cell;
            check(freexl_get_cell_value(xls.get(), row, column, &cell));
            cells.add(int(row + 1), int(column + 1), cellText(cell));
        }
    }
    return cells.take(name ? QString::fromUtf8(name) : QString());
}

} // namespace XlsSheetReader
