#include "ShopBuilder.h"

#include "db/Transaction.h"
#include "stores/LineStore.h"
#include "stores/PlateStore.h"

using namespace Qt::StringLiterals;

ShopBuilder &ShopBuilder::room(const QString &name, Money ticketPrice)
{
    // Rooms have no store of their own; this is the row the settings
    // window writes.
    m_database.execute(u"insert into 包厢 (包厢, 门票价格, 最低消费, 初始费用, 排序) "
                       "values (?, ?, 0, 0, (select coalesce(max(排序), 0) + 1 from 包厢))"_s,
                       {name, ticketPrice.toVariant()});
    return *this;
}

ShopBuilder &ShopBuilder::freePlate(const QString &plate, const QString &room, const QDateTime &at)
{
    Transaction transaction(m_database);
    PlateStore plates(m_database);
    plates.addFree(plate, room);
    plates.open(plate, {u"散客"_s, at, QString(), QString()});
    plates.free({plate});
    transaction.commit();
    return *this;
}

ShopBuilder &ShopBuilder::occupiedPlate(const QString &plate, const QString &room,
                                        const QString &mainPlate, const QDateTime &at)
{
    Transaction transaction(m_database);
    PlateStore plates(m_database);
    plates.addFree(plate, room);
    plates.open(plate, {u"散客"_s, at, QString(), mainPlate});
    transaction.commit();
    return *this;
}

ShopBuilder &ShopBuilder::occupy(const QString &plate, const QString &mainPlate,
                                 const QDateTime &at)
{
    Transaction transaction(m_database);
    PlateStore(m_database).open(plate, {u"散客"_s, at, QString(), mainPlate});
    transaction.commit();
    return *this;
}

int ShopBuilder::line(const Line &line)
{
    LineStore::NewLine booked;
    booked.plate = line.plate;
    booked.mainPlate = line.mainPlate.isEmpty() ? line.plate : line.mainPlate;
    booked.goods = line.goods;
    booked.type = line.type;
    booked.price = line.price;
    booked.quantity = line.quantity;
    booked.total = line.price * line.quantity;
    booked.discounts = line.discounts;
    booked.commission = line.commission;
    booked.employee = line.employee;
    booked.employeeName = line.employeeName;
    booked.time = line.time;
    booked.operatorName = line.operatorName;
    Transaction transaction(m_database);
    LineStore(m_database).book(booked);
    const int id = m_database.scalar(u"select max(ID) from xfmx"_s).toInt();
    transaction.commit();
    return id;
}

ShopBuilder &ShopBuilder::bill(const BillStore::Bill &bill)
{
    Transaction transaction(m_database);
    BillStore(m_database).add(bill);
    transaction.commit();
    return *this;
}
