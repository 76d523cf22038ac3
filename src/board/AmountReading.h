#pragma once

#include "common/Money.h"

#include <QString>
#include <QVariant>

#include <optional>

// Amounts as the board reads them from the database. SQLite keeps whatever
// text was written into a numeric column ("abc", "1e309"), so a value that
// is no amount must neither end the program nor count as 0 unseen: grids
// show it as it is, and a sum refuses it with a message that says where it is.
namespace AmountReading {

// The amount; nothing for NULL, text that is no number, and numbers beyond
// what an amount can hold.
std::optional<Money> tryRead(const QVariant &value);
// NULL and empty text are 0; anything else that is no amount throws DbError
// naming the table, the column and the value.
Money read(const QVariant &value, const QString &table, const QString &column);
// What a grid shows: the shortest form of an amount, otherwise the text as
// stored; empty for NULL.
QString text(const QVariant &value);

} // namespace AmountReading
