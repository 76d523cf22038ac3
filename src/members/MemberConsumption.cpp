#include "MemberConsumption.h"

using namespace Qt::StringLiterals;

namespace MemberConsumption {

ListDescription list()
{
    const auto column = [](const QString &name,
                           ListColumn::Footer footer = ListColumn::Footer::None) {
        return ListColumn{name, name, footer};
    };
    SearchBar bar;
    bar.fields = SearchBar::fieldsOf({u"会员卡号"_s, u"会员姓名"_s, u"营业员"_s, u"状态"_s},
                                     ListFilter::Match::Contains);
    // The bill keeps the member's name as its customer's.
    bar.fields[1].column = u"顾客姓名"_s;
    bar.match = ListFilter::Match::Contains;
    bar.matchLabel = u"中包含"_s;
    bar.incomplete = SearchBar::Incomplete::Ignored;
    bar.buttons = {{u"查询"_s, QString::fromUtf16(SearchBar::Search)},
                   {u"打印"_s, u"print"_s},
                   {u"退出"_s, u"exit"_s}};
    return {u"结帐管理"_s,
            u"select * from 结帐管理"_s,
            u"order by id"_s,
            {column(u"id"_s), column(u"单据号"_s), column(u"号牌"_s), column(u"进店时间"_s),
             column(u"离店时间"_s), column(u"实收金额"_s, ListColumn::Footer::Sum),
             column(u"应收金额"_s, ListColumn::Footer::Sum), column(u"结帐方式"_s),
             column(u"状态"_s), column(u"结帐时间"_s), column(u"会员卡号"_s),
             column(u"顾客姓名"_s), column(u"营业员"_s), column(u"备注"_s)},
            {},
            bar};
}

QString column(const QString &entry)
{
    return list().bar->column(entry);
}

std::optional<ListFilter> search(const QString &entry, const QString &value)
{
    return list().bar->filter({entry, value});
}

} // namespace MemberConsumption
