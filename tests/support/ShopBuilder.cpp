#include "ShopBuilder.h"

#include "common/Clock.h"
#include "db/Transaction.h"
#include "goods/GoodsCatalogue.h"
#include "members/MemberCards.h"
#include "members/MemberStore.h"
#include "session/Operator.h"
#include "session/Rights.h"
#include "staff/EmployeeStore.h"
#include "stores/LineStore.h"
#include "stores/PlateStore.h"

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

// A store that refuses what the fixture asked for means the fixture is
// wrong; the test must not go on with a shop other than the one it meant.
void require(bool done, const char *what)
{
    if (!done)
        throw std::logic_error(what);
}

} // namespace

ShopBuilder &ShopBuilder::room(const QString &name, Money ticketPrice)
{
    // Rooms have no store of their own; this is the row the settings
    // window writes.
    m_database.execute(u"insert into 包厢 (包厢, 门票价格, 最低消费, 初始费用, 排序) "
                       "values (?, ?, 0, 0, (select coalesce(max(排序), 0) + 1 from 包厢))"_s,
                       {name, ticketPrice.toVariant()});
    return *this;
}

ShopBuilder &ShopBuilder::plate(const Plate &plate)
{
    Transaction transaction(m_database);
    PlateStore plates(m_database);
    require(plates.addFree(plate.plate, plate.room), "ShopBuilder: the plate exists already");
    const QString main = plate.mainPlate.isEmpty() ? plate.plate : plate.mainPlate;
    if (plate.state == u"占用"_s || plate.entered.isValid() || !plate.mainPlate.isEmpty()) {
        require(plates.open(plate.plate, {plate.customer, plate.entered, plate.remark, main}),
                "ShopBuilder: the plate could not be opened");
        // A free plate with a time or a main plate is one a visit has left.
        if (plate.state != u"占用"_s)
            plates.free({plate.plate});
    }
    if (plate.deposit != Money())
        plates.setDeposit(plate.plate, plate.deposit);
    if (plate.state != u"占用"_s && plate.state != u"可用"_s) {
        require(plates.changeState(plate.plate, plate.state),
                "ShopBuilder: the plate's state could not be set");
    }
    transaction.commit();
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

namespace {

LineStore::NewLine booked(const ShopBuilder::Line &line)
{
    LineStore::NewLine booked;
    booked.plate = line.plate;
    booked.mainPlate = line.mainPlate.isEmpty() ? line.plate : line.mainPlate;
    booked.goods = line.goods;
    booked.type = line.type;
    booked.price = line.price;
    booked.quantity = line.quantity;
    booked.total = line.total.value_or(line.price * line.quantity);
    booked.discounts = line.discounts;
    booked.commission = line.commission;
    booked.employee = line.employee;
    booked.employeeName = line.employeeName;
    booked.time = line.time;
    booked.operatorName = line.operatorName;
    return booked;
}

} // namespace

int ShopBuilder::line(const Line &line)
{
    Transaction transaction(m_database);
    LineStore(m_database).book(booked(line));
    const int id = m_database.scalar(u"select max(ID) from xfmx"_s).toInt();
    transaction.commit();
    return id;
}

int ShopBuilder::settledLine(const Line &line, const QString &billNumber, bool paid)
{
    Transaction transaction(m_database);
    LineStore lines(m_database);
    lines.book(booked(line));
    const int id = m_database.scalar(u"select max(ID) from xfmx"_s).toInt();
    lines.settle({line.plate}, billNumber, u"非会员"_s, u"散客"_s);
    if (paid)
        lines.markPaid(line.employee, {{id, line.commission}});
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

ShopBuilder &ShopBuilder::goodsType(const QString &name, bool keepsStock, bool discounts,
                                    bool needsService)
{
    m_database.execute(u"insert into 商品类型 (名称, 库存, 参与打折, 是否需要服务) values (?, ?, ?, ?)"_s,
                       {name, keepsStock, discounts ? u"y"_s : u"n"_s, needsService});
    return *this;
}

int ShopBuilder::goods(const Goods &goods)
{
    const FixedClock clock(QDateTime(QDate(2024, 1, 1), QTime(9, 0)));
    GoodsCatalogue catalogue(m_database, Operator{u"经理"_s, Rights::all()}, clock);
    GoodsCatalogue::NewItem item;
    item.code = goods.code;
    item.name = goods.name;
    item.pinyin = goods.pinyin;
    item.type = goods.type;
    item.needsService = goods.needsService ? u"是"_s : u"否"_s;
    item.price = goods.price.toString();
    item.commission = goods.commission.toString();
    // A whole stock of a type that keeps stock is the first purchase, as
    // the add screen records it.
    const bool purchased = catalogue.keepsStock(goods.type) && goods.stock >= Money()
        && goods.stock.toString().indexOf(u'.') < 0;
    item.purchasePrice = goods.price.toString();
    item.quantity = purchased ? goods.stock.toString() : u"0"_s;
    const int id = catalogue.add(item);
    if (catalogue.item(id).stock != goods.stock) {
        // Any other stock is typed on the edit screen, as a count after a
        // stocktaking.
        const GoodsCatalogue::Item shown = catalogue.item(id);
        GoodsCatalogue::Change change;
        change.code = shown.code;
        change.name = shown.name;
        change.pinyin = shown.pinyin;
        change.type = shown.type;
        change.needsService = shown.needsService;
        change.price = shown.price.toString();
        change.commission = shown.commission.toString();
        change.stock = goods.stock.toString();
        catalogue.update(shown, change);
    }
    return id;
}

ShopBuilder &ShopBuilder::level(const QString &name, const QString &salary)
{
    m_database.execute(u"insert into 员工等级 (等级名称, 工资) values (?, ?)"_s,
                       {name, salary.isEmpty() ? QVariant() : QVariant(salary)});
    return *this;
}

ShopBuilder &ShopBuilder::employee(const QString &code, const QString &name,
                                   const QString &level, const QString &sex)
{
    EmployeeStore::Employee employee;
    employee.code = code;
    employee.name = name;
    employee.level = level;
    employee.sex = sex;
    EmployeeStore(m_database).add(employee);
    return *this;
}

ShopBuilder &ShopBuilder::memberType(const QString &name, Money rate, Money initialPoints)
{
    m_database.execute(u"insert into 会员类型 (类型名称, 初始积分, 打折率) values (?, ?, ?)"_s,
                       {name, initialPoints.toVariant(), rate.toVariant()});
    return *this;
}

ShopBuilder &ShopBuilder::member(const Member &member)
{
    MemberStore::Member added;
    added.card = member.card;
    added.name = member.name;
    added.type = member.type;
    added.sex = member.sex;
    added.phone = member.phone;
    added.note = member.note;
    Transaction transaction(m_database);
    MemberStore(m_database, Rights::all()).add(added);
    MemberCards cards(m_database);
    if (member.balance != Money())
        require(cards.refund(member.card, member.balance), "ShopBuilder: no balance credited");
    if (member.points != Money())
        require(cards.addPoints(member.card, member.points), "ShopBuilder: no points added");
    if (member.password != u"0000"_s) {
        require(cards.changePassword(member.card, u"0000"_s, member.password),
                "ShopBuilder: the password was not changed");
    }
    transaction.commit();
    return *this;
}

ShopBuilder &ShopBuilder::recharge(const QString &card, Money amount, const QDateTime &at,
                                   const QString &note, const QString &operatorName)
{
    MemberCards cards(m_database);
    const std::optional<MemberCards::Card> member = cards.find(card);
    require(member.has_value(), "ShopBuilder: no member has the card");
    require(cards.recharge({card, member->name, member->type, amount, at, note, operatorName})
                .has_value(),
            "ShopBuilder: the recharge was not recorded");
    return *this;
}
