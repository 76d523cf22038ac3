#include "PlateStatus.h"

#include "PlateState.h"
#include "common/Refusal.h"
#include "db/Database.h"
#include "db/Transaction.h"
#include "session/Operator.h"
#include "session/RightTable.h"

#include <QSqlRecord>

using namespace Qt::StringLiterals;

namespace {

const QString OccupiedRefusal = u"该号牌处于占用状态，请先结帐！"_s;
const QString MissingPlate = u"该号牌不存在！"_s;

} // namespace

QString PlateStatus::read(const QString &plate)
{
    return m_database.scalar(u"select 号牌状态 from 号牌管理 where 号牌=?"_s, {plate}).toString();
}

void PlateStatus::change(const QString &plate, const QString &shownState, const QString &target)
{
    if (shownState == QStringView(PlateState::Occupied))
        throw Refusal(OccupiedRefusal);
    Transaction transaction(m_database);
    if (m_beforeWrite)
        m_beforeWrite();
    const int changed = m_database.execute(
        u"update 号牌管理 set 号牌状态=? where 号牌=? "
        "and (号牌状态 is null or 号牌状态<>?)"_s,
        {target, plate, QString::fromUtf16(PlateState::Occupied)});
    if (changed != 1) {
        // Nothing changed: the plate was opened or removed meanwhile.
        const QSqlRecord row =
            m_database.firstRow(u"select 号牌状态 from 号牌管理 where 号牌=?"_s, {plate});
        throw Refusal(row.isEmpty() ? MissingPlate : OccupiedRefusal);
    }
    transaction.commit();
}

void PlateStatus::cancelOrder(const QString &plate, const Operator &who)
{
    RightTable::require(who, Guarded::CancelOrder);
    Transaction transaction(m_database);
    if (m_beforeWrite)
        m_beforeWrite();
    // The plate's row first: on PostgreSQL this waits for a booking that
    // holds it and the statement below, with a snapshot of its own, then
    // sees that booking's line; on SQLite it takes the write lock, so no line
    // can be written until this operation ends. Looking at xfmx without the
    // lock would miss a line committed while the update waited.
    m_database.execute(u"update 号牌管理 set 号牌状态=号牌状态 where 号牌=?"_s, {plate});
    // The test for open lines is part of the update itself: there is no
    // moment between looking and writing in which a line could slip in.
    const int changed = m_database.execute(
        u"update 号牌管理 set 号牌状态=? where 号牌=? and 号牌状态=? "
        "and not exists (select 1 from xfmx where xfmx.号牌=?)"_s,
        {QString::fromUtf16(PlateState::Free), plate, QString::fromUtf16(PlateState::Occupied),
         plate});
    if (changed != 1) {
        if (m_database.exists(u"select 1 from xfmx where 号牌=?"_s, {plate}))
            throw Refusal(u"有消费项目,不能撤销."_s);
        const QSqlRecord row =
            m_database.firstRow(u"select 号牌状态 from 号牌管理 where 号牌=?"_s, {plate});
        if (row.isEmpty())
            throw Refusal(MissingPlate);
        // Checked out or cancelled from another workstation meanwhile.
        throw Refusal(u"该号牌不是占用状态，不能撤单！"_s);
    }
    transaction.commit();
}
