#include "PasswordQuery.h"

#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QScreen>

using namespace Qt::StringLiterals;

PasswordQuery::PasswordQuery(const QString &caption, const QString &prompt,
                             const QString &defaultText, QChar mask, QWidget *parent)
    : QInputDialog(parent)
    , m_defaultText(defaultText)
{
    setWindowTitle(caption);
    setLabelText(prompt);
    setOkButtonText(u"OK"_s);
    setCancelButtonText(u"Cancel"_s);
    setTextValue(defaultText);
    if (!mask.isNull()) {
        setTextEchoMode(QLineEdit::Password);
        // The style decides the mask character unless a style sheet names it.
        entry()->setStyleSheet(u"lineedit-password-character: %1"_s.arg(mask.unicode()));
    }
    entry()->setMaxLength(255);
    entry()->setMinimumWidth(240);
    for (QLabel *label : findChildren<QLabel *>())
        label->setWordWrap(true);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

PasswordQuery::Answer PasswordQuery::ask()
{
    if (exec() == QDialog::Accepted)
        return {true, textValue()};
    return {false, m_defaultText};
}

QLineEdit *PasswordQuery::entry() const
{
    return findChild<QLineEdit *>();
}

void PasswordQuery::showEvent(QShowEvent *event)
{
    QInputDialog::showEvent(event);
    if (const QScreen *shown = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(shown->availableGeometry().center());
        move(frame.topLeft());
    }
    entry()->selectAll();
    entry()->setFocus();
}
