#include "WorkbookMaker.h"

#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>

using namespace Qt::StringLiterals;

namespace {

const QString Script = uR"(
import base64, datetime, json, sys, zipfile
task = json.load(open(sys.argv[1], encoding="utf-8"))
out = task["path"]
if task["kind"] == "zip":
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in task["parts"].items():
            z.writestr(name, base64.b64decode(data))
        for name, part in task.get("repeated", {}).items():
            unit = base64.b64decode(part["unit"])
            with z.open(name, "w", force_zip64=True) as f:
                f.write(base64.b64decode(part["head"]))
                left = part["times"]
                while left > 0:
                    n = min(left, max(1, (1 << 22) // max(1, len(unit))))
                    f.write(unit * n)
                    left -= n
                f.write(base64.b64decode(part["tail"]))
    sys.exit(0)
book = task["book"]
def parse(v):
    if isinstance(v, dict):
        if "date" in v: return datetime.datetime.strptime(v["date"], "%Y-%m-%d").date(), "yyyy-mm-dd"
        if "datetime" in v: return datetime.datetime.strptime(v["datetime"], "%Y-%m-%d %H:%M:%S"), "yyyy-mm-dd hh:mm:ss"
        if "time" in v: return datetime.datetime.strptime(v["time"], "%H:%M:%S").time(), "hh:mm:ss"
        if "bool" in v: return bool(v["bool"]), None
        if "number" in v: return v["number"], v["format"]
    return v, None
if out.endswith(".xlsx"):
    import openpyxl
    from openpyxl.styles import Font
    wb = openpyxl.Workbook()
    wb.remove(wb.active)
    for sheet in book["sheets"]:
        ws = wb.create_sheet(sheet["name"])
        for r, row in enumerate(sheet["rows"], 1):
            for c, v in enumerate(row, 1):
                if v is None: continue
                value, fmt = parse(v)
                cell = ws.cell(row=r, column=c, value=value)
                if fmt: cell.number_format = fmt
        for r, c in sheet.get("styledEmpty", []):
            ws.cell(row=r, column=c).font = Font(bold=True)
    active = book.get("active", 0)
    wb.active = active
    for i, ws in enumerate(wb.worksheets): ws.sheet_view.tabSelected = (i == active)
    wb.save(out)
else:
    import xlwt
    wb = xlwt.Workbook(encoding="utf-8")
    styles = {}
    def style(fmt):
        if fmt not in styles: styles[fmt] = xlwt.easyxf(num_format_str=fmt)
        return styles[fmt]
    for sheet in book["sheets"]:
        ws = wb.add_sheet(sheet["name"])
        for r, row in enumerate(sheet["rows"]):
            for c, v in enumerate(row):
                if v is None: continue
                value, fmt = parse(v)
                if fmt: ws.write(r, c, value, style(fmt))
                else: ws.write(r, c, value)
        for r, c in sheet.get("styledEmpty", []):
            ws.write(r - 1, c - 1, None, xlwt.easyxf("font: bold on"))
    wb.active_sheet = book.get("active", 0)
    wb.save(out)
)"_s;

QString python()
{
    // The system's interpreter: one earlier on PATH may lack its packages.
    if (QFile::exists(u"/usr/bin/python3"_s))
        return u"/usr/bin/python3"_s;
    return QStandardPaths::findExecutable(u"python3"_s);
}

bool run(const QJsonObject &task, QString *error)
{
    QTemporaryFile taskFile;
    if (!taskFile.open()) {
        *error = u"no temporary file"_s;
        return false;
    }
    taskFile.write(QJsonDocument(task).toJson(QJsonDocument::Compact));
    taskFile.flush();
    QProcess process;
    process.start(python(), {u"-c"_s, Script, taskFile.fileName()});
    if (!process.waitForFinished(300000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        *error = QString::fromUtf8(process.readAllStandardError());
        if (error->isEmpty())
            *error = process.errorString();
        return false;
    }
    return true;
}

} // namespace

namespace WorkbookMaker {

bool available(const QString &suffix)
{
    const QString module = suffix == u".xls" ? u"xlwt"_s : u"openpyxl"_s;
    QProcess process;
    process.start(python(), {u"-c"_s, u"import "_s + module});
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
}

bool write(const QString &path, const QJsonObject &book, QString *error)
{
    return run({{u"kind"_s, u"book"_s}, {u"path"_s, path}, {u"book"_s, book}}, error);
}

bool writeZip(const QString &path, const QMap<QString, QByteArray> &parts, QString *error,
              const QMap<QString, RepeatedPart> &repeated)
{
    const auto base64 = [](const QByteArray &data) { return QString::fromLatin1(data.toBase64()); };
    QJsonObject encoded;
    for (auto part = parts.cbegin(); part != parts.cend(); ++part)
        encoded.insert(part.key(), base64(part.value()));
    QJsonObject repeatedParts;
    for (auto part = repeated.cbegin(); part != repeated.cend(); ++part) {
        repeatedParts.insert(part.key(), QJsonObject{{u"head"_s, base64(part->head)},
                                             {u"unit"_s, base64(part->unit)},
                                             {u"times"_s, double(part->times)},
                                             {u"tail"_s, base64(part->tail)}});
    }
    return run({{u"kind"_s, u"zip"_s}, {u"path"_s, path}, {u"parts"_s, encoded}, {u"repeated"_s, repeatedParts}},
               error);
}

QJsonObject book(const QJsonArray &rows, const QString &sheetName)
{
    return {{u"sheets"_s, QJsonArray{QJsonObject{{u"name"_s, sheetName}, {u"rows"_s, rows}}}}};
}

} // namespace WorkbookMaker
