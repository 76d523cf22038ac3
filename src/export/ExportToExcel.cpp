#include "ExportToExcel.h"

#include "common/FileOpener.h"
#include "common/Prompt.h"

#include <QDir>
#include <QFileInfo>
#include "common/UserSettings.h"

#include <QSettings>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace {

const QString Caption = u"导出Excel"_s;
const QString FolderKey = u"export/lastFolder"_s;

// Where the first export of a user is proposed: their documents, or home.
QString firstFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

} // namespace

namespace ExcelExportFlow {

QString proposedName(const QString &title, const QDate &date)
{
    static const QString forbidden = u"\\/:*?\"<>|"_s;
    QString name;
    for (const QChar c : title.trimmed())
        name.append(forbidden.contains(c) || !c.isPrint() ? QChar(u'_') : c);
    if (name.isEmpty())
        name = u"导出"_s;
    return name + u'_' + date.toString(u"yyyyMMdd"_s) + u".xlsx"_s;
}

QString lastFolder()
{
    return userSettings().value(FolderKey).toString();
}

void rememberFolder(const QString &folder)
{
    QSettings settings = userSettings();
    settings.setValue(FolderKey, folder);
    settings.sync();
}

QString askPath(const QString &title, Prompt &prompt, const QDate &date)
{
    const QString last = lastFolder();
    const QString folder = !last.isEmpty() && QFileInfo(last).isDir() ? last : firstFolder();
    QString path = prompt.saveFile(u"另存为"_s, u"Excel 工作簿 (*.xlsx)"_s,
                                   QDir(folder).filePath(proposedName(title, date)));
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += u".xlsx"_s;
    return path;
}

} // namespace ExcelExportFlow

bool ExportToExcelFile(QAbstractItemModel &model, int firstColumn, int lastColumn,
                       const QString &title, const QString &path, Prompt &prompt,
                       FileOpener &opener, ExcelExporter exporter,
                       const std::function<void()> &writingDone)
{
    exporter.setSheetName(title);
    QString error;
    const ExcelExporter::Outcome outcome = exporter.write(model, path, firstColumn, lastColumn, &error);
    if (writingDone)
        writingDone();
    switch (outcome) {
    case ExcelExporter::Outcome::Written:
        break;
    case ExcelExporter::Outcome::Cancelled:
        return false;
    case ExcelExporter::Outcome::Failed:
        prompt.message(error, u"错误"_s, Prompt::Kind::Error);
        return false;
    }
    ExcelExportFlow::rememberFolder(QFileInfo(path).absolutePath());

    const QString where = QDir::toNativeSeparators(path);
    if (!opener.canOpen(path)) {
        prompt.message(u"已导出到 %1。\n这台电脑上没有能打开Excel工作簿的程序，"
                       "可以把文件拷到装有Excel或WPS的电脑上打开。"_s.arg(where),
                       Caption);
        return true;
    }
    if (prompt.question(u"已导出到 %1。\n现在打开它吗？"_s.arg(where), Caption)
        && !opener.open(path)) {
        prompt.message(u"文件已导出到 %1，但没能打开它。请在文件夹中找到它，"
                       "用Excel或WPS打开。"_s.arg(where),
                       Caption, Prompt::Kind::Warning);
    }
    return true;
}

bool ExportToExcel(QAbstractItemModel &model, int firstColumn, int lastColumn, const QString &title,
                   Prompt &prompt, FileOpener &opener, const ExcelExporter &exporter,
                   const std::function<void()> &writingDone)
{
    const QString path = ExcelExportFlow::askPath(title, prompt);
    if (path.isEmpty())
        return false;
    return ExportToExcelFile(model, firstColumn, lastColumn, title, path, prompt, opener, exporter,
                             writingDone);
}
