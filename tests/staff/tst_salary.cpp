#include "support/ShopBuilder.h"
#include "support/TestDb.h"

#include "common/Clock.h"
#include "common/Refusal.h"
#include "db/Database.h"
#include "orders/Checkout.h"
#include "orders/ConsumptionBooking.h"
#include "orders/Settlement.h"
#include "session/AppContext.h"
#include "staff/SalaryPayment.h"

#include <QSqlRecord>
#include <QTest>

using namespace Qt::StringLiterals;

// The salary payment: what it offers, the arithmetic of JsHj, and that it
// marks paid exactly the commission it pays, whatever happens at the other
// workstations between opening the screen and "确定".
class TestSalary : public QObject
{
    Q_OBJECT

private slots:
    void JsHjAddsTheTickedParts_data();
    void JsHjAddsTheTickedParts();
    void offersBaseSalaryAndUnpaidCommission();
    void levelWithoutRowOrSalary();
    void paymentWritesTheRowAndMarksItsLines();
    void commissionLeftOutStaysUnpaid();
    void refusals_data();
    void refusals();
    void negativeTotalIsPaid();
    void lineSettledWhilePayingStaysUnpaid();
    void changedCommissionPaysNothing_data();
    void changedCommissionPaysNothing();
    void visitSettledAfterOpeningIsOfferedAgain();
    void baseSalaryAloneIgnoresCommissionChanges();
};

namespace {

const QDateTime Now(QDate(2024, 3, 15), QTime(18, 30, 0));

struct Shop
{
    std::unique_ptr<Database> db = TestDb::fresh();
    FixedClock clock{Now};

    Shop()
    {
        ShopBuilder(*db).level(u"发型师"_s, u"3000"_s);
        employee(u"001"_s, u"张敏"_s, u"发型师"_s);
        employee(u"002"_s, u"李娜"_s, u"发型师"_s);
    }
    void employee(const QString &code, const QString &name, const QString &level)
    {
        ShopBuilder(*db).employee(code, name, level);
    }
    // A line settled as checkout leaves it, its commission paid when `paid`
    // is "1".
    qint64 line(const QString &code, const QString &commission, const QString &paid = u"0"_s)
    {
        ShopBuilder::Line line;
        line.plate = u"SP001"_s;
        line.goods = u"洗剪吹"_s;
        line.price = Money::fromInt(30);
        line.commission = Money::fromText(commission);
        line.employee = code;
        line.employeeName = u"张敏"_s;
        line.time = Now.addSecs(-3600);
        return ShopBuilder(*db).settledLine(line, u"B1"_s, paid == u"1"_s);
    }
    QString paidFlag(qint64 id)
    {
        return db->scalar(u"select TcYf from jzmx where ID=?"_s, {id}).toString();
    }
    int payments() { return db->scalar(u"select count(*) from 员工工资表"_s).toInt(); }
    SalaryPayment salary() { return SalaryPayment(*db, clock, Operator{u"前台"_s, Rights::all()}); }
    // The payment as the screen makes it after opening for the employee.
    SalaryPayment::Payment opened(const QString &code)
    {
        SalaryPayment logic = salary();
        SalaryPayment::Payment payment;
        payment.employee = *logic.employee(code);
        payment.base = *logic.baseSalary(payment.employee.level);
        payment.commission = logic.unpaidCommission(code);
        payment.note = SalaryPayment::JsHj(payment.base, true, payment.commission.total, true).note;
        return payment;
    }
};

QString money(const QVariant &value)
{
    return Money::fromVariant(value).toString();
}

} // namespace

void TestSalary::JsHjAddsTheTickedParts_data()
{
    QTest::addColumn<QString>("base");
    QTest::addColumn<bool>("withBase");
    QTest::addColumn<QString>("commission");
    QTest::addColumn<bool>("withCommission");
    QTest::addColumn<QString>("total");
    QTest::addColumn<QString>("note");
    QTest::newRow("both") << u"3000"_s << true << u"125.5"_s << true << u"3125.5"_s
                          << u" 基本工资  提成 "_s;
    QTest::newRow("base only") << u"3000"_s << true << u"125.5"_s << false << u"3000"_s
                               << u" 基本工资 "_s;
    QTest::newRow("commission only") << u"3000"_s << false << u"125.5"_s << true << u"125.5"_s
                                     << u" 提成 "_s;
    QTest::newRow("neither") << u"3000"_s << false << u"125.5"_s << false << u"0"_s << QString();
    QTest::newRow("no commission yet") << u"3000"_s << true << u"0"_s << true << u"3000"_s
                                       << u" 基本工资  提成 "_s;
    QTest::newRow("four decimals") << u"0.0001"_s << true << u"0.0002"_s << true << u"0.0003"_s
                                   << u" 基本工资  提成 "_s;
    QTest::newRow("returns outweigh") << u"0"_s << true << u"-16"_s << true << u"-16"_s
                                      << u" 基本工资  提成 "_s;
    QTest::newRow("cancel out") << u"20"_s << true << u"-20"_s << true << u"0"_s
                                << u" 基本工资  提成 "_s;
}

