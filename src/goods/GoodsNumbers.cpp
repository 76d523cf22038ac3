#include "GoodsNumbers.h"

#include "common/Refusal.h"

#include <limits>

using namespace Qt::StringLiterals;

namespace GoodsNumbers {

namespace {

[[noreturn]] void notANumber(const QString &field)
{
    throw Refusal(field + u" 不是有效的数字！"_s);
}

} // namespace

Money amount(const QString &text, const QString &field, Money empty)
{
    if (text.trimmed().isEmpty())
        return empty;
    const std::optional<Money> value = Money::parseEntry(text);
    if (!value)
        notANumber(field);
    return *value;
}

int quantity(const QString &text, const QString &field)
{
    const QString digits = text.trimmed();
    if (digits.isEmpty())
        return 0;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            notANumber(field);
    }
    bool ok = false;
    const qlonglong value = digits.toLongLong(&ok);
    if (!ok || value > std::numeric_limits<int>::max())
        notANumber(field);
    return static_cast<int>(value);
}

} // namespace GoodsNumbers
