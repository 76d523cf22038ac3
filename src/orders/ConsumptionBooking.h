#pragma once

#include "common/Money.h"
#include "goods/GoodsCatalogue.h"
#include "session/Operator.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class Clock;
class Database;

// Booking what a customer consumes against an occupied plate (the lines of
// xfmx), the goods lookups the add-consumption window needs, and the
// plate's deposit. Refusals throw Refusal with the user's text and write
// nothing; database errors throw DbError.
class ConsumptionBooking
{
public:
    // The plate's header as the window shows it when it opens.
    struct Plate
    {
        QString plate;
        QString mainPlate; // the plate itself when 主号牌 is empty
        QString deposit;   // 押金金额 in shortest form, "0" when unreadable
    };

    // A goods row with what its type decides about a line.
    struct Goods
    {
        GoodsCatalogue::Item item;
        // Exactly one 商品类型 row has the item's type name.
        bool typeFound = false;
        bool keepsStock = false;
        QString discount = QStringLiteral("n"); // 参与打折 of the line
    };

    struct Employee
    {
        QString number; // 员工编号
        QString name;   // 员工姓名
    };

    // A line booked on the plate, as the window lists it.
    struct Line
    {
        QString name;        // 商品名
        Money actualPrice;   // 实际单价
        Money quantity;      // 数量
        Money total;         // 合计
        QString discount;    // 参与打折
        Employee employee;   // 员工编号, 员工姓名
        QString clerk;       // 营业员
    };

    static constexpr auto QuantityMissing = u"请填写数量!";
    static constexpr auto QuantityInvalid = u"数量输入错误!";
    static constexpr auto QuantityZero = u"数量不能是0";
    static constexpr auto NotOccupied = u"该号牌已结帐或已撤单，不能再添加消费项目！";
    static constexpr auto NotFound = u"没找到!";

    ConsumptionBooking(Database &database, const Operator &who, const Clock &clock)
        : m_database(database), m_operator(who), m_clock(clock) {}

    // The header of the plate; a plate without a row gives empty main plate
    // and deposit "0".
    Plate plate(const QString &plate);

    // Every item, by 编号.
    QList<GoodsCatalogue::Item> allGoods();
    // Items whose 商品名, 拼音 or 编号 contains `text` (trimmed); all items
    // when it is empty. "%", "_" and "\" are ordinary characters.
    QList<GoodsCatalogue::Item> search(const QString &text);
    // Items whose 编号 is exactly `code` (trimmed); refuses with NotFound.
    QList<GoodsCatalogue::Item> byCode(const QString &code);
    // Items whose type name contains `type`; "全部" (or empty) lists all.
    QList<GoodsCatalogue::Item> ofType(const QString &type);
    // "全部" first, then every 商品类型.名称 in the table's order.
    QStringList typeList();
    // One item with its type's flags; Stale when the item is gone.
    Goods goods(int id);
    // The lines booked on this plate alone (not the rest of its group), in
    // the order they were booked.
    QList<Line> lines(const QString &plate);

    // The signed quantity from the quantity box as typed and the negative
    // tick, refusing QuantityMissing, QuantityInvalid and QuantityZero, and
    // a number past the amount range with Money::OutOfRange.
    // At most four decimals count; more round half to even.
    static Money quantity(const QString &typed, bool negative);

    // Books one line of `quantity` of the item on the plate in one
    // transaction, provided the plate is still occupied at that moment
    // (NotOccupied otherwise): the line, and for a type that keeps stock
    // 库存 lowered by the quantity (a negative line puts stock back).
    // Without an employee the line carries "n" for both. Returns the line's
    // 合计 (单价 × 数量, half to even). Refuses with Money::OutOfRange a
    // quantity, total or commission past the amount range, and a line that
    // takes the charges (or the returns) of the plate's group past it, so
    // the group can always be checked out.
    Money book(const QString &plate, int goodsId, Money quantity,
               const std::optional<Employee> &employee = std::nullopt);

    // Stores the typed deposit on this plate's row (not the main plate's):
    // empty or unreadable text is 0; a number past the amount range is
    // refused with Money::OutOfRange. Returns the stored value in shortest
    // form.
    QString setDeposit(const QString &plate, const QString &typed);

    // Runs in book() just before its transaction begins: the last moment
    // another workstation's change can come between the window and the
    // booking. Tests play that workstation here.
    void setBeforeWrite(std::function<void()> hook) { m_beforeWrite = std::move(hook); }
    // Runs inside book()'s transaction once it holds the plate, before the
    // line is written: tests start another workstation here that must wait.
    void setWhilePlateHeld(std::function<void()> hook) { m_whilePlateHeld = std::move(hook); }

private:
    QList<GoodsCatalogue::Item> list(const QString &sql, const QVariantList &values = {});
    // Refusal(OutOfRange) when a line of `total` would take the sum of the
    // group's charges or of its returns past the range.
    void refuseGroupPastRange(const QString &mainPlate, Money total);

    Database &m_database;
    const Operator m_operator;
    const Clock &m_clock;
    std::function<void()> m_beforeWrite;
    std::function<void()> m_whilePlateHeld;
};
