#include "StaffLists.h"

using namespace Qt::StringLiterals;

namespace StaffLists {

namespace {

ListFilter equals(const QString &column, const QString &value)
{
    ListFilter filter;
    filter.conditions.append({column, ListFilter::Match::Equals, value});
    return filter;
}

// A bar that finds the rows whose chosen column holds the whole value.
SearchBar wholeValueBar(const QStringList &fields, const QString &incomplete)
{
    SearchBar bar;
    bar.fields = SearchBar::fieldsOf(fields, ListFilter::Match::Equals);
    bar.incomplete = SearchBar::Incomplete::Refused;
    bar.incompleteText = incomplete;
    bar.buttons = {{u"查询"_s, QString::fromUtf16(SearchBar::Search)},
                   {u"打印"_s, u"print"_s},
                   {u"退出"_s, u"exit"_s}};
    return bar;
}

SearchBar commissionTotalsBar()
{
    SearchBar bar;
    bar.range = SearchBar::Range{u"日期"_s, {}, {}, u"起始日期"_s, u"终止日期"_s};
    bar.range->orderRefusal = u"起始日期不能大于终止日期,请重新选择!"_s;
    bar.buttons = {{u"查询"_s, QString::fromUtf16(SearchBar::Search)}, {u"退出"_s, u"exit"_s}};
    bar.nothingFound = u"没有找到符合条件的记录"_s;
    return bar;
}

SearchBar commissionLinesBar()
{
    // Another column of the lines may be typed; it is checked before use.
    SearchBar bar = wholeValueBar({u"员工编号"_s, u"员工姓名"_s, u"号牌"_s, u"单据号"_s},
                                  u"请认真填写查询条件"_s);
    bar.matchLabel = u"包含"_s;
    bar.nothingFound = u"没有找到符合条件的记录"_s;
    return bar;
}

SearchBar salaryRecordsBar()
{
    SearchBar bar = wholeValueBar({u"员工编号"_s, u"员工姓名"_s, u"备注"_s}, u"请输入查询条件!"_s);
    bar.lead = u"请选择"_s;
    return bar;
}

} // namespace

ListDescription employees()
{
    return {u"员工管理"_s, u"select * from 员工管理"_s, QString(),
            {{u"员工编号"_s, u"员工编号"_s, ListColumn::Footer::Count},
             {u"员工姓名"_s, u"员工姓名"_s},
             {u"性别"_s, u"性别"_s},
             {u"员工等级"_s, u"员工等级"_s},
             {u"联系电话"_s, u"联系电话"_s},
             {u"证件号码"_s, u"证件号码"_s},
             {u"备注"_s, u"备注"_s}}};
}

ListDescription employeeChoice()
{
    return {u"员工管理"_s,
            u"select * from 员工管理"_s,
            QString(),
            {{u"员工编号"_s, u"员工编号"_s},
             {u"员工姓名"_s, u"员工姓名"_s},
             {u"性别"_s, u"性别"_s},
             {u"员工等级"_s, u"员工等级"_s},
             {u"联系电话"_s, u"联系电话"_s}}};
}

ListDescription commissionTotals()
{
    // Added up from the settled lines' totals per day and employee, which
    // the database keeps in step with jzmx; an employee whose lines were
    // all taken back has none left.
    return {u"提成日汇总"_s,
            u"select 员工编号, sum(提成金额) as 金额 from 提成日汇总"_s,
            u"order by 员工编号"_s,
            {{u"员工编号"_s, u"员工编号"_s}, {u"金额"_s, u"金额"_s}},
            u"group by 员工编号 having sum(行数) <> 0"_s,
            commissionTotalsBar()};
}

ListFilter commissionTotalsBetween(QDate first, QDate last)
{
    // The totals are kept per day, by the midnight of the lines' 消费时间.
    return *commissionTotalsBar().filter(
        {{}, {}, true, false, first.startOfDay(), last.startOfDay()});
}

ListDescription commissionLines()
{
    using Footer = ListColumn::Footer;
    return {u"jzmx"_s,
            u"select * from jzmx"_s,
            u"order by ID"_s,
            {{u"id"_s, u"ID"_s, Footer::Count},
             {u"员工编号"_s, u"员工编号"_s},
             {u"员工姓名"_s, u"员工姓名"_s},
             {u"消费时间"_s, u"消费时间"_s},
             {u"单据号"_s, u"单据号"_s},
             {u"号牌"_s, u"号牌"_s},
             {u"提成金额"_s, u"提成金额"_s, Footer::Sum},
             {u"提成已发"_s, u"TcYf"_s}},
            {},
            commissionLinesBar()};
}

ListFilter commissionLinesWhere(const QString &column, const QString &value)
{
    return *commissionLinesBar().filter({column, value});
}

ListDescription salaryRecords()
{
    using Footer = ListColumn::Footer;
    return {u"员工工资表"_s,
            u"select * from 员工工资表"_s,
            u"order by id"_s,
            {{u"id"_s, u"id"_s, Footer::Count},
             {u"员工编号"_s, u"员工编号"_s},
             {u"员工姓名"_s, u"员工姓名"_s},
             {u"日期"_s, u"日期"_s},
             {u"工资"_s, u"工资"_s},
             {u"提成"_s, u"提成"_s},
             {u"合计"_s, u"合计"_s},
             {u"备注"_s, u"备注"_s},
             {u"登记人"_s, u"登记人"_s}},
            {},
            salaryRecordsBar()};
}

ListFilter salaryRecordsWhere(const QString &column, const QString &value)
{
    return *salaryRecordsBar().filter({column, value});
}

ListDescription salaryHistory()
{
    return {u"员工工资表"_s,
            u"select * from 员工工资表"_s,
            u"order by id"_s,
            {{u"日期"_s, u"日期"_s, ListColumn::Footer::Count},
             {u"工资"_s, u"工资"_s},
             {u"提成"_s, u"提成"_s},
             {u"合计"_s, u"合计"_s},
             {u"登记人"_s, u"登记人"_s},
             {u"备注"_s, u"备注"_s}}};
}

ListFilter paymentsOf(const QString &code)
{
    return equals(u"员工编号"_s, code);
}

} // namespace StaffLists
