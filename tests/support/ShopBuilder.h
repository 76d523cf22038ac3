#pragma once

#include "common/Money.h"
#include "db/Database.h"
#include "stores/BillStore.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

// Builds a test's shop the way the program writes it: plates, open lines
// and bills go through their stores (PlateStore, LineStore, BillStore), each
// call in a write transaction of its own, so a fixture holds only rows the
// program itself could have written. Rows the program could never write
// (a total that is no number, a plate without a state) stay crafted by hand
// in the test that needs them.
class ShopBuilder
{
public:
    explicit ShopBuilder(Database &database) : m_database(database) {}

    // A room (包厢) after the others.
    ShopBuilder &room(const QString &name, Money ticketPrice = {});

    // A plate left as a settled visit leaves it: free, a walk-in's name, no
    // deposit, no main plate, the visit's time.
    ShopBuilder &freePlate(const QString &plate, const QString &room, const QDateTime &at);
    // A plate opened for a walk-in under `mainPlate` at `at`.
    ShopBuilder &occupiedPlate(const QString &plate, const QString &room,
                               const QString &mainPlate, const QDateTime &at);
    // Takes an existing free plate for a walk-in under `mainPlate`.
    ShopBuilder &occupy(const QString &plate, const QString &mainPlate, const QDateTime &at);

    // What a booked line carries beyond its plate, goods and amounts.
    struct Line
    {
        QString plate;
        QString mainPlate;
        QString goods;
        QString type;
        Money price;
        Money quantity = Money::fromInt(1);
        QString discounts = QStringLiteral("y");
        Money commission;
        QString employee = QStringLiteral("n");
        QString employeeName = QStringLiteral("n");
        QDateTime time;
        QString operatorName;
    };
    // Books the line at its price times quantity; its ID.
    int line(const Line &line);

    // A bill row as settlement writes it.
    ShopBuilder &bill(const BillStore::Bill &bill);

private:
    Database &m_database;
};
