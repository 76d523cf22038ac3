#include "Money.h"

#include "Refusal.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

// GCC and Clang both have it; -pedantic wants it said out loud.
__extension__ typedef __int128 Int128;

// Divides with rounding half to even; divisor > 0.
Int128 divideHalfEven(Int128 value, Int128 divisor)
{
    Int128 quotient = value / divisor;
    Int128 remainder = value % divisor;
    if (remainder < 0) {
        remainder += divisor;
        quotient -= 1;
    }
    const Int128 twice = remainder * 2;
    if (twice > divisor || (twice == divisor && (quotient % 2 != 0)))
        quotient += 1;
    return quotient;
}

bool fitsCount(Int128 units)
{
    return units >= std::numeric_limits<std::int64_t>::min()
        && units <= std::numeric_limits<std::int64_t>::max();
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// "2.5e-3" → "0.0025", digit for digit, so that the decimal the text states
// is rounded and not a binary neighbour of it. Nothing when it is not a
// number with an exponent. A huge exponent gives more whole digits than an
// amount may have, so parse() refuses it.
std::optional<QString> withoutExponent(QStringView text)
{
    text = text.trimmed();
    const qsizetype e = text.indexOf(u'e', 0, Qt::CaseInsensitive);
    if (e < 0)
        return std::nullopt;
    QStringView mantissa = text.left(e);
    QStringView exponentText = text.mid(e + 1);

    QString sign;
    if (!mantissa.isEmpty() && (mantissa.front() == u'-' || mantissa.front() == u'+')) {
        if (mantissa.front() == u'-')
            sign = u"-"_s;
        mantissa = mantissa.mid(1);
    }
    QString digits;
    qsizetype point = -1;
    for (QChar c : mantissa) {
        if (c == u'.' && point < 0)
            point = digits.size();
        else if (isAsciiDigit(c))
            digits += c;
        else
            return std::nullopt;
    }
    if (digits.isEmpty())
        return std::nullopt;
    if (point < 0)
        point = digits.size();

    bool negativeExponent = false;
    if (!exponentText.isEmpty() && (exponentText.front() == u'-' || exponentText.front() == u'+')) {
        negativeExponent = exponentText.front() == u'-';
        exponentText = exponentText.mid(1);
    }
    if (exponentText.isEmpty())
        return std::nullopt;
    qint64 exponent = 0;
    for (QChar c : exponentText) {
        if (!isAsciiDigit(c))
            return std::nullopt;
        // Anything past a few hundred is far outside every amount anyway.
        exponent = std::min<qint64>(exponent * 10 + (c.unicode() - u'0'), 1000);
    }
    if (negativeExponent)
        exponent = -exponent;

    // Leading zeros say nothing and must not count as whole digits.
    while (digits.size() > 1 && digits.front() == u'0') {
        digits.remove(0, 1);
        --point;
    }
    if (digits == u"0"_s)
        return u"0"_s;

    const qint64 shifted = point + exponent;
    if (shifted <= 0)
        return sign + u"0."_s + QString(-shifted, u'0') + digits;
    if (shifted >= digits.size())
        return sign + digits + QString(shifted - digits.size(), u'0');
    return sign + digits.left(shifted) + u'.' + digits.mid(shifted);
}

enum class Reading { Amount, TooLarge, NotANumber };

// Plain decimal text ("-12.5", " +7 ", ".25") as ten-thousandths, rounded
// half to even past four decimals. TooLarge for a number the 64-bit count
// cannot hold, whatever its length.
Reading readDecimal(QStringView text, Int128 &total)
{
    text = text.trimmed();
    if (text.isEmpty())
        return Reading::NotANumber;
    bool negative = false;
    if (text.front() == u'-' || text.front() == u'+') {
        negative = text.front() == u'-';
        text = text.mid(1);
    }
    const qsizetype dot = text.indexOf(u'.');
    QStringView whole = dot < 0 ? text : text.left(dot);
    const QStringView fraction = dot < 0 ? QStringView() : text.mid(dot + 1);
    if (whole.isEmpty() && fraction.isEmpty())
        return Reading::NotANumber;
    for (QChar c : whole) {
        if (!isAsciiDigit(c))
            return Reading::NotANumber;
    }
    for (QChar c : fraction) {
        if (!isAsciiDigit(c))
            return Reading::NotANumber;
    }
    while (!whole.isEmpty() && whole.front() == u'0')
        whole = whole.mid(1);
    // Far more than the count holds, and still far from what 128 bits hold.
    if (whole.size() > 20)
        return Reading::TooLarge;

    Int128 units = 0;
    for (QChar c : whole)
        units = units * 10 + (c.unicode() - u'0');
    // Keep every fractional digit, then round once to four places.
    Int128 fractionValue = 0;
    Int128 fractionScale = 1;
    for (QChar c : fraction) {
        if (fractionScale < Int128(1'000'000'000'000'000'000LL)) {
            fractionValue = fractionValue * 10 + (c.unicode() - u'0');
            fractionScale *= 10;
        }
    }
    const Int128 scale = Money::Scale;
    Int128 result = units * scale;
    if (fractionScale <= scale)
        result += fractionValue * (scale / fractionScale);
    else
        result += divideHalfEven(fractionValue, fractionScale / scale);
    if (negative)
        result = -result;
    if (!fitsCount(result))
        return Reading::TooLarge;
    total = result;
    return Reading::Amount;
}

} // namespace

