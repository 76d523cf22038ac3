#pragma once

#include "common/Money.h"
#include "db/Database.h"
#include "stores/BillStore.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

// Builds a test's shop the way the program writes it: plates, open lines,
// settled lines and bills go through their stores (PlateStore, LineStore,
// BillStore), members through MemberStore and MemberCards, goods through
// GoodsCatalogue, employees through EmployeeStore, each call in a write
// transaction of its own, so a fixture holds only rows the program itself
// could have written. The settings the shop keeps in plain tables (rooms,
// goods types, member types, employee levels) are written as the settings
// windows write them. Rows the program could never write (a total that is
// no number, a plate without a state) stay crafted by hand in the test that
// needs them.
class ShopBuilder
{
public:
    explicit ShopBuilder(Database &database) : m_database(database) {}

    // A room (包厢) after the others.
    ShopBuilder &room(const QString &name, Money ticketPrice = {});

    // A plate as the board leaves it: occupied (占用) by `customer` since
    // `entered` under `mainPlate` (itself when empty), free (可用; with a
    // time or a main plate, as a visit left it), or set to another state
    // (停用, 维修, 预定 …) by the settings; with `deposit` when it is not 0.
    struct Plate
    {
        QString plate;
        QString room = QStringLiteral("大厅");
        QString state = QStringLiteral("可用");
        QString mainPlate;
        QString customer = QStringLiteral("散客");
        QDateTime entered;
        Money deposit;
        QString remark;
    };
    ShopBuilder &plate(const Plate &plate);
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
        // Price times quantity when not given.
        std::optional<Money> total;
        QString discounts = QStringLiteral("y");
        Money commission;
        QString employee = QStringLiteral("n");
        QString employeeName = QStringLiteral("n");
        QDateTime time;
        QString operatorName;
    };
    // Books the line; its ID.
    int line(const Line &line);
    // Books the line and settles it at once under `billNumber` (the plate's
    // other open lines with it), its commission paid when `paid`; its ID.
    // Only the lines are written: a bill comes with bill().
    int settledLine(const Line &line, const QString &billNumber, bool paid = false);

    // A bill row as settlement writes it.
    ShopBuilder &bill(const BillStore::Bill &bill);

    // A goods type (商品类型) as the settings window writes it.
    ShopBuilder &goodsType(const QString &name, bool keepsStock = false, bool discounts = true,
                           bool needsService = true);
    // An item as the add screen adds it: a type that keeps stock records a
    // whole `stock` as its first purchase at the item's price; any other
    // stock is then typed on the edit screen.
    struct Goods
    {
        QString code;
        QString name;
        QString pinyin;
        QString type;
        Money price;
        Money commission;
        Money stock;
        bool needsService = true;
    };
    // The item's id.
    int goods(const Goods &goods);

    // An employee level (员工等级) with its base salary (NULL when empty).
    ShopBuilder &level(const QString &name, const QString &salary);
    ShopBuilder &employee(const QString &code, const QString &name, const QString &level,
                          const QString &sex = QStringLiteral("女"));

    // A member type (会员类型) with its discount rate.
    ShopBuilder &memberType(const QString &name, Money rate, Money initialPoints = {});
    // A member as the add window makes one, then the card as later use left
    // it: the balance credited to the card (no recharge record; recharge()
    // writes one), the points added, the password changed from the default.
    struct Member
    {
        QString card;
        QString name;
        QString type = QStringLiteral("金卡");
        QString sex = QStringLiteral("女");
        Money balance;
        Money points;
        QString password = QStringLiteral("0000");
        QString phone;
        QString note;
    };
    ShopBuilder &member(const Member &member);
    // A recharge of the card, recorded as the recharge window records it.
    ShopBuilder &recharge(const QString &card, Money amount, const QDateTime &at,
                          const QString &note = QStringLiteral("开卡"),
                          const QString &operatorName = QStringLiteral("前台"));

private:
    Database &m_database;
};
