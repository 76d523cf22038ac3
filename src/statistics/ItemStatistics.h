#pragma once

#include "lists/ListDescription.h"
#include "lists/ListFilter.h"

#include <QDate>
#include <QString>
#include <QStringList>

class Database;

// 营业项目统计: quantity and amount per goods name over the settled lines
// booked between two days, for every type or for one.
namespace ItemStatistics {

// The type choice that counts every line, whatever its type.
inline constexpr auto AllTypes = u"全部";

ListDescription description();
// The days to count, from the first day the shop could have to today.
SearchBar bar();
// The lines booked from the first to the last day (both whole days) and,
// unless the type is AllTypes or empty, of exactly that type.
ListFilter filter(QDate first, QDate last, const QString &type);
// AllTypes, then every goods type.
QStringList typeChoices(Database &database);

} // namespace ItemStatistics
