#include "ShopInfo.h"

#include "common/Refusal.h"
#include "db/Database.h"
#include "db/Transaction.h"

#include <QSqlRecord>

using namespace Qt::StringLiterals;

namespace ShopInfo {

Shop read(Database &database)
{
    const QSqlRecord row = database.firstRow(u"select name, tel, \"add\" from sysinfo"_s);
    return {row.value(0).toString(), row.value(1).toString(), row.value(2).toString()};
}

void save(Database &database, const Shop &shop)
{
    if (shop.name.trimmed().isEmpty() || shop.tel.trimmed().isEmpty()
        || shop.address.trimmed().isEmpty()) {
        throw Refusal(QString::fromUtf16(Incomplete));
    }
    const QVariantList values{shop.name, shop.tel, shop.address};
    Transaction transaction(database);
    // The table holds one row; an old database with several gets the same
    // texts on each, as every reader takes whichever comes first.
    if (database.execute(u"update sysinfo set name=?, tel=?, \"add\"=?"_s, values) == 0)
        database.execute(u"insert into sysinfo (name, tel, \"add\") values (?, ?, ?)"_s, values);
    database.announce(Change::Settings);
    transaction.commit();
}

} // namespace ShopInfo
