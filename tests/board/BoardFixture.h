#pragma once

#include "common/Money.h"
#include "db/Database.h"
#include "support/ShopBuilder.h"

#include <QDateTime>
#include <QString>
#include <QVariant>

// Small rows for the board's tests: rooms, plates and open lines, made
// through the stores (ShopBuilder) wherever the program could make them.
namespace BoardFixture {

using namespace Qt::StringLiterals;

// Rooms come in the order they are made, as the program gives them.
inline void room(Database &db, const QString &name, const QString &ticketPrice = u"0"_s)
{
    ShopBuilder(db).room(name, Money::fromText(ticketPrice));
}

// A null `state` leaves the column empty; a deposit that is no number is
// stored as it is.
inline void plate(Database &db, const QString &number, const QString &room, const QVariant &state,
                  const QVariant &entered = {}, const QString &deposit = u"0"_s)
{
    const std::optional<Money> amount = Money::parse(deposit);
    if (state.isNull() || !amount) {
        // No store leaves a plate without a state or a deposit that is no
        // number: rows from older data, written by hand.
        db.execute(u"insert into 号牌管理 (号牌, 所属包厢, 号牌状态, 进店时间, 押金金额, 顾客姓名, 主号牌) "
                   "values (?, ?, ?, ?, ?, ?, ?)"_s,
                   {number, room, state, entered, deposit, u"散客"_s, number});
        return;
    }
    ShopBuilder::Plate plate;
    plate.plate = number;
    plate.room = room;
    plate.state = state.toString();
    plate.mainPlate = number;
    plate.entered = entered.toDateTime();
    plate.deposit = *amount;
    ShopBuilder(db).plate(plate);
}

inline void line(Database &db, const QString &plate, const QString &goods, const QString &price,
                 const QString &quantity, const QString &total,
                 const QDateTime &time = QDateTime(QDate(2024, 3, 1), QTime(9, 30)))
{
    const std::optional<Money> amount = Money::parse(total);
    if (!amount) {
        // A total that is no number only older data holds; written by hand.
        db.execute(u"insert into xfmx (号牌, 主号牌, 商品名, 单价, 实际单价, 数量, 合计, 折扣, 员工编号, "
                   "员工姓名, 消费时间, 营业员) values (?, ?, ?, ?, ?, ?, ?, 1, ?, ?, ?, ?)"_s,
                   {plate, plate, goods, price, price, quantity, total, u"001"_s, u"张敏"_s, time,
                    u"超级管理员"_s});
        return;
    }
    ShopBuilder::Line line;
    line.plate = plate;
    line.goods = goods;
    line.price = Money::fromText(price);
    line.quantity = Money::fromText(quantity);
    line.total = *amount;
    line.employee = u"001"_s;
    line.employeeName = u"张敏"_s;
    line.time = time;
    line.operatorName = u"超级管理员"_s;
    ShopBuilder(db).line(line);
}

inline QString stateOf(Database &db, const QString &plate)
{
    return db.scalar(u"select 号牌状态 from 号牌管理 where 号牌=?"_s, {plate}).toString();
}

} // namespace BoardFixture
