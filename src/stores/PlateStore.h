#pragma once

#include "common/Money.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

class Database;
class ResultTableModel;

// The only writer of the plates (号牌管理). Rule classes ask it to open,
// free, reopen and lock plates; every change that two workstations could
// race is conditional and says whether it went through. Writes must run in
// a write transaction where they say so; the plates are locked in the
// program's lock order (LockRank::Plates). Each write announces
// Change::Plates.
class PlateStore
{
public:
    // One plate's row.
    struct Plate
    {
        int sequence = 0;      // number
        QString plate;         // 号牌
        QString room;          // 所属包厢
        QString state;         // 号牌状态
        QString customer;      // 顾客姓名
        // 押金金额; nothing for NULL and for what is no number, which
        // `unreadableDeposit` then holds as stored.
        std::optional<Money> deposit;
        QString unreadableDeposit;
        QDateTime entered;     // 进店时间; invalid when there is none
        QString mainPlate;     // 主号牌 as stored, possibly empty
        QString remark;        // 备注
    };

    // What opening a plate writes on it.
    struct Visit
    {
        QString customer;
        QDateTime entered;
        QString remark;
        QString mainPlate;
    };

    explicit PlateStore(Database &database) : m_database(database) {}

    std::optional<Plate> plate(const QString &plate);
    std::optional<Plate> plateBySequence(int sequence);
    bool exists(const QString &plate);

    // Plate numbers in sequence order: free plates but `except` (of one
    // room when given), occupied plates outside the group of `mainPlate`,
    // and the occupied plates of that group with `plate` itself.
    QStringList freePlates(const QString &except, const std::optional<QString> &room = {});
    QStringList occupiedOutside(const QString &mainPlate);
    QStringList group(const QString &mainPlate, const QString &plate);
    // Every plate in that state, in sequence order.
    QStringList platesIn(const QString &state);
    // The plates of a room by number, with their states.
    QList<Plate> plates(const QString &room);
    // How many plates have each state text (NULL reads as empty).
    QList<std::pair<QString, int>> stateCounts();
    // The first plate of the room, by number, that is occupied or has open
    // lines; empty when none is.
    QString busyPlateOf(const QString &room);

    // The settings window's lists, every column: by room and number, one
    // room's by number, all by sequence.
    void loadByRoom(ResultTableModel &into);
    void loadOfRoom(ResultTableModel &into, const QString &room);
    void loadAll(ResultTableModel &into);

    // Locks the plates (of a room), in key order; the plates held. With
    // `state`, only plates in that state are locked and returned.
    QStringList lock(const QStringList &plates, const std::optional<QString> &state = {});
    void lockSequence(int sequence);
    void lockRoom(const QString &room);

    // Takes a free plate for a visit; false when it is no longer free.
    bool open(const QString &plate, const Visit &visit);
    // Reopens a free plate, locked beforehand, for a reversed bill: occupied
    // by a walk-in under `mainPlate` since `at`; false when it is not free.
    bool reopen(const QString &plate, const QString &mainPlate, const QDateTime &at);
    // Frees plates whose bill is settled (rows this transaction holds).
    void free(const QStringList &plates);
    // Frees an occupied plate that has no open lines; false otherwise.
    bool cancel(const QString &plate);
    // Sets a state other than occupied on a plate that is not occupied;
    // false when it is occupied or gone.
    bool changeState(const QString &plate, const QString &state);
    // A free plate's main plate is history: cleared on every free plate.
    void clearFreeMainPlates();
    void setDeposit(const QString &plate, Money deposit);

    // The settings window's changes. saveFields writes onto the row with
    // `sequence` while it still holds `shown`; a new room must exist, and a
    // plate that `keepsLines` (its number or state change) may be neither
    // occupied nor have open lines. False when nothing was written.
    struct Fields
    {
        QString plate;
        QString room;
        QString state;
        bool operator==(const Fields &) const = default;
    };
    bool saveFields(int sequence, const Fields &shown, const Fields &fields, bool newRoom,
                    bool keepsLines);
    // Deletes the plate unless it is occupied or has open lines.
    bool remove(int sequence, const QString &plate);
    void removeRoom(const QString &room);
    void moveRoom(const QString &from, const QString &to);
    // Adds a free plate; false when the number exists already.
    bool addFree(const QString &plate, const QString &room);

private:
    QStringList numbers(const QString &sql, const QVariantList &values);
    void announce();

    Database &m_database;
};
