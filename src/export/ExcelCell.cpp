#include "ExcelCell.h"

#include "common/Money.h"

#include <QDateTime>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// Excel keeps 15 significant digits; a longer integer (a card number held
// as a number) would lose its last digits, so it goes in as text.
constexpr qint64 LargestExactInteger = 999'999'999'999'999LL;

// Excel counts days from 1900; earlier or later dates cannot be cells.
bool excelCanHold(QDate date)
{
    return date.isValid() && date.year() >= 1900 && date.year() <= 9999;
}

int digitAt(QStringView text, qsizetype at)
{
    const char16_t c = text[at].unicode();
    return c >= u'0' && c <= u'9' ? c - u'0' : -1;
}

// Reads `count` digits at `at`; -1 when one of them is not a digit.
int numberAt(QStringView text, qsizetype at, int count)
{
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const int digit = digitAt(text, at + i);
        if (digit < 0)
            return -1;
        value = value * 10 + digit;
    }
    return value;
}

// SQLite keeps date-times as text. Exactly "yyyy-MM-dd" or
// "yyyy-MM-dd hh:mm:ss" counts as a date; this runs for every text cell, so
// it checks the shape by hand before building anything.
bool readDateText(QStringView text, QDate *date, QTime *time)
{
    if (text.size() != 10 && text.size() != 19)
        return false;
    if (text[4] != u'-' || text[7] != u'-')
        return false;
    const QDate day(numberAt(text, 0, 4), numberAt(text, 5, 2), numberAt(text, 8, 2));
    if (!day.isValid())
        return false;
    QTime clock;
    if (text.size() == 19) {
        if (text[10] != u' ' || text[13] != u':' || text[16] != u':')
            return false;
        const int hour = numberAt(text, 11, 2);
        const int minute = numberAt(text, 14, 2);
        const int second = numberAt(text, 17, 2);
        if (!QTime::isValid(hour, minute, second))
            return false;
        clock = QTime(hour, minute, second);
    }
    *date = day;
    *time = clock;
    return true;
}

int integerWidth(qint64 value)
{
    int width = value < 0 ? 2 : 1;
    for (qint64 rest = value / 10; rest != 0; rest /= 10)
        ++width;
    return width;
}

ExcelCell textCell(QString text)
{
    ExcelCell cell;
    if (text.isEmpty())
        return cell;
    // Longer texts are refused by Excel.
    constexpr qsizetype MaxCellText = 32767;
    if (text.size() > MaxCellText)
        text.truncate(MaxCellText);
    cell.kind = ExcelCell::Kind::Text;
    cell.width = ExcelCell::displayWidth(text);
    cell.text = std::move(text);
    return cell;
}

ExcelCell integerCell(qint64 value)
{
    if (value > LargestExactInteger || value < -LargestExactInteger)
        return textCell(QString::number(value));
    ExcelCell cell;
    cell.kind = ExcelCell::Kind::Number;
    cell.number = static_cast<double>(value);
    cell.width = integerWidth(value);
    return cell;
}

ExcelCell amountCell(Money amount)
{
    ExcelCell cell;
    cell.kind = ExcelCell::Kind::Number;
    cell.number = amount.toDouble();
    cell.width = static_cast<int>(amount.toString().size());
    return cell;
}

ExcelCell dateCell(QDate date, QTime time, bool withTime)
{
    ExcelCell cell;
    cell.kind = withTime ? ExcelCell::Kind::DateTime : ExcelCell::Kind::Date;
    cell.date = date;
    cell.time = withTime ? time : QTime();
    cell.width = withTime ? 19 : 10;
    return cell;
}

} // namespace

int ExcelCell::displayWidth(QStringView text)
{
    int widest = 0;
    int width = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\n') {
            widest = std::max(widest, width);
            width = 0;
        } else if (c.isLowSurrogate()) {
            // counted with its high half
        } else if (c.isHighSurrogate() || (u >= 0x1100 && u <= 0x115F) || u >= 0x2E80) {
            // CJK, Hangul, fullwidth forms and the supplementary ideographs
            // take two columns.
            width += 2;
        } else {
            width += 1;
        }
    }
    return std::max(widest, width);
}

ExcelCell ExcelCell::from(const QVariant &value, bool numericColumn)
{
    if (!value.isValid() || value.isNull())
        return {};

    switch (value.typeId()) {
    case QMetaType::Bool: {
        ExcelCell cell;
        cell.kind = Kind::Boolean;
        cell.boolean = value.toBool();
        cell.width = cell.boolean ? 4 : 5;
        return cell;
    }
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
        return integerCell(value.toLongLong());
    case QMetaType::ULong:
    case QMetaType::ULongLong: {
        const qulonglong unsignedValue = value.toULongLong();
        if (unsignedValue > static_cast<qulonglong>(LargestExactInteger))
            return textCell(QString::number(unsignedValue));
        return integerCell(static_cast<qint64>(unsignedValue));
    }
    case QMetaType::Float:
    case QMetaType::Double: {
        const double number = value.toDouble();
        if (!std::isfinite(number))
            return textCell(value.toString());
        ExcelCell cell;
        cell.kind = Kind::Number;
        cell.number = number;
        cell.width = static_cast<int>(QString::number(number, 'g', 15).size());
        return cell;
    }
    case QMetaType::QDate: {
        const QDate date = value.toDate();
        return excelCanHold(date) ? dateCell(date, {}, false) : textCell(value.toString());
    }
    case QMetaType::QDateTime: {
        const QDateTime moment = value.toDateTime();
        if (!moment.isValid())
            return {};
        if (!excelCanHold(moment.date()))
            return textCell(moment.toString(u"yyyy-MM-dd hh:mm:ss"_s));
        return dateCell(moment.date(), moment.time(), true);
    }
    case QMetaType::QTime: {
        const QTime time = value.toTime();
        if (!time.isValid())
            return {};
        ExcelCell cell;
        cell.kind = Kind::Time;
        cell.time = time;
        cell.width = 8;
        return cell;
    }
    default:
        break;
    }

    if (value.typeId() == qMetaTypeId<Money>())
        return amountCell(value.value<Money>());

    QString text = value.toString();
    if (numericColumn) {
        if (const auto amount = Money::parse(text))
            return amountCell(*amount);
    }
    QDate date;
    QTime time;
    if (readDateText(text, &date, &time) && excelCanHold(date))
        return dateCell(date, time, text.size() == 19);
    return textCell(std::move(text));
}
