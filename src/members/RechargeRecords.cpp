#include "RechargeRecords.h"

#include "common/Refusal.h"

using namespace Qt::StringLiterals;

namespace RechargeRecords {

ListDescription list()
{
    const auto column = [](const QString &name,
                           ListColumn::Footer footer = ListColumn::Footer::None) {
        return ListColumn{name, name, footer};
    };
    return {u"会员充值"_s,
            u"select * from 会员充值"_s,
            // The order the rows were written in; a stable order also keeps
            // the pages of a long list from overlapping.
            u"order by id"_s,
            {column(u"会员卡号"_s, ListColumn::Footer::Count), column(u"会员姓名"_s),
             column(u"会员类型"_s), column(u"充值金额"_s, ListColumn::Footer::Sum),
             column(u"奖励金额"_s), column(u"充值日期"_s), column(u"id"_s), column(u"备注"_s),
             column(u"营业员"_s)}};
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
