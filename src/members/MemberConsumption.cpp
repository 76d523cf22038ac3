#include "MemberConsumption.h"

using namespace Qt::StringLiterals;

namespace MemberConsumption {

ListDescription list()
{
    const auto column = [](const QString &name,
                           ListColumn::Footer footer = ListColumn::Footer::None) {
        return ListColumn{name, name, footer};
    };
    return {u"结帐管理"_s,
            u"select * from 结帐管理"_s,
            u"order by id"_s,
            {column(u"id"_s), column(u"单据号"_s), column(u"号牌"_s), column(u"进店时间"_s),
             column(u"离店时间"_s), column(u"实收金额"_s, ListColumn::Footer::Sum),
             column(u"应收金额"_s, ListColumn::Footer::Sum), column(u"结帐方式"_s),
             column(u"状态"_s), column(u"结帐时间"_s), column(u"会员卡号"_s),
             column(u"顾客姓名"_s), column(u"营业员"_s), column(u"备注"_s)}};
}

QString column(const QString &entry)
{
    if (entry == u"会员姓名")
        return u"顾客姓名"_s;
    return entry;
}

std::optional<ListFilter> search(const QString &entry, const QString &value)
{
    if (entry.isEmpty() || value.isEmpty())
        return std::nullopt;
    ListFilter filter;
    filter.conditions.append({column(entry), ListFilter::Match::Contains, value});
    return filter;
}

} // namespace MemberConsumption
