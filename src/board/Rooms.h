#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

class Database;

// The rooms (包厢) in the order the shop gave them: the board's pages, the
// settings window's room list and the room boxes of its dialogs all read
// them here, so they always agree.
class Rooms
{
public:
    // One room as stored. The amounts are kept as the database gave them,
    // so that a save can tell whether the row still holds what was shown.
    struct Room
    {
        QString name;
        QVariant ticketPrice;
        QVariant minimum;
        // The amounts as a grid shows them ("12.5"; text that is no number as stored).
        QString ticketText() const;
        QString minimumText() const;
    };

    explicit Rooms(Database &database) : m_database(database) {}

    // By their order (排序), then by name.
    QList<Room> all();
    QStringList names();

private:
    Database &m_database;
};
