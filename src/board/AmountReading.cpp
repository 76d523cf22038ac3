#include "AmountReading.h"

#include "db/DbError.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace AmountReading {

std::optional<Money> tryRead(const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return std::nullopt;
    // Money would round an infinite or enormous double to garbage.
    if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float) {
        const double number = value.toDouble();
        if (!std::isfinite(number) || std::fabs(number) >= 9.0e14)
            return std::nullopt;
        return Money::tryFromVariant(value);
    }
    if (value.typeId() == QMetaType::QString || value.typeId() == QMetaType::QByteArray) {
        const QString stored = value.toString().trimmed();
        if (const auto amount = Money::parse(stored))
            return amount;
        // Exponent forms ("1e-05") come from floating values written as text.
        bool ok = false;
        const double number = stored.toDouble(&ok);
        if (!ok)
            return std::nullopt;
        return tryRead(QVariant(number));
    }
    return Money::tryFromVariant(value);
}

Money read(const QVariant &value, const QString &table, const QString &column)
{
    if (value.isNull() || !value.isValid())
        return {};
    if (value.typeId() == QMetaType::QString && value.toString().trimmed().isEmpty())
        return {};
    if (const auto amount = tryRead(value))
        return *amount;
    throw DbError(u"表 "_s + table + u" 的列 "_s + column + u" 中有不是数值的内容: "_s
                  + value.toString());
}

QString text(const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return {};
    if (const auto amount = tryRead(value))
        return amount->toString();
    return value.toString();
}

} // namespace AmountReading
