#pragma once

class QLineEdit;

namespace MaskedInput {

// Shows "*" for every typed character, as the password boxes always have.
void setUp(QLineEdit *edit);

} // namespace MaskedInput
