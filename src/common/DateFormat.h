#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>

// The date forms the program stores and shows.
namespace DateFormat {

inline constexpr auto DateTimePattern = u"yyyy-MM-dd hh:mm:ss";
inline constexpr auto DatePattern = u"yyyy-MM-dd";

// "2024-03-01 08:00:00"
QString dateTimeText(const QDateTime &moment);
// "2024-03-01"
QString dateText(const QDate &day);
// Reads a stored date-time: a QDateTime (PostgreSQL) or its text (SQLite).
// NULL or unreadable gives an invalid QDateTime.
QDateTime fromVariant(const QVariant &value);
// Elapsed time as the board shows it: "hh:mm:ss" of the time of day part
// only, so 26 hours read 02:00:00.
QString elapsedClock(const QDateTime &from, const QDateTime &to);

} // namespace DateFormat
