#include "BillSearch.h"

using namespace Qt::StringLiterals;

ListFilter BillSearch::filter() const
{
    ListFilter filter;
    filter.conditions.append({u"单据号"_s, ListFilter::Match::Differs, u"linshi"_s});
    if (!field.isEmpty() && !value.isEmpty())
        filter.conditions.append({field, ListFilter::Match::Contains, value});
    filter.ranges.append(ListFilter::upTo(u"结帐时间"_s, from, to));
    if (!method.isEmpty())
        filter.conditions.append({u"结帐方式"_s, ListFilter::Match::Equals, method});
    if (!state.isEmpty())
        filter.conditions.append({u"状态"_s, ListFilter::Match::Equals, state});
    return filter;
}

ListDescription BillSearch::list()
{
    using Footer = ListColumn::Footer;
    const auto column = [](const QString &name, Footer footer = Footer::None) {
        return ListColumn{name, name, footer};
    };
    // The id breaks ties between bills of the same second, so the pages the
    // grid reads as it scrolls neither repeat nor skip a bill.
    return {u"结帐管理"_s,
            u"select * from 结帐管理"_s,
            u"order by 结帐时间 desc, id desc"_s,
            {column(u"id"_s, Footer::Count), column(u"单据号"_s), column(u"号牌"_s),
             column(u"进店时间"_s), column(u"实收金额"_s, Footer::Sum),
             column(u"卡内扣除"_s, Footer::Sum), column(u"应收金额"_s, Footer::Sum),
             column(u"结帐方式"_s), column(u"状态"_s), column(u"结帐时间"_s),
             column(u"顾客姓名"_s), column(u"营业员"_s), column(u"备注"_s)}};
}

ListReport BillSearch::report()
{
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    ListReport report;
    report.addColumn({u"ID编号"_s, u"id"_s, 0.7});
    report.addColumn({u"单据号"_s, u"单据号"_s, 1.6});
    report.addColumn({u"会员卡号"_s, u"会员卡号"_s, 1.1});
    report.addColumn({u"顾客姓名"_s, u"顾客姓名"_s, 1.1});
    report.addColumn({u"消费金额"_s, u"应收金额"_s, 1, right});
    report.addColumn({u"实收金额"_s, u"实收金额"_s, 1, right});
    report.addColumn({u"营业员"_s, u"营业员"_s, 1});
    report.addClosingLine(u"[DATE] [TIME]    应收金额:[SUM(应收金额)]    实收金额:[SUM(实收金额)]"_s);
    return report;
}

QStringList BillSearch::fields()
{
    return {u"单据号"_s, u"号牌"_s, u"备注"_s, u"顾客姓名"_s, u"营业员"_s};
}

QStringList BillSearch::paymentMethods()
{
    return {u"现金支付"_s, u"卡内扣除"_s, u"银行卡"_s, u"支票"_s, u"欠款"_s,
            u"金卡"_s, u"签单"_s, u"翡翠卡"_s, u"挂房帐"_s};
}

QStringList BillSearch::states()
{
    return {u"已结"_s, u"免单"_s};
}
