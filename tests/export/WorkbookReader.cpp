#include "WorkbookReader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace {

const QString Script = uR"(
import datetime, json, sys
import openpyxl
book = openpyxl.load_workbook(sys.argv[1])
sheet = book.worksheets[0]
def cell(value):
    if value is None: return ["none", ""]
    if isinstance(value, bool): return ["bool", "true" if value else "false"]
    if isinstance(value, (int, float)): return ["number", "%.15g" % value]
    if isinstance(value, datetime.datetime): return ["datetime", value.strftime("%Y-%m-%d %H:%M:%S")]
    if isinstance(value, datetime.time): return ["time", value.strftime("%H:%M:%S")]
    return ["str", str(value)]
rows = [[cell(c.value) for c in row] for row in sheet.iter_rows()]
widths = {key: dim.width for key, dim in sheet.column_dimensions.items() if dim.customWidth}
print(json.dumps({"sheets": len(book.worksheets), "rows": rows, "widths": widths}))
)"_s;

bool runWith(const QString &python, const QStringList &arguments, QByteArray *output,
             QString *error)
{
    QProcess process;
    process.start(python, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        *error = python + u": "_s + QString::fromUtf8(process.readAllStandardError());
        return false;
    }
    *output = process.readAllStandardOutput();
    return true;
}

// The first python3 that has openpyxl: the one on PATH may be a private
// interpreter without the system's packages.
QString pythonWithOpenpyxl()
{
    static const QString found = [] {
        QStringList candidates{QStandardPaths::findExecutable(u"python3"_s), u"/usr/bin/python3"_s};
        for (const QString &python : candidates) {
            QByteArray output;
            QString error;
            if (!python.isEmpty() && runWith(python, {u"-c"_s, u"import openpyxl"_s}, &output, &error))
                return python;
        }
        return QString();
    }();
    return found;
}

} // namespace

bool WorkbookReader::available()
{
    return !pythonWithOpenpyxl().isEmpty();
}

bool WorkbookReader::read(const QString &path, Sheet *sheet, QString *error)
{
    const QString python = pythonWithOpenpyxl();
    if (python.isEmpty()) {
        *error = u"no python3 with openpyxl"_s;
        return false;
    }
    QByteArray output;
    if (!runWith(python, {u"-c"_s, Script, path}, &output, error))
        return false;
    const QJsonObject root = QJsonDocument::fromJson(output).object();
    sheet->sheetCount = root.value(u"sheets").toInt();
    sheet->rows.clear();
    for (const QJsonValue &row : root.value(u"rows").toArray()) {
        QList<Cell> cells;
        for (const QJsonValue &cell : row.toArray()) {
            const QJsonArray pair = cell.toArray();
            cells.append({pair.at(0).toString(), pair.at(1).toString()});
        }
        sheet->rows.append(cells);
    }
    sheet->widths.clear();
    const QJsonObject widths = root.value(u"widths").toObject();
    for (auto it = widths.begin(); it != widths.end(); ++it)
        sheet->widths.insert(it.key(), it.value().toDouble());
    return true;
}
