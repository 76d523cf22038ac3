#include "ExportToExcel.h"

#include "common/FileOpener.h"
#include "common/Prompt.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryFile>

using namespace Qt::StringLiterals;

namespace {

// A new, uniquely named workbook file. The application owns it, so the
// spreadsheet program can read it for as long as we run; it is removed
// when the program ends.
QTemporaryFile *newWorkbookFile(QString *error)
{
    const QString folder = QDir::tempPath();
    // Qt gives no path at all for a temporary folder that does not exist;
    // the workbook must not land in the working directory instead.
    if (folder.isEmpty()) {
        *error = u"不能写入临时文件夹 %1：文件夹不存在"_s.arg(
            QDir::toNativeSeparators(qEnvironmentVariable("TMPDIR")));
        return nullptr;
    }
    auto *file = new QTemporaryFile(QDir(folder).filePath(u"salondesk-export-XXXXXX.xlsx"_s),
                                    QCoreApplication::instance());
    if (!file->open()) {
        *error = u"不能写入文件 %1：%2"_s.arg(QDir::toNativeSeparators(file->fileTemplate()),
                                             file->errorString());
        delete file;
        return nullptr;
    }
    file->close();
    return file;
}

} // namespace

bool ExportToExcel(QAbstractItemModel &model, int firstColumn, int lastColumn, Prompt &prompt,
                   FileOpener &opener, const ExcelExporter &exporter,
                   const std::function<void()> &writingDone)
{
    const auto done = [&writingDone] {
        if (writingDone)
            writingDone();
    };
    const QString caption = u"错误"_s;
    QString error;
    QTemporaryFile *file = newWorkbookFile(&error);
    if (!file) {
        done();
        prompt.message(error, caption, Prompt::Kind::Error);
        return false;
    }
    const QString path = file->fileName();
    const ExcelExporter::Outcome outcome = exporter.write(model, path, firstColumn, lastColumn, &error);
    done();
    switch (outcome) {
    case ExcelExporter::Outcome::Written:
        break;
    case ExcelExporter::Outcome::Cancelled:
        delete file;
        return false;
    case ExcelExporter::Outcome::Failed:
        delete file;
        prompt.message(error, caption, Prompt::Kind::Error);
        return false;
    }
    if (!opener.open(path)) {
        delete file;
        prompt.message(u"系统没excel，不能导出Excel！"_s, caption, Prompt::Kind::Error);
        return false;
    }
    return true;
}
