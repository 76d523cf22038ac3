#include "Amounts.h"

#include "DbError.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// Money counts ten-thousandths in 64 bits: about ±9.2e14 whole units. A
// double past this is refused here; one below it is left to Money, which
// takes exactly what its count holds.
constexpr double Largest = 1e15;

// A finite number, however large: what is past Money's count is then "out
// of range" rather than "no number".
bool isFiniteNumber(const QVariant &value)
{
    bool isNumber = false;
    const double number = value.typeId() == QMetaType::QString
        ? value.toString().trimmed().toDouble(&isNumber)
        : value.toDouble(&isNumber);
    return isNumber && std::isfinite(number);
}

} // namespace

std::optional<Money> tryReadAmount(const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return std::nullopt;
    if (value.typeId() == qMetaTypeId<Money>())
        return value.value<Money>();
    // Whatever reads as a floating number must be a finite one within range
    // before Money rounds it; text that does not read as one is left to
    // Money, which refuses it.
    bool isNumber = false;
    const double number = value.typeId() == QMetaType::QString
        ? value.toString().trimmed().toDouble(&isNumber)
        : value.toDouble(&isNumber);
    if (isNumber && (!std::isfinite(number) || std::fabs(number) >= Largest))
        return std::nullopt;
    if (!isNumber && value.typeId() == QMetaType::QString) {
        // "nan", "inf" and overflowing exponents do not read as numbers
        // here; Money would still take some of them.
        const QString text = value.toString().trimmed();
        if (!Money::parse(text))
            return std::nullopt;
    }
    return Money::tryFromVariant(value);
}

Money readAmount(const QVariant &value, const QString &table, const QString &column)
{
    if (value.isNull() || !value.isValid())
        return {};
    if (value.typeId() == QMetaType::QString && value.toString().trimmed().isEmpty())
        return {};
    if (const auto amount = tryReadAmount(value))
        return *amount;
    QString shown = value.toString();
    if (shown.size() > 40)
        shown = shown.left(40) + u'…';
    if (isFiniteNumber(value))
        throw DbError(u"表 %1 的字段 %2 中的值 \"%3\" %4"_s.arg(table, column, shown,
                                                              QString::fromUtf16(Money::OutOfRange)));
    throw DbError(u"表 %1 的字段 %2 中的值 \"%3\" 不是数字"_s.arg(table, column, shown));
}

QString amountText(const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return {};
    if (const auto amount = tryReadAmount(value))
        return amount->toString();
    return value.toString();
}
