#include "DataClearing.h"

#include "db/Database.h"
#include "db/Transaction.h"

using namespace Qt::StringLiterals;

namespace DataClearing {

QList<Records> all()
{
    return {Records::Salaries, Records::Bills, Records::Recharges, Records::Goods,
            Records::Purchases};
}

QString caption(Records records)
{
    switch (records) {
    case Records::Salaries:
        return u"删除发工资记录"_s;
    case Records::Bills:
        return u"删除营业记录"_s;
    case Records::Recharges:
        return u"删除充值记录"_s;
    case Records::Goods:
        return u"商品库"_s;
    case Records::Purchases:
        break;
    }
    return u"进货表"_s;
}

QStringList tables(Records records)
{
    switch (records) {
    case Records::Salaries:
        return {u"员工工资表"_s};
    case Records::Bills:
        return {u"结帐管理"_s, u"jzmx"_s};
    case Records::Recharges:
        return {u"会员充值"_s};
    case Records::Goods:
        return {u"商品库"_s};
    case Records::Purchases:
        break;
    }
    return {u"进货表"_s};
}

void clear(Database &database, const QList<Records> &chosen)
{
    Transaction transaction(database);
    for (const Records records : all()) {
        if (!chosen.contains(records))
            continue;
        for (const QString &table : tables(records))
            database.execute(u"delete from "_s + table);
    }
    transaction.commit();
}

} // namespace DataClearing
