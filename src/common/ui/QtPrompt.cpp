#include "QtPrompt.h"

#include "MaskedInput.h"
#include "NameOnlyIconProvider.h"
#include "PasswordQuery.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

// The caption of a message that names none, as the program has always
// shown it.
QString captionOrTitle(const QString &caption)
{
    return caption.isEmpty() ? QStringLiteral("管理系统") : caption;
}

} // namespace

QtPrompt::QtPrompt(QWidget *parent)
    : m_parent(parent), m_programFolder(QCoreApplication::applicationDirPath())
{
}

QWidget *QtPrompt::parentWidget() const
{
    if (m_parent)
        return m_parent;
    return QApplication::activeWindow();
}

void QtPrompt::message(const QString &text, const QString &caption, Kind kind)
{
    const QMessageBox::Icon icon = kind == Kind::Error ? QMessageBox::Critical
        : kind == Kind::Warning                        ? QMessageBox::Warning
                                                       : QMessageBox::Information;
    QMessageBox box(icon, captionOrTitle(caption), text, QMessageBox::Ok, parentWidget());
    box.button(QMessageBox::Ok)->setText(u"确定"_s);
    box.exec();
}

void QtPrompt::failure(const QString &text, const QString &detail, const QString &caption)
{
    QMessageBox box(QMessageBox::Critical, captionOrTitle(caption), text, QMessageBox::Ok,
                    parentWidget());
    box.button(QMessageBox::Ok)->setText(u"确定"_s);
    if (!detail.isEmpty())
        box.setDetailedText(u"原因："_s + detail);
    box.exec();
}

bool QtPrompt::question(const QString &text, const QString &caption)
{
    QMessageBox box(QMessageBox::Question, captionOrTitle(caption), text,
                    QMessageBox::Yes | QMessageBox::No, parentWidget());
    box.button(QMessageBox::Yes)->setText(u"是"_s);
    box.button(QMessageBox::No)->setText(u"否"_s);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

static std::optional<QString> askText(QWidget *parent, const QString &caption, const QString &label,
                                      const QString &defaultText, QLineEdit::EchoMode echo)
{
    QInputDialog dialog(parent);
    dialog.setWindowTitle(captionOrTitle(caption));
    dialog.setLabelText(label);
    dialog.setTextValue(defaultText);
    dialog.setTextEchoMode(echo);
    if (echo == QLineEdit::Password) {
        if (auto *edit = dialog.findChild<QLineEdit *>())
            MaskedInput::setUp(edit);
    }
    dialog.setOkButtonText(u"确定"_s);
    dialog.setCancelButtonText(u"取消"_s);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

std::optional<QString> QtPrompt::input(const QString &caption, const QString &label,
                                       const QString &defaultText)
{
    return askText(parentWidget(), caption, label, defaultText, QLineEdit::Normal);
}

std::optional<QString> QtPrompt::maskedInput(const QString &caption, const QString &label,
                                             const QString &defaultText)
{
    PasswordQuery box(captionOrTitle(caption), label, defaultText, u'*', parentWidget());
    const PasswordQuery::Answer answer = box.ask();
    if (!answer.confirmed)
        return std::nullopt;
    return answer.text;
}

QString QtPrompt::openFile(const QString &caption, const QString &filter, const QString &startPath)
{
    return askFile(false, caption, filter, startPath);
}

QString QtPrompt::saveFile(const QString &caption, const QString &filter, const QString &proposedPath)
{
    return askFile(true, caption, filter, proposedPath);
}

bool QtPrompt::inProgramFolder(const QString &folder) const
{
    const QString program = QDir(m_programFolder).canonicalPath();
    const QString real = QDir(folder).canonicalPath();
    if (program.isEmpty() || real.isEmpty())
        return false;
    return real == program || real.startsWith(program + u'/');
}

std::pair<QString, QString> QtPrompt::startOf(const QString &path) const
{
    const QFileInfo info(path);
    QString folder;
    QString name;
    if (!path.isEmpty() && info.isAbsolute()) {
        folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
        name = info.isDir() ? QString() : info.fileName();
    } else {
        // A bare name would be taken from the working directory, which is
        // the program's folder when it was started from there.
        name = path;
    }
    for (const QString &candidate : {folder, m_lastFolder, QDir::homePath()}) {
        if (!candidate.isEmpty() && QFileInfo(candidate).isDir() && !inProgramFolder(candidate))
            return {candidate, name};
    }
    return {QDir::rootPath(), name};
}

QString QtPrompt::askFile(bool saving, const QString &caption, const QString &filter,
                          const QString &path)
{
    // Outlives the dialog, which only borrows it.
    NameOnlyIconProvider icons;
    QFileDialog dialog(parentWidget(), caption);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setIconProvider(&icons);
    dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(filter);
    dialog.setLabelText(QFileDialog::LookIn, u"查找范围:"_s);
    dialog.setLabelText(QFileDialog::FileName, u"文件名:"_s);
    dialog.setLabelText(QFileDialog::FileType, u"文件类型:"_s);
    dialog.setLabelText(QFileDialog::Accept, saving ? u"保存"_s : u"打开"_s);
    dialog.setLabelText(QFileDialog::Reject, u"取消"_s);
    const auto [folder, name] = startOf(path);
    dialog.setDirectory(folder);
    if (!name.isEmpty())
        dialog.selectFile(name);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString chosen = dialog.selectedFiles().constFirst();
    m_lastFolder = QFileInfo(chosen).absolutePath();
    return chosen;
}
