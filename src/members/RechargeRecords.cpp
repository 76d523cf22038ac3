#include "RechargeRecords.h"

#include "common/Refusal.h"
#include "members/MemberCards.h"

using namespace Qt::StringLiterals;

namespace RechargeRecords {

ListDescription list()
{
    return MemberCards::recharges();
}

ListFilter search(const QString &field, const QString &value,
                  const std::optional<ListFilter::Range> &period)
{
    ListFilter filter;
    if (period)
        filter.ranges.append(*period);
    if (value.isEmpty() && period)
        return filter;
    if (field.isEmpty() || value.isEmpty())
        throw Refusal(u"请输入查询条件!"_s);
    filter.conditions.append({field, ListFilter::Match::Equals, value.trimmed()});
    return filter;
}

} // namespace RechargeRecords
