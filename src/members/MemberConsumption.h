#pragma once

#include "lists/ListDescription.h"
#include "lists/ListFilter.h"

#include <QString>

#include <optional>

// The member consumption list: every bill of 结帐管理, walk-in customers'
// included, searched for a value anywhere in one column.
namespace MemberConsumption {

// Every bill with the sums of the amounts received and due.
ListDescription list();

// The column an entry of the field box stands for ("会员姓名" is the bill's
// 顾客姓名); any other text is taken as a column name as typed.
QString column(const QString &entry);

// The value anywhere in the entry's column, untrimmed; nothing when either
// box is empty. The column is checked when the list is read.
std::optional<ListFilter> search(const QString &entry, const QString &value);

} // namespace MemberConsumption
