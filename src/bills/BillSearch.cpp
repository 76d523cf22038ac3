#include "BillSearch.h"

using namespace Qt::StringLiterals;

ListFilter BillSearch::filter() const
{
    SearchBar::Input input{field, value, true, true, from, to, {method, state}};
    return *bar().filter(input);
}

SearchBar BillSearch::bar()
{
    SearchBar bar;
    for (const QString &field : fields())
        bar.fields.append({field, field, ListFilter::Match::Contains});
    bar.firstField = u"顾客姓名"_s;
    bar.match = ListFilter::Match::Contains;
    bar.matchLabel = u"等于"_s;
    // From the first bill the shop could have to the end of tomorrow.
    bar.range = SearchBar::Range{u"结帐时间"_s, {0, QDate(2000, 1, 1)}, {1}};
    bar.range->withTimes = true;
    bar.tickLists = {{u"结帐方式"_s, u"结帐方式"_s, paymentMethods()},
                     {u"状态"_s, u"状态"_s, states()}};
    bar.always = {{u"单据号"_s, ListFilter::Match::Differs, u"linshi"_s}};
    bar.buttons = {{u"查询"_s, QString::fromUtf16(SearchBar::Search)},
                   {u"打印"_s, u"print"_s},
                   {u"退出"_s, u"exit"_s},
                   {u"Excel"_s, u"excel"_s},
                   {u"显示明细"_s, u"detail"_s}};
    // The filter on one line, the buttons under it: on one line the value
    // box had no room left on a 1280-pixel screen.
    bar.layout = SearchBar::Layout::ButtonsBelow;
    return bar;
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
             column(u"顾客姓名"_s), column(u"营业员"_s), column(u"备注"_s)},
            {},
            bar()};
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