void TestSalary::JsHjAddsTheTickedParts()
{
    QFETCH(QString, base);
    QFETCH(bool, withBase);
    QFETCH(QString, commission);
    QFETCH(bool, withCommission);
    QFETCH(QString, total);
    QFETCH(QString, note);
    const SalaryPayment::Sum sum = SalaryPayment::JsHj(Money::fromText(base), withBase,
                                                       Money::fromText(commission), withCommission);
    QCOMPARE(sum.total.toString(), total);
    QCOMPARE(sum.note, note);
}

void TestSalary::offersBaseSalaryAndUnpaidCommission()
{
    Shop shop;
    const qint64 first = shop.line(u"001"_s, u"5"_s);
    shop.line(u"001"_s, u"20"_s, u"1"_s); // paid earlier
    const qint64 returned = shop.line(u"001"_s, u"-2.25"_s);
    shop.line(u"002"_s, u"8"_s);
    shop.line(u"n"_s, u"0"_s);

    SalaryPayment logic = shop.salary();
    const auto employee = logic.employee(u" 001 "_s);
    QVERIFY(employee);
    QCOMPARE(employee->code, u"001"_s);
    QCOMPARE(employee->name, u"张敏"_s);
    QCOMPARE(employee->level, u"发型师"_s);
    QCOMPARE(logic.baseSalary(employee->level)->toString(), u"3000"_s);

    const SalaryPayment::Commission unpaid = logic.unpaidCommission(u"001"_s);
    QCOMPARE(unpaid.total.toString(), u"2.75"_s);
    QCOMPARE(unpaid.lines, (QList<SalaryPayment::Line>{{first, Money::fromText(u"5")},
                                                       {returned, Money::fromText(u"-2.25")}}));
    QCOMPARE(logic.unpaidCommission(u"003"_s).total.toString(), u"0"_s);
    QVERIFY(!logic.employee(u"003"_s));
}

void TestSalary::levelWithoutRowOrSalary()
{
    Shop shop;
    ShopBuilder(*shop.db).level(u"学徒"_s, QString());
    SalaryPayment logic = shop.salary();
    QVERIFY(!logic.baseSalary(u"特级"_s));
    QVERIFY(!logic.baseSalary(QString()));
    // A level without a salary pays none.
    QCOMPARE(logic.baseSalary(u"学徒"_s)->toString(), u"0"_s);
}

void TestSalary::paymentWritesTheRowAndMarksItsLines()
{
    Shop shop;
    const qint64 a = shop.line(u"001"_s, u"5"_s);
    const qint64 b = shop.line(u"001"_s, u"8.5"_s);
    const qint64 other = shop.line(u"002"_s, u"7"_s);
    SalaryPayment::Payment payment = shop.opened(u"001"_s);
    payment.note = u"三月"_s;
    shop.salary().pay(payment);

    const QSqlRecord row = shop.db->firstRow(
        u"select 员工编号, 员工姓名, 员工等级, 日期, 工资, 提成, 合计, 备注, 登记人 from 员工工资表"_s);
    QCOMPARE(row.value(0).toString(), u"001"_s);
    QCOMPARE(row.value(1).toString(), u"张敏"_s);
    QCOMPARE(row.value(2).toString(), u"发型师"_s);
    QCOMPARE(row.value(3).toDateTime(), Now);
    QCOMPARE(money(row.value(4)), u"3000"_s);
    QCOMPARE(money(row.value(5)), u"13.5"_s);
    QCOMPARE(money(row.value(6)), u"3013.5"_s);
    QCOMPARE(row.value(7).toString(), u"三月"_s);
    QCOMPARE(row.value(8).toString(), u"前台"_s);
    QCOMPARE(shop.paidFlag(a), u"1"_s);
    QCOMPARE(shop.paidFlag(b), u"1"_s);
    QCOMPARE(shop.paidFlag(other), u"0"_s);
    QCOMPARE(shop.salary().unpaidCommission(u"001"_s).total.toString(), u"0"_s);
}

