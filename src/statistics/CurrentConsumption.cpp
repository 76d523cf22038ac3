#include "CurrentConsumption.h"

#include "board/PlateState.h"
#include "db/Database.h"
#include "stores/PlateStore.h"

using namespace Qt::StringLiterals;

namespace CurrentConsumption {

namespace {

ListFilter equals(const QString &column, const QString &value)
{
    ListFilter filter;
    filter.conditions.append({column, ListFilter::Match::Equals, value});
    return filter;
}

} // namespace

QStringList occupiedPlates(Database &database)
{
    return PlateStore(database).platesIn(QString::fromUtf16(PlateState::Occupied));
}

ListDescription lines()
{
    using Footer = ListColumn::Footer;
    return {u"xfmx"_s,
            u"select * from xfmx"_s,
            u"order by ID"_s,
            {{u"商品名"_s, u"商品名"_s, Footer::Count},
             {u"单价"_s, u"单价"_s},
             {u"数量"_s, u"数量"_s, Footer::Sum},
             {u"合计"_s, u"合计"_s, Footer::Sum},
             {u"员工姓名"_s, u"员工姓名"_s},
             {u"状态"_s, u"状态"_s},
             {u"主号牌"_s, u"主号牌"_s},
             {u"消费时间"_s, u"消费时间"_s}}};
}

ListFilter ofPlate(const QString &plate)
{
    return equals(u"号牌"_s, plate);
}

ListFilter ofGroup(const QString &mainPlate)
{
    return equals(u"主号牌"_s, mainPlate);
}

} // namespace CurrentConsumption
