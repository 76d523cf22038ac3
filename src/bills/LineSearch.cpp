#include "LineSearch.h"

#include "db/Amounts.h"
#include "db/Database.h"
#include "stores/BillStore.h"

#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace {

ListColumn column(const QString &name, ListColumn::Footer footer = ListColumn::Footer::None)
{
    return ListColumn{name, name, footer};
}

} // namespace

ListFilter LineSearch::filter() const
{
    return *bar().filter({field, value, byTime, true, from, to});
}

SearchBar LineSearch::bar()
{
    SearchBar bar;
    bar.fields = SearchBar::fieldsOf(fields(), ListFilter::Match::Pattern);
    bar.match = ListFilter::Match::Pattern;
    bar.matchLabel = u"等于"_s;
    bar.value = SearchBar::Value::Trimmed;
    // Today, from the first second on, while "消费时间" is ticked.
    bar.range = SearchBar::Range{u"消费时间"_s};
    bar.range->withTimes = true;
    bar.range->firstTime = QTime(0, 0, 1);
    bar.range->tick = u"消费时间"_s;
    bar.rangeFirst = true;
    bar.buttons = {{u"检索"_s, QString::fromUtf16(SearchBar::Search)},
                   {u"关闭"_s, u"close"_s},
                   {u"打印"_s, u"print"_s},
                   {u"Excel"_s, u"excel"_s}};
    // The search on one line, the buttons and the day's totals under it.
    bar.layout = SearchBar::Layout::ButtonsBelow;
    return bar;
}

ListFilter LineSearch::day(QDate day)
{
    ListFilter filter;
    filter.ranges.append(ListFilter::wholeDays(u"消费时间"_s, day, day));
    return filter;
}

ListFilter LineSearch::ofBill(const QString &billNumber)
{
    ListFilter filter;
    filter.conditions.append({u"单据号"_s, ListFilter::Match::Equals, billNumber});
    return filter;
}

ListDescription LineSearch::list()
{
    using Footer = ListColumn::Footer;
    // Lines in the order they were booked; the ID keeps the pages of a
    // long list from repeating or skipping a line.
    return {u"jzmx"_s,
            u"select * from jzmx"_s,
            u"order by ID"_s,
            {column(u"单据号"_s, Footer::Count), column(u"号牌"_s), column(u"顾客姓名"_s),
             column(u"商品名"_s), column(u"单价"_s, Footer::Sum), column(u"数量"_s, Footer::Sum),
             column(u"折扣"_s), column(u"合计"_s, Footer::Sum), column(u"参与打折"_s),
             column(u"消费时间"_s), column(u"员工编号"_s), column(u"员工姓名"_s),
             column(u"营业员"_s)},
            {},
            bar()};
}

ListReport LineSearch::report()
{
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    ListReport report;
    report.addColumn({u"单据号"_s, u"单据号"_s, 1.6});
    report.addColumn({u"商品名"_s, u"商品名"_s, 1.6});
    report.addColumn({u"单价"_s, u"单价"_s, 0.8, right});
    report.addColumn({u"数量"_s, u"数量"_s, 0.6, right});
    report.addColumn({u"合计"_s, u"合计"_s, 0.8, right});
    report.addColumn({u"员工编号"_s, u"员工编号"_s, 0.9});
    report.addColumn({u"营业员"_s, u"营业员"_s, 0.9});
    report.addClosingLine(u"[DATE] [TIME]    消费数量:[SUM(数量)]    消费金额:[SUM(合计)]"_s);
    return report;
}

ListDescription LineSearch::billList()
{
    return {u"jzmx"_s,
            u"select * from jzmx"_s,
            u"order by ID"_s,
            {column(u"单据号"_s), column(u"号牌"_s), column(u"商品名"_s), column(u"商品类型"_s),
             column(u"单价"_s), column(u"实际单价"_s), column(u"折扣"_s), column(u"会员卡号"_s),
             column(u"顾客姓名"_s), column(u"数量"_s), column(u"合计"_s), column(u"消费时间"_s),
             column(u"参与打折"_s), column(u"员工编号"_s), column(u"员工姓名"_s),
             column(u"提成金额"_s), column(u"营业员"_s), column(u"主号牌"_s)}};
}

QStringList LineSearch::fields()
{
    return {u"商品名"_s, u"单据号"_s, u"号牌"_s, u"员工编号"_s, u"员工姓名"_s, u"营业员"_s};
}

std::optional<Money> LineSearch::takings(Database &database, QDate day)
{
    return BillStore(database).received(day.startOfDay(), day.addDays(1).startOfDay());
}
