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
            u"group by 商品名 having sum(行数) <> 0"_s,
            bar()};
}

SearchBar bar()
{
    SearchBar bar;
    // Lines count by the day of their own booking time, kept as its
    // midnight; lines without one never count.
    bar.range = SearchBar::Range{u"日期"_s, {0, QDate(2000, 1, 1)}, {}};
    bar.buttons = {{u"统计"_s, QString::fromUtf16(SearchBar::Search)},
                   {u"关闭"_s, u"close"_s},
                   {u"打印"_s, u"print"_s},
                   {u"Excel"_s, u"excel"_s}};
    return bar;
}

ListFilter filter(QDate first, QDate last, const QString &type)
{
    ListFilter filter = *bar().filter({{}, {}, true, false, first.startOfDay(), last.startOfDay()});
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
