#include "QtPrompt.h"

#include "MaskedInput.h"
#include "PasswordQuery.h"

#include <QApplication>
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
    return QFileDialog::getOpenFileName(parentWidget(), caption, startPath, filter);
}

QString QtPrompt::saveFile(const QString &caption, const QString &filter, const QString &proposedPath)
{
    return QFileDialog::getSaveFileName(parentWidget(), caption, proposedPath, filter);
}
