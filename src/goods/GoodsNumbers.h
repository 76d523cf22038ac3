#pragma once

#include "common/Money.h"

#include <QString>

// Reading the number boxes of the goods screens. The key filters keep out
// letters, but not a second point or a lone "."; such a box is refused with
// "<field> 不是有效的数字！" before anything is written, and a number past the
// amount range with Money::OutOfRange.
namespace GoodsNumbers {

// An amount or a stock figure; an empty box reads as `empty`.
Money amount(const QString &text, const QString &field, Money empty = Money());
// A whole quantity for 进货表.数量 (an integer column): digits only, at
// most 2147483647; an empty box reads as 0.
int quantity(const QString &text, const QString &field);

} // namespace GoodsNumbers
