#include "ExcelSheetReader.h"

#include "XlsSheetReader.h"
#include "XlsxSheetReader.h"
#include "common/FailureText.h"
#include "common/Refusal.h"

#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;

namespace ExcelSheetReader {

ExcelSheet read(const QString &path, int keptColumns)
{
    const QString prefix = u"无法读取Excel文件 "_s + QDir::toNativeSeparators(path) + u"："_s;
    QByteArray start;
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            throw Refusal(prefix
                          + FailureText::explain(file.errorString(), {}, FailureText::Stage::File)
                                .shown());
        }
        start = file.read(8);
    }
    try {
        if (start.isEmpty())
            throw Refusal(u"文件是空的。"_s);
        // A zip archive: .xlsx; an OLE compound file: .xls.
        if (start.startsWith("PK"))
            return XlsxSheetReader::read(path, keptColumns);
        if (start == QByteArray::fromHex("d0cf11e0a1b11ae1"))
            return XlsSheetReader::read(path, keptColumns);
        throw Refusal(u"不是Excel工作簿，只能读取 .xls 和 .xlsx 文件。"_s);
    } catch (const Refusal &reason) {
        throw Refusal(prefix + reason.text());
    }
}

} // namespace ExcelSheetReader
