#include "OrderOpening.h"

#include "board/PlateState.h"
#include "common/Clock.h"
#include "common/Money.h"
#include "common/Refusal.h"
#include "db/Amounts.h"
#include "db/Database.h"
#include "db/Transaction.h"

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
    return m_database.strings(
        u"select 号牌 from 号牌管理 where 号牌状态=? and 号牌<>? order by number"_s,
        {QString::fromUtf16(PlateState::Free), mainPlate});
}

QStringList OrderOpening::freePlatesOfRoom(const QString &mainPlate, const QString &room)
{
    return m_database.strings(
        u"select 号牌 from 号牌管理 where 号牌状态=? and 号牌<>? and 所属包厢=? order by number"_s,
        {QString::fromUtf16(PlateState::Free), mainPlate, room});
}

void OrderOpening::open(const Order &order)
{
    const QDateTime now = m_clock.now();
    QStringList plates{order.mainPlate};
    plates += order.joined;

    Transaction transaction(m_database);
    // The plates before anything is read: on SQLite the first write waits
    // for another workstation's transaction, while a write after a read in
    // the same transaction would be refused at once ("database is locked").
    for (const QString &plate : plates) {
        // The test for "free" is part of the update: a plate taken by another
        // workstation since the window listed it changes no row.
        const int changed = m_database.execute(
            u"update 号牌管理 set 号牌状态=?, 顾客姓名=?, 押金金额=?, 进店时间=?, 备注=?, 主号牌=? "
            "where 号牌=? and 号牌状态=?"_s,
            {QString::fromUtf16(PlateState::Occupied), order.customer, Money().toVariant(), now,
             order.remark, order.mainPlate, plate, QString::fromUtf16(PlateState::Free)});
        if (changed != 1)
            throw Refusal(u"号牌 %1 已不是可用状态，开单失败！请重新选择号牌。"_s.arg(plate));
    }
    // Read inside the transaction, so that the lines carry the price the
    // room has when the plates are taken. No price (NULL or empty) is 0.
    const Money price = readAmount(
        m_database.scalar(u"select 门票价格 from 包厢 where 包厢=?"_s, {order.room}), u"包厢"_s,
        u"门票价格"_s);
    if (price > Money()) {
        for (const QString &plate : plates) {
            m_database.execute(
                u"insert into xfmx (号牌, 商品名, 单价, 实际单价, 数量, 商品类型, 参与打折, 折扣, "
                "合计, 消费时间, 员工编号, 营业员, 主号牌) "
                "values (?, ?, ?, ?, 1, ?, ?, 1, ?, ?, ?, ?, ?)"_s,
                {plate, u"门票"_s, price.toVariant(), price.toVariant(), u"n"_s, u"y"_s,
                 price.toVariant(), now, u"无"_s, m_operator.name, order.mainPlate});
        }
    }
    transaction.commit();
}