void TestSalary::commissionLeftOutStaysUnpaid()
{
    Shop shop;
    const qint64 a = shop.line(u"001"_s, u"5"_s);
    SalaryPayment::Payment payment = shop.opened(u"001"_s);
    payment.withCommission = false;
    payment.note = SalaryPayment::JsHj(payment.base, true, payment.commission.total, false).note;
    shop.salary().pay(payment);

    QCOMPARE(money(shop.db->scalar(u"select 提成 from 员工工资表"_s)), u"0"_s);
    QCOMPARE(money(shop.db->scalar(u"select 合计 from 员工工资表"_s)), u"3000"_s);
    QCOMPARE(shop.db->scalar(u"select 备注 from 员工工资表"_s).toString(), u" 基本工资 "_s);
    QCOMPARE(shop.paidFlag(a), u"0"_s);
    // The next payment offers the same commission again.
    QCOMPARE(shop.opened(u"001"_s).commission.total.toString(), u"5"_s);
}

void TestSalary::refusals_data()
{
    QTest::addColumn<QString>("base");
    QTest::addColumn<bool>("withBase");
    QTest::addColumn<bool>("withCommission");
    QTest::addColumn<QString>("message");
    QTest::newRow("nothing ticked") << u"3000"_s << false << false << u"不能发零!"_s;
    QTest::newRow("zero base, no commission") << u"0"_s << true << true << u"不能发零!"_s;
    QTest::newRow("zero base alone") << u"0"_s << true << false << u"不能发零!"_s;
}

void TestSalary::refusals()
{
    QFETCH(QString, base);
    QFETCH(bool, withBase);
    QFETCH(bool, withCommission);
    QFETCH(QString, message);
    Shop shop;
    SalaryPayment::Payment payment = shop.opened(u"001"_s);
    payment.base = Money::fromText(base);
    payment.withBase = withBase;
    payment.withCommission = withCommission;
    try {
        shop.salary().pay(payment);
        QFAIL("paid");
    } catch (const Refusal &refusal) {
        QCOMPARE(refusal.text(), message);
    }
    QCOMPARE(shop.payments(), 0);
}

void TestSalary::negativeTotalIsPaid()
{
    Shop shop;
    const qint64 returned = shop.line(u"001"_s, u"-16"_s);
    SalaryPayment::Payment payment = shop.opened(u"001"_s);
    payment.withBase = false;
    shop.salary().pay(payment);
    QCOMPARE(money(shop.db->scalar(u"select 合计 from 员工工资表"_s)), u"-16"_s);
    QCOMPARE(money(shop.db->scalar(u"select 工资 from 员工工资表"_s)), u"0"_s);
    QCOMPARE(shop.paidFlag(returned), u"1"_s);
}

void TestSalary::lineSettledWhilePayingStaysUnpaid()
{
    // A checkout at another workstation commits its lines between the
    // payment's check and its marking: they were not paid, so they stay
    // unpaid for the next payment.
    Shop shop;
    const qint64 read = shop.line(u"001"_s, u"5"_s);
    const SalaryPayment::Payment payment = shop.opened(u"001"_s);
    qint64 settled = 0;
    SalaryPayment logic = shop.salary();
    logic.setBeforeMarking([&] { settled = shop.line(u"001"_s, u"8"_s); });
    logic.pay(payment);

    QCOMPARE(money(shop.db->scalar(u"select 提成 from 员工工资表"_s)), u"5"_s);
    QCOMPARE(shop.paidFlag(read), u"1"_s);
    QCOMPARE(shop.paidFlag(settled), u"0"_s);
    QCOMPARE(shop.opened(u"001"_s).commission.total.toString(), u"8"_s);
}

void TestSalary::changedCommissionPaysNothing_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("now");
    QTest::newRow("line settled") << u"settled"_s << u"21.5"_s;
    QTest::newRow("bill reversed") << u"reversed"_s << u"5"_s;
    QTest::newRow("paid at another workstation") << u"paid"_s << u"0"_s;
    QTest::newRow("same sum, other lines") << u"swapped"_s << u"13.5"_s;
}

