#pragma once

#include "Rooms.h"

#include <QList>
#include <QString>
#include <QStringList>

class Database;
class ResultTableModel;

// Rooms (包厢) and plates (号牌管理) as the settings window keeps them.
// Refusals throw Refusal with the user's text and write nothing; database
// errors throw DbError.
class PlateSettings
{
public:
    using Room = Rooms::Room;

    struct PlateFields
    {
        QString plate;
        QString room;
        QString state;
        bool operator==(const PlateFields &) const = default;
    };

    explicit PlateSettings(Database &database) : m_database(database) {}

    // In the shop's order, as the board's pages are (see Rooms).
    QList<Room> rooms();
    QStringList roomNames();
    // An empty price or minimum is stored as 0. A new room goes after the
    // others.
    void addRoom(const QString &name, const QString &ticketPrice, const QString &minimum);
    // Saves the room dialog over `shown`, the room as the dialog showed it;
    // refused when the row no longer holds that (changed or removed from
    // another workstation). Renaming a room takes its plates along, so they
    // stay on its page, and keeps its place among the pages.
    void updateRoom(const Room &shown, const QString &name, const QString &ticketPrice,
                    const QString &minimum);
    // The room and all its plates, in one transaction; refused while any of
    // its plates is occupied or has open lines, which would otherwise stay
    // in xfmx and be billed to the next customer of that number.
    void deleteRoom(const QString &name);

    // The plate lists of the window, every column: all plates by room and
    // number (on opening), the plates of one room, all plates (刷新).
    void platesByRoom(ResultTableModel &into);
    void platesOf(ResultTableModel &into, const QString &room);
    void allPlates(ResultTableModel &into);

    // Saves the plate dialog onto the row with that sequence number, on the
    // condition that the row still holds `shown`, what the dialog showed.
    // All three fields are required ("号牌 所属包厢 号牌状态必须填写!"). A
    // plate that is occupied or has open lines keeps its number and state:
    // its lines are booked under them. A new room must exist.
    void savePlate(int number, const PlateFields &shown, const PlateFields &fields);
    // Deletes the plate with that sequence number and plate number, unless
    // it is occupied or has open lines.
    void deletePlate(int number, const QString &plate);

    // The plate numbers a range names: start to end, each zero-padded to the
    // width of the end text and prefixed with the trimmed prefix. Empty when
    // the end is below the start. Refuses a missing bound with
    // "请输入号牌的起始值和终止值！", a bound that is not digits or has more
    // than MaxDigits significant digits, and a range of more than MaxRange
    // plates.
    static constexpr int MaxRange = 10000;
    static constexpr int MaxDigits = 18;
    static QStringList rangeNumbers(const QString &startText, const QString &endText,
                                    const QString &prefix);
    // Adds the range's plates to `room` as free plates, in one transaction.
    // Numbers that exist already are skipped. Refused when the room does not
    // exist (typed, or renamed or deleted meanwhile). Returns how many were
    // added.
    int addRange(const QString &startText, const QString &endText, const QString &prefix,
                 const QString &room);

private:
    // Takes the plate's row lock (PostgreSQL) or the write lock (SQLite)
    // before a statement whose condition looks at xfmx, so that a line booked
    // meanwhile has committed and is seen. A booking locks the plate
    // first, so it waits for this operation or this one waits for it.
    void lockPlate(int number);
    // Refuses when the room has no row; also locks that row, so the room
    // cannot go away before the operation commits.
    void requireRoom(const QString &room);

    Database &m_database;
};
