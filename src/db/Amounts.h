#pragma once

#include "common/Money.h"

#include <QString>
#include <QVariant>

#include <optional>

// Amounts as the database hands them over. SQLite keeps whatever was
// written into a numeric column, text such as "abc" included, and REAL
// values beyond any amount (1e309 reads back as infinity); PostgreSQL's
// numeric knows NaN.

// The amount, or nothing for NULL and for what is not a usable number:
// text, infinities, NaN, and values beyond what Money holds.
std::optional<Money> tryReadAmount(const QVariant &value);

// For logic that computes with a stored amount: NULL and empty text are 0,
// as Money::fromVariant reads them; anything else that is not a number
// throws DbError naming the table, the column and the value, and saying
// "不是数字", or "金额超出范围" for a number past what Money holds.
Money readAmount(const QVariant &value, const QString &table, const QString &column);

// What a grid shows: the shortest form of an amount, otherwise the value as
// stored; empty for NULL.
QString amountText(const QVariant &value);