void TestSalary::changedCommissionPaysNothing()
{
    QFETCH(QString, change);
    QFETCH(QString, now);
    Shop shop;
    const qint64 a = shop.line(u"001"_s, u"5"_s);
    const qint64 b = shop.line(u"001"_s, u"8.5"_s);
    const SalaryPayment::Payment payment = shop.opened(u"001"_s);

    if (change == u"settled") {
        shop.line(u"001"_s, u"8"_s);
    } else if (change == u"reversed") {
        shop.db->execute(u"delete from jzmx where ID=?"_s, {b});
    } else if (change == u"paid") {
        shop.salary().pay(shop.opened(u"001"_s));
        shop.db->execute(u"delete from 员工工资表"_s);
    } else {
        shop.line(u"001"_s, u"8.5"_s);
        shop.db->execute(u"delete from jzmx where ID=?"_s, {b});
    }
    const QStringList flags{shop.paidFlag(a), shop.paidFlag(b)};

    try {
        shop.salary().pay(payment);
        QFAIL("paid");
    } catch (const SalaryPayment::CommissionChanged &changed) {
        QCOMPARE(changed.now().total.toString(), now);
        QCOMPARE(changed.text(), u"该员工未发的提成已变动，现为"_s + now
                                     + u"元。本次没有发放，请核对合计后再按确定。"_s);
        // What the screen shows then is what a second "确定" pays.
        SalaryPayment::Payment again = payment;
        again.commission = changed.now();
        QCOMPARE(shop.payments(), 0);
        QCOMPARE((QStringList{shop.paidFlag(a), shop.paidFlag(b)}), flags);
        shop.salary().pay(again);
        QCOMPARE(money(shop.db->scalar(u"select 提成 from 员工工资表"_s)), now);
        QCOMPARE(shop.salary().unpaidCommission(u"001"_s).total.toString(), u"0"_s);
    }
}

void TestSalary::visitSettledAfterOpeningIsOfferedAgain()
{
    // A whole visit through booking and checkout while the screen is open.
    Shop shop;
    AppContext context;
    context.OperatorName = u"前台"_s;
    ShopBuilder builder(*shop.db);
    builder.goodsType(u"美发服务"_s, false, true, true);
    builder.goods({u"1001"_s, u"烫发"_s, QString(), u"美发服务"_s, Money::fromInt(280),
                   Money::fromInt(20), Money(), true});
    builder.plate({.plate = u"SP001"_s, .state = u"占用"_s, .entered = Now.addSecs(-3600)});
    const qint64 earlier = shop.line(u"001"_s, u"5"_s);
    const SalaryPayment::Payment payment = shop.opened(u"001"_s);

    const int goods = shop.db->scalar(u"select id from 商品库"_s).toInt();
    ConsumptionBooking(*shop.db, context.signedIn(), shop.clock)
        .book(u"SP001"_s, goods, Money::fromInt(1), ConsumptionBooking::Employee{u"001"_s, u"张敏"_s});
    Checkout checkout(*shop.db, shop.clock, u"SP001"_s);
    checkout.open();
    Settlement(*shop.db, context.signedIn(), shop.clock).JieZhangHs(checkout, Settlement::Status::Paid);

    QVERIFY_THROWS_EXCEPTION(SalaryPayment::CommissionChanged, shop.salary().pay(payment));
    QCOMPARE(shop.payments(), 0);
    QCOMPARE(shop.paidFlag(earlier), u"0"_s);
    QCOMPARE(shop.opened(u"001"_s).commission.total.toString(), u"25"_s);
}

void TestSalary::baseSalaryAloneIgnoresCommissionChanges()
{
    Shop shop;
    const qint64 a = shop.line(u"001"_s, u"5"_s);
    SalaryPayment::Payment payment = shop.opened(u"001"_s);
    payment.withCommission = false;
    shop.line(u"001"_s, u"8"_s);
    shop.salary().pay(payment);
    QCOMPARE(money(shop.db->scalar(u"select 合计 from 员工工资表"_s)), u"3000"_s);
    QCOMPARE(shop.paidFlag(a), u"0"_s);
}

SALONDESK_DB_TEST_MAIN(TestSalary)
#include "tst_salary.moc"