void Money::outOfRange()
{
    throw Refusal(QString::fromUtf16(OutOfRange));
}

std::optional<Money> Money::parse(QStringView text)
{
    Int128 total = 0;
    if (readDecimal(text, total) != Reading::Amount)
        return std::nullopt;
    return Money(static_cast<std::int64_t>(total));
}

std::optional<Money> Money::parseEntry(QStringView text)
{
    Int128 total = 0;
    Reading reading = readDecimal(text, total);
    if (reading == Reading::NotANumber) {
        // An exponent form is no amount here either; it is read only to
        // tell a huge number ("1e+21", as a sheet writes one) from no number.
        const std::optional<QString> plain = withoutExponent(text);
        if (!plain)
            return std::nullopt;
        reading = readDecimal(*plain, total);
        const bool huge = reading == Reading::TooLarge
            || (reading == Reading::Amount && !Money(static_cast<std::int64_t>(total)).inRange());
        if (!huge)
            return std::nullopt;
        outOfRange();
    }
    if (reading == Reading::TooLarge)
        outOfRange();
    return Money(static_cast<std::int64_t>(total)).withinRange();
}

Money Money::withinRange() const
{
    if (!inRange())
        outOfRange();
    return *this;
}

Money Money::fromText(QStringView text)
{
    if (const auto value = parse(text))
        return *value;
    throw std::invalid_argument("not an amount: " + text.toString().toStdString());
}

std::optional<Money> Money::tryFromVariant(const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return std::nullopt;
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong: {
        std::int64_t units = 0;
        if (__builtin_mul_overflow(value.toLongLong(), Scale, &units))
            return std::nullopt;
        return Money(units);
    }
    case QMetaType::UInt:
    case QMetaType::ULongLong: {
        std::int64_t units = 0;
        if (__builtin_mul_overflow(value.toULongLong(), Scale, &units))
            return std::nullopt;
        return Money(units);
    }
    case QMetaType::Double:
    case QMetaType::Float: {
        // SQLite hands back REAL for a value that was written as a decimal
        // text. The shortest text that reads back as the same double is that
        // decimal ("2.00005", where the double itself lies a hair above or
        // below it), so rounding the text half to even treats a stored tie
        // the way the same amount as text would be treated.
        const double number = value.toDouble();
        if (!std::isfinite(number))
            return std::nullopt;
        const QString text = QString::number(number, 'g', QLocale::FloatingPointShortest);
        if (const auto plain = withoutExponent(text))
            return parse(*plain);
        return parse(text);
    }
    default:
        break;
    }
    if (value.typeId() == qMetaTypeId<Money>())
        return value.value<Money>();
    const QString text = value.toString();
    if (const auto parsed = parse(text))
        return parsed;
    // Exponent forms such as "1e-05" only come from floating values.
    if (const auto plain = withoutExponent(text))
        return parse(*plain);
    return std::nullopt;
}

Money Money::fromVariant(const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return {};
    if (value.typeId() == QMetaType::QString && value.toString().isEmpty())
        return {};
    if (const auto amount = tryFromVariant(value))
        return *amount;
    throw std::invalid_argument("not an amount: " + value.toString().toStdString());
}

QString Money::toString() const
{
    const bool negative = m_units < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(m_units)
                                             : static_cast<std::uint64_t>(m_units);
    QString text = QString::number(magnitude / Scale);
    std::uint64_t fraction = magnitude % Scale;
    if (fraction != 0) {
        QString digits = QString::number(fraction).rightJustified(4, u'0');
        while (digits.endsWith(u'0'))
            digits.chop(1);
        text += u'.' + digits;
    }
    return negative ? u'-' + text : text;
}

std::int64_t Money::roundedWhole() const
{
    return static_cast<std::int64_t>(divideHalfEven(m_units, Scale));
}

QString Money::toFixed2() const
{
    // Two decimals, rounded half to even like every other rounding here.
    const auto hundredths = static_cast<std::int64_t>(divideHalfEven(m_units, 100));
    const bool negative = hundredths < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(hundredths)
                                             : static_cast<std::uint64_t>(hundredths);
    const QString text = QString::number(magnitude / 100) + u'.'
        + QString::number(magnitude % 100).rightJustified(2, u'0');
    return negative ? u'-' + text : text;
}

Money Money::operator*(Money factor) const
{
    const Int128 product = Int128(m_units) * factor.m_units;
    const Int128 rounded = divideHalfEven(product, Scale);
    if (!fitsCount(rounded))
        outOfRange();
    return Money(static_cast<std::int64_t>(rounded));
}
