#include "BillNumber.h"

#include "db/Database.h"
#include "db/RowLocks.h"

using namespace Qt::StringLiterals;

namespace {

const QString Format = u"yyyyMMddhhmmss"_s;

// The key of the advisory lock that choosing a bill number takes; the
// settled totals use another.
constexpr qint64 LockKey = 20240316;

} // namespace

namespace BillNumber {

QString fromMoment(const QDateTime &moment)
{
    return moment.toString(Format);
}

QString next(const QString &number)
{
    const QDateTime moment = QDateTime::fromString(number, Format);
    if (moment.isValid())
        return fromMoment(moment.addSecs(1));
    return number + u"-1"_s;
}

void lock(Database &database)
{
    RowLocks::lockName(database, LockRank::BillNumber, LockKey);
}

bool taken(Database &database, const QString &number, const QStringList &plates)
{
    if (database.exists(u"select 1 from 结帐管理 where 单据号=?"_s, {number}))
        return true;
    if (plates.isEmpty())
        return database.exists(u"select 1 from xfmx where 单据号=?"_s, {number});
    QStringList marks(plates.size(), u"?"_s);
    QVariantList values{number};
    for (const QString &plate : plates)
        values.append(plate);
    return database.exists(u"select 1 from xfmx where 单据号=? and 号牌 not in ("_s
                               + marks.join(u", "_s) + u')',
                           values);
}

QString firstFree(Database &database, QString number, const QStringList &plates)
{
    while (taken(database, number, plates))
        number = next(number);
    return number;
}

} // namespace BillNumber
