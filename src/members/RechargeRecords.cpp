#include "RechargeRecords.h"

#include "common/Refusal.h"
#include "members/MemberCards.h"

using namespace Qt::StringLiterals;

namespace RechargeRecords {

ListDescription list()
{
    ListDescription list = MemberCards::recharges();
    SearchBar bar;
    bar.fields = SearchBar::fieldsOf({u"会员姓名"_s, u"会员类型"_s, u"备注"_s, u"营业员"_s},
                                     ListFilter::Match::Equals);
    bar.firstField = u"会员卡号"_s;
    bar.value = SearchBar::Value::Trimmed;
    bar.incomplete = SearchBar::Incomplete::Refused;
    bar.incompleteText = u"请输入查询条件!"_s;
    // Whole days, or to the second with "按时间" ticked as well.
    bar.range = SearchBar::Range{u"充值日期"_s, {}, {}, QString()};
    bar.range->tick = u"充值日期从"_s;
    bar.range->withTimes = true;
    bar.range->timeTick = u"按时间"_s;
    bar.buttons = {{u"查询"_s, QString::fromUtf16(SearchBar::Search)}, {u"返回"_s, u"exit"_s}};
    bar.layout = SearchBar::Layout::RangeBelow;
    bar.nothingFound = u"没有符合条件的记录!"_s;
    list.bar = bar;
    return list;
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
