#pragma once

class QLineEdit;

// The key filters of the goods screens' number boxes.
namespace GoodsInput {

// Digits only: codes and quantities.
void digitsOnly(QLineEdit *edit);
// Digits and one point: prices and commissions.
void amountOnly(QLineEdit *edit);
// A stock figure as the edit screen may set it: sales can leave it
// negative or fractional.
void stockOnly(QLineEdit *edit);

} // namespace GoodsInput
