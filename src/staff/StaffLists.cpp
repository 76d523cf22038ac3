#include "StaffLists.h"

#include "common/Refusal.h"

using namespace Qt::StringLiterals;

namespace StaffLists {

namespace {

ListFilter equals(const QString &column, const QString &value)
{
    ListFilter filter;
    filter.conditions.append({column, ListFilter::Match::Equals, value});
    return filter;
}

} // namespace

ListDescription commissionTotals()
{
    // Added up from the settled lines' totals per day and employee, which
    // the database keeps in step with jzmx; an employee whose lines were
    // all taken back has none left.
    return {u"提成日汇总"_s,
            u"select 员工编号, sum(提成金额) as 金额 from 提成日汇总"_s,
            u"order by 员工编号"_s,
            {{u"员工编号"_s, u"员工编号"_s}, {u"金额"_s, u"金额"_s}},
            u"group by 员工编号 having sum(行数) <> 0"_s};
}

ListFilter commissionTotalsBetween(QDate first, QDate last)
{
    if (last < first)
        throw Refusal(u"起始日期不能大于终止日期,请重新选择!"_s);
    ListFilter filter;
    // The totals are kept per day, by the midnight of the lines' 消费时间.
    filter.ranges.append(ListFilter::wholeDays(u"日期"_s, first, last));
    return filter;
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
             {u"提成已发"_s, u"TcYf"_s}}};
}

ListFilter commissionLinesWhere(const QString &column, const QString &value)
{
    if (column.trimmed().isEmpty() || value.isEmpty())
        throw Refusal(u"请认真填写查询条件"_s);
    return equals(column, value);
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
             {u"登记人"_s, u"登记人"_s}}};
}

ListFilter salaryRecordsWhere(const QString &column, const QString &value)
{
    if (column.trimmed().isEmpty() || value.isEmpty())
        throw Refusal(u"请输入查询条件!"_s);
    return equals(column, value);
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
