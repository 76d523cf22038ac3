#include "BillNumber.h"

#include "db/Database.h"
#include "db/RowLocks.h"
#include "stores/BillStore.h"
#include "stores/LineStore.h"

using namespace Qt::StringLiterals;

namespace {

const QString Format = u"yyyyMMddhhmmss"_s;

// The key of the advisory lock that choosing a bill number takes; the
// settled totals use another.
constexpr qint32 LockKey = 20240316;

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
    return BillStore(database).exists(number)
        || LineStore(database).numberUsedElsewhere(number, plates);
}

QString firstFree(Database &database, QString number, const QStringList &plates)
{
    while (taken(database, number, plates))
        number = next(number);
    return number;
}

} // namespace BillNumber
