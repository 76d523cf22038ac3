#include "ItemStatistics.h"

#include "db/Database.h"

using namespace Qt::StringLiterals;

namespace ItemStatistics {

ListDescription description()
{
    using Footer = ListColumn::Footer;
    // Added up from the settled lines' totals per day, goods name and type,
    // which the database keeps in step with jzmx; a name whose lines were
    // all taken back has none left.
    return {u"项目日汇总"_s,
            u"select 商品名, sum(数量) as 总数量, sum(合计) as 总合计 from 项目日汇总"_s,
            u"order by 商品名"_s,
            {{u"商品名"_s, u"商品名"_s, Footer::Count},
             {u"总数量"_s, u"总数量"_s, Footer::Sum},
             {u"总合计"_s, u"总合计"_s, Footer::Sum}},
            u"group by 商品名 having sum(行数) <> 0"_s};
}

ListFilter filter(QDate first, QDate last, const QString &type)
{
    ListFilter filter;
    // Lines count by the day of their own booking time, kept as its
    // midnight; lines without one never count.
    filter.ranges.append(ListFilter::wholeDays(u"日期"_s, first, last));
    const QString chosen = type.trimmed();
    if (!chosen.isEmpty() && chosen != QStringView(AllTypes))
        filter.conditions.append({u"商品类型"_s, ListFilter::Match::Equals, chosen});
    return filter;
}

QStringList typeChoices(Database &database)
{
    // In the database's order, as the goods windows list the types.
    QStringList choices{QString::fromUtf16(AllTypes)};
    choices.append(database.strings(u"select 名称 from 商品类型"_s));
    return choices;
}

} // namespace ItemStatistics
