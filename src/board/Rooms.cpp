#include "Rooms.h"

#include "db/Amounts.h"
#include "db/Database.h"

using namespace Qt::StringLiterals;

QString Rooms::Room::ticketText() const
{
    return amountText(ticketPrice);
}

QString Rooms::Room::minimumText() const
{
    return amountText(minimum);
}

QList<Rooms::Room> Rooms::all()
{
    QList<Room> list;
    QSqlQuery query =
        m_database.exec(u"select 包厢, 门票价格, 最低消费 from 包厢 order by 排序, 包厢"_s);
    while (query.next())
        list.append({query.value(0).toString(), query.value(1), query.value(2)});
    return list;
}

QStringList Rooms::names()
{
    return m_database.strings(u"select 包厢 from 包厢 order by 排序, 包厢"_s);
}
