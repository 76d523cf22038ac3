#pragma once

#include "common/Money.h"

#include <QList>
#include <QString>
#include <QStringList>

class Database;
class QSqlQuery;

// Rooms (包厢) and plates (号牌管理) as the settings window keeps them.
// Refusals throw Refusal with the user's text and write nothing; database
// errors throw DbError.
class PlateSettings
{
public:
    struct Room
    {
        QString name;
        Money ticketPrice;
        Money minimum;
    };

    struct PlateFields
    {
        QString plate;
        QString room;
        QString state;
    };

    explicit PlateSettings(Database &database) : m_database(database) {}

    QList<Room> rooms();
    QStringList roomNames();
    // An empty price or minimum is stored as 0.
    void addRoom(const QString &name, const QString &ticketPrice, const QString &minimum);
    // Renaming a room takes its plates along, so they stay on its page.
    void updateRoom(const QString &originalName, const QString &name, const QString &ticketPrice,
                    const QString &minimum);
    // The room and all its plates, whatever their state, in one transaction.
    // Their open lines stay in xfmx.
    void deleteRoom(const QString &name);

    // The plate lists of the window, every column: all plates by room and
    // number (on opening), the plates of one room, all plates (刷新).
    QSqlQuery platesByRoom();
    QSqlQuery platesOf(const QString &room);
    QSqlQuery allPlates();

    // Saves the plate dialog onto the row with that sequence number. All
    // three fields are required ("号牌 所属包厢 号牌状态必须填写!"); any state
    // text is accepted, an occupied plate's included.
    void savePlate(int number, const PlateFields &fields);
    void deletePlate(int number);

    // The plate numbers a range names: start to end, each zero-padded to the
    // width of the end text and prefixed with the trimmed prefix. Empty when
    // the end is below the start. Refuses a missing bound with
    // "请输入号牌的起始值和终止值！" and a range of more than MaxRange plates.
    static constexpr int MaxRange = 10000;
    static QStringList rangeNumbers(const QString &startText, const QString &endText,
                                    const QString &prefix);
    // Adds the range's plates to `room` as free plates, in one transaction.
    // Numbers that exist already are skipped. Returns how many were added.
    int addRange(const QString &startText, const QString &endText, const QString &prefix,
                 const QString &room);

private:
    Database &m_database;
};
