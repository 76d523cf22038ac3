#include "MaskedInput.h"

#include <QLineEdit>

namespace MaskedInput {

void setUp(QLineEdit *edit)
{
    edit->setEchoMode(QLineEdit::Password);
    // The style decides the mask character; a style sheet can name it.
    edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
}

} // namespace MaskedInput
