#include "PlateStatus.h"

#include "PlateState.h"
#include "common/Refusal.h"
#include "db/Database.h"
#include "db/Transaction.h"
#include "session/Operator.h"
#include "session/RightTable.h"
#include "stores/LineStore.h"
#include "stores/PlateStore.h"

#include <QSqlRecord>

using namespace Qt::StringLiterals;

namespace {

const QString OccupiedRefusal = u"该号牌处于占用状态，请先结帐！"_s;
const QString MissingPlate = u"该号牌不存在！"_s;

} // namespace

QString PlateStatus::read(const QString &plate)
{
    const auto row = PlateStore(m_database).plate(plate);
    return row ? row->state : QString();
}

void PlateStatus::change(const QString &plate, const QString &shownState, const QString &target)
{
    if (shownState == QStringView(PlateState::Occupied))
        throw Refusal(OccupiedRefusal);
    if (m_beforeWrite)
        m_beforeWrite();
    Transaction transaction(m_database);
    PlateStore plates(m_database);
    if (!plates.changeState(plate, target)) {
        // Nothing changed: the plate was opened or removed meanwhile.
        throw Refusal(plates.exists(plate) ? OccupiedRefusal : MissingPlate);
    }
    transaction.commit();
}

void PlateStatus::cancelOrder(const QString &plate, const Operator &who)
{
    RightTable::require(who, Guarded::CancelOrder);
    if (m_beforeWrite)
        m_beforeWrite();
    Transaction transaction(m_database);
    // The plate first: this waits for a booking that holds it, and the
    // statement below, with a snapshot of its own, then sees that booking's
    // line. Looking at xfmx without the lock would miss a line committed
    // while the update waited.
    PlateStore plates(m_database);
    plates.lock({plate});
    if (!plates.cancel(plate)) {
        if (LineStore(m_database).hasOpenLines(plate))
            throw Refusal(u"有消费项目,不能撤销."_s);
        if (!plates.exists(plate))
            throw Refusal(MissingPlate);
        // Checked out or cancelled from another workstation meanwhile.
        throw Refusal(u"该号牌不是占用状态，不能撤单！"_s);
    }
    transaction.commit();
}
