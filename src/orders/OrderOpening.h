#pragma once

#include "session/Operator.h"

#include <QString>
#include <QStringList>
#include <QVariant>

class Clock;
class Database;

// Opening an order: the chosen plates become occupied under one main plate,
// each with an entry-ticket line when the room charges one. The whole group
// is written in one transaction and only onto plates that are still free at
// that moment, so two workstations can never open the same plate twice.
// Refusals throw Refusal and write nothing; database errors throw DbError.
class OrderOpening
{
public:
    struct Room
    {
        bool found = false;
        QString name;
        QVariant ticketPrice;
        // The price as the window shows it ("20", "12.5"; empty for none).
        QString ticketText() const;
    };

    struct Order
    {
        QString mainPlate;
        // The plates joined to the main plate, in the order they were chosen.
        QStringList joined;
        // The room whose ticket price every plate of the group pays.
        QString room;
        QString customer;
        QString remark;
    };

    OrderOpening(Database &database, const Operator &who, const Clock &clock)
        : m_database(database), m_operator(who), m_clock(clock) {}

    Room room(const QString &name);
    // Free plates other than the main plate: of every room, or of one.
    QStringList freePlates(const QString &mainPlate);
    QStringList freePlatesOfRoom(const QString &mainPlate, const QString &room);

    // Marks the main plate, then each joined plate, occupied and books the
    // ticket lines. A plate that is no longer free refuses the whole order,
    // naming that plate.
    void open(const Order &order);

private:
    Database &m_database;
    const Operator m_operator;
    const Clock &m_clock;
};
