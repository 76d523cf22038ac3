#pragma once

#include <QString>

// How a cell's value reads as text in both workbook formats, so that an
// .xls and an .xlsx holding the same sheet read alike.
namespace ExcelCellText {

enum class DateKind { Date, DateTime, Time };

// The usual text form of a number: "1", not "1.0"; "12.5"; at most 15
// significant digits, as Excel shows them (0.1+0.2 reads "0.3"); never an
// exponent between 1e-15 and 1e21.
QString number(double value);

// A date serial number (days since the workbook's epoch, the fraction the
// time of day) as "yyyy-MM-dd", "yyyy-MM-dd hh:mm:ss" or "hh:mm:ss";
// seconds are rounded. Empty when the serial is no date (negative, or
// beyond the year 9999).
QString date(double serial, DateKind kind, bool epoch1904);

} // namespace ExcelCellText
