#include "OrderOpening.h"

#include "board/PlateState.h"
#include "common/Clock.h"
#include "common/Money.h"
#include "common/Refusal.h"
#include "db/Amounts.h"
#include "db/Database.h"
#include "db/Transaction.h"
#include "stores/LineStore.h"
#include "stores/PlateStore.h"

#include <QSqlRecord>

using namespace Qt::StringLiterals;

QString OrderOpening::Room::ticketText() const
{
    return amountText(ticketPrice);
}

OrderOpening::Room OrderOpening::room(const QString &name)
{
    const QSqlRecord row =
        m_database.firstRow(u"select 包厢, 门票价格 from 包厢 where 包厢=?"_s, {name});
    if (row.isEmpty())
        return {};
    return {true, row.value(0).toString(), row.value(1)};
}

QStringList OrderOpening::freePlates(const QString &mainPlate)
{
    return PlateStore(m_database).freePlates(mainPlate);
}

QStringList OrderOpening::freePlatesOfRoom(const QString &mainPlate, const QString &room)
{
    return PlateStore(m_database).freePlates(mainPlate, room);
}

void OrderOpening::open(const Order &order)
{
    const QDateTime now = m_clock.now();
    QStringList plates{order.mainPlate};
    plates += order.joined;

    Transaction transaction(m_database);
    // The plates first, in the program's key order whatever order they were
    // picked in: two workstations opening overlapping groups then wait for
    // each other instead of each holding a plate the other needs.
    PlateStore store(m_database);
    store.lock(plates);
    const PlateStore::Visit visit{order.customer, now, order.remark, order.mainPlate};
    for (const QString &plate : plates) {
        if (!store.open(plate, visit))
            throw Refusal(u"号牌 %1 已不是可用状态，开单失败！请重新选择号牌。"_s.arg(plate));
    }
    // Read inside the transaction, so that the lines carry the price the
    // room has when the plates are taken. No price (NULL or empty) is 0.
    const Money price = readAmount(
        m_database.scalar(u"select 门票价格 from 包厢 where 包厢=?"_s, {order.room}), u"包厢"_s,
        u"门票价格"_s);
    if (price > Money()) {
        LineStore lines(m_database);
        for (const QString &plate : plates)
            lines.bookTicket(plate, order.mainPlate, price, now, m_operator.name);
    }
    transaction.commit();
}
