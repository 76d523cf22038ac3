#include "Money.h"

#include <cmath>
#include <stdexcept>

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

} // namespace

std::optional<Money> Money::parse(QStringView text)
{
    text = text.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    bool negative = false;
    if (text.front() == u'-' || text.front() == u'+') {
        negative = text.front() == u'-';
        text = text.mid(1);
    }
    const qsizetype dot = text.indexOf(u'.');
    const QStringView whole = dot < 0 ? text : text.left(dot);
    const QStringView fraction = dot < 0 ? QStringView() : text.mid(dot + 1);
    if (whole.isEmpty() && fraction.isEmpty())
        return std::nullopt;
    if (whole.size() > 14)
        return std::nullopt;

    Int128 units = 0;
    for (QChar c : whole) {
        if (!c.isDigit() || c.unicode() > 127)
            return std::nullopt;
        units = units * 10 + (c.unicode() - u'0');
    }
    // Keep every fractional digit, then round once to four places.
    Int128 fractionValue = 0;
    Int128 fractionScale = 1;
    for (QChar c : fraction) {
        if (!c.isDigit() || c.unicode() > 127)
            return std::nullopt;
        if (fractionScale < Int128(1'000'000'000'000'000'000LL)) {
            fractionValue = fractionValue * 10 + (c.unicode() - u'0');
            fractionScale *= 10;
        }
    }
    Int128 total = units * Scale;
    if (fractionScale <= Scale)
        total += fractionValue * (Scale / fractionScale);
    else
        total += divideHalfEven(fractionValue, fractionScale / Scale);
    if (negative)
        total = -total;
    return Money(static_cast<std::int64_t>(total));
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
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return fromInt(value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        // SQLite hands back REAL; the stored value was meant to have at most
        // four decimals, so the nearest ten-thousandth is the exact amount.
        return Money(static_cast<std::int64_t>(std::llround(value.toDouble() * Scale)));
    default:
        break;
    }
    if (value.typeId() == qMetaTypeId<Money>())
        return value.value<Money>();
    const QString text = value.toString();
    if (const auto parsed = parse(text))
        return parsed;
    // Exponent forms such as "1e-05" only come from floating values.
    bool ok = false;
    const double d = text.trimmed().toDouble(&ok);
    if (ok)
        return Money(static_cast<std::int64_t>(std::llround(d * Scale)));
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
    return Money(static_cast<std::int64_t>(divideHalfEven(product, Scale)));
}
