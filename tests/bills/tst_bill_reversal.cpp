#include "support/TestDb.h"

#include "BillsFixture.h"
#include "bills/BillReversal.h"
#include "common/DateFormat.h"
#include "common/Refusal.h"
#include "db/RowLocks.h"
#include "db/Transaction.h"

#include <QTest>

#include <array>
#include <barrier>
#include <optional>
#include <thread>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(Settlement::Status)

// Taking a checkout back: the whole group reopened with its own lines and
// their numbers, the member's card and points given back once, refusals
// that leave everything as it was, and two workstations at once.
class TestBillReversal : public QObject
{
    Q_OBJECT

private slots:
    void restoresTheWholeCheckout();
    void restoredGroupSettlesAgain();
    void refusedWhileAPlateIsNotFree_data();
    void refusedWhileAPlateIsNotFree();
    void givesBackWhatTheBillTook_data();
    void givesBackWhatTheBillTook();
    void memberDeletedSinceStillReverses();
    void restoredNumbersStayAheadOfNewLines();
    void aBillIsReversedOnce();
    void twoWorkstationsReverseOnce();
    void platesAreTakenBeforeTheBill();
};

namespace {

const QDateTime Now(QDate(2024, 3, 10), QTime(15, 0));

// SP001 and SP002 under SP001, occupied, with two and one lines; SP003
// free. Member 8001 (rate 0.8) holds 30 on the card and 100 points.
struct Group
{
    std::unique_ptr<Database> db = TestDb::fresh();
    FixedClock clock{Now};
    BillsFixture make{*db, clock};
    QList<int> ids;

    Group()
    {
        make.plate(u"SP001"_s, u"占用"_s, u"SP001"_s);
        make.plate(u"SP002"_s, u"占用"_s, u"SP001"_s);
        make.plate(u"SP003"_s);
        ids.append(make.line(u"SP001"_s, u"SP001"_s, u"烫发"_s, u"40"_s));
        ids.append(make.line(u"SP001"_s, u"SP001"_s, u"剪发"_s, u"15"_s, u"2"_s));
        ids.append(make.line(u"SP002"_s, u"SP001"_s, u"洗发水"_s, u"10"_s, u"1"_s, u"n"_s));
        make.member(u"8001"_s, u"30"_s, u"100"_s, u"0.8"_s);
    }
    // The bill's id.
    int billId(const QString &number)
    {
        return db->scalar(u"select id from 结帐管理 where 单据号=?"_s, {number}).toInt();
    }
    // Everything a refused reversal must leave as it was.
    QStringList snapshot()
    {
        QStringList lines;
        lines += db->strings(u"select 号牌 || ' ' || coalesce(号牌状态, '') || ' ' || "
                             "coalesce(主号牌, '') from 号牌管理 order by 号牌"_s);
        lines += db->strings(u"select cast(ID as text) from xfmx order by ID"_s);
        lines += db->strings(u"select cast(ID as text) || 单据号 from jzmx order by ID"_s);
        lines += db->strings(u"select 单据号 from 结帐管理 order by id"_s);
        lines.append(make.amount(u"select 卡内金额 from 会员管理"_s));
        lines.append(make.amount(u"select 当前积分 from 会员管理"_s));
        return lines;
    }
};

QString refusalOf(const std::function<void()> &operation)
{
    try {
        operation();
    } catch (const Refusal &refusal) {
        return refusal.text();
    }
    return QString();
}

} // namespace

void TestBillReversal::restoresTheWholeCheckout()
{
    Group g;
    // 40 × 0.8 + 15 × 2 × 0.8 + 10 = 66: the card pays 30, 36 are received.
    const QString bill = g.make.settle(u"SP002"_s, {u"8001"_s, u"卡内扣除"_s});
    QCOMPARE(g.make.amount(u"select 卡内扣除 from 结帐管理"_s), u"30"_s);
    QCOMPARE(g.make.amount(u"select 实收金额 from 结帐管理"_s), u"36"_s);
    QCOMPARE(g.make.amount(u"select 卡内金额 from 会员管理"_s), u"0"_s);
    QCOMPARE(g.make.amount(u"select 当前积分 from 会员管理"_s), u"136"_s);
    // Settled under SP002, the plate the checkout was opened from.
    QCOMPARE(g.make.text(u"select 号牌 from 结帐管理"_s), u"SP002"_s);
    g.clock.advanceSeconds(600);

    const QStringList reopened = BillReversal(*g.db, g.clock).reverse(g.billId(bill)).plates;

    QCOMPARE(reopened, (QStringList{u"SP001"_s, u"SP002"_s}));
    QCOMPARE(g.make.count(u"select count(*) from 结帐管理"_s), 0);
    QCOMPARE(g.make.count(u"select count(*) from jzmx"_s), 0);
    // Both plates occupied under the bill's plate, as a new visit is.
    QCOMPARE(g.make.strings(u"select 号牌 || ' ' || 号牌状态 || ' ' || coalesce(主号牌, '') || ' ' || 顾客姓名 "
                            "from 号牌管理 order by 号牌"_s),
             (QStringList{u"SP001 占用 SP002 散客"_s, u"SP002 占用 SP002 散客"_s,
                          u"SP003 可用  散客"_s}));
    QCOMPARE(g.db->scalar(u"select count(*) from 号牌管理 where 进店时间=?"_s,
                          {g.clock.now()}).toInt(), 2);
    QCOMPARE(g.make.amount(u"select sum(押金金额) from 号牌管理"_s), u"0"_s);
    // Each line back on its own plate with its own number, at list price,
    // without the settled bill's stamps.
    QSqlQuery lines = g.db->exec(u"select ID, 号牌, 主号牌, 商品名, 单价, 实际单价, 数量, 合计, 状态, "
                                 "单据号, 会员卡号, 员工编号, 员工姓名, 提成金额, 营业员, 参与打折, "
                                 "消费时间 from xfmx order by ID"_s);
    QStringList restored;
    while (lines.next()) {
        QStringList fields;
        for (int column = 0; column < 16; ++column) {
            const QVariant value = lines.value(column);
            const auto amount = Money::tryFromVariant(value);
            const bool isAmount = (column >= 4 && column <= 7) || column == 13;
            fields.append(isAmount && amount ? amount->toString() : value.toString());
        }
        QCOMPARE(DateFormat::fromVariant(lines.value(16)), Now);
        restored.append(fields.join(u'|'));
    }
    const QString first = QString::number(g.ids[0]);
    const QString second = QString::number(g.ids[1]);
    const QString third = QString::number(g.ids[2]);
    QCOMPARE(restored,
             (QStringList{first + u"|SP001|SP002|烫发|40|40|1|32|消费完毕|||007|王芳|2|前台|y"_s,
                          second + u"|SP001|SP002|剪发|15|15|2|24|消费完毕|||007|王芳|2|前台|y"_s,
                          third + u"|SP002|SP002|洗发水|10|10|1|10|消费完毕|||007|王芳|2|前台|n"_s}));
    // The card gets its 30 back, the 36 points go.
    QCOMPARE(g.make.amount(u"select 卡内金额 from 会员管理"_s), u"30"_s);
    QCOMPARE(g.make.amount(u"select 当前积分 from 会员管理"_s), u"100"_s);
}

void TestBillReversal::restoredGroupSettlesAgain()
{
    Group g;
    const QString first = g.make.settle(u"SP001"_s, {u"8001"_s, u"卡内扣除"_s});
    BillReversal(*g.db, g.clock).reverse(g.billId(first));

    // The group is whole again: checkout gathers both plates at list price.
    g.clock.advanceSeconds(60);
    Checkout checkout(*g.db, g.clock, u"SP002"_s);
    checkout.open();
    QCOMPARE(checkout.mainPlate(), u"SP001"_s);
    QCOMPARE(checkout.group(), (QStringList{u"SP002"_s, u"SP001"_s}));
    QCOMPARE(checkout.due().toString(), u"80"_s);
    const QString second = Settlement(*g.db, g.make.context().signedIn(), g.clock)
                               .JieZhangHs(checkout, Settlement::Status::Paid);
    QVERIFY(second != first);
    QCOMPARE(g.make.count(u"select count(*) from jzmx where 单据号=?"_s, {second}), 3);
    QCOMPARE(g.make.count(u"select count(*) from 号牌管理 where 号牌状态='可用'"_s), 3);
}

void TestBillReversal::refusedWhileAPlateIsNotFree_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("message");
    const auto update = [](const QString &plate, const QString &state) -> QString {
        return u"update 号牌管理 set 号牌状态='"_s + state + u"' where 号牌='"_s + plate + u"'"_s;
    };
    const QString notFree = u" 当前状态不是可用状态,故无法完成撤销操作!"_s;
    QTest::newRow("the bill's plate opened again")
        << update(u"SP001"_s, u"占用"_s) << u"牌号 SP001"_s + notFree;
    QTest::newRow("another plate of the bill opened again")
        << update(u"SP002"_s, u"占用"_s) << u"牌号 SP002"_s + notFree;
    QTest::newRow("a plate reserved") << update(u"SP002"_s, u"预定"_s) << u"牌号 SP002"_s + notFree;
    QTest::newRow("a plate stopped") << update(u"SP001"_s, u"停用"_s) << u"牌号 SP001"_s + notFree;
    QTest::newRow("a plate deleted") << u"delete from 号牌管理 where 号牌='SP002'"_s
                                     << u"没有找到 SP002 这个牌号,故无法完成撤销操作!"_s;
}

void TestBillReversal::refusedWhileAPlateIsNotFree()
{
    QFETCH(QString, change);
    QFETCH(QString, message);
    Group g;
    const QString bill = g.make.settle(u"SP001"_s, {u"8001"_s, u"卡内扣除"_s});
    g.db->execute(change);
    const QStringList before = g.snapshot();

    QCOMPARE(refusalOf([&] { BillReversal(*g.db, g.clock).reverse(g.billId(bill)); }), message);
    QCOMPARE(g.snapshot(), before);
}

void TestBillReversal::givesBackWhatTheBillTook_data()
{
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("method");
    QTest::addColumn<Settlement::Status>("status");
    QTest::addColumn<QString>("settledBalance");
    QTest::addColumn<QString>("settledPoints");
    // By the bill's own amounts where an older program wrote them
    // regardless of the state; empty to keep what settlement wrote.
    QTest::addColumn<QString>("billAmounts");
    QTest::newRow("member pays cash") << u"8001"_s << u"现金支付"_s << Settlement::Status::Paid
                                      << u"30"_s << u"180"_s << QString();
    QTest::newRow("member pays by card") << u"8001"_s << u"卡内扣除"_s << Settlement::Status::Paid
                                         << u"0"_s << u"150"_s << QString();
    QTest::newRow("member's bank card") << u"8001"_s << u"银行卡"_s << Settlement::Status::Paid
                                        << u"30"_s << u"180"_s << QString();
    QTest::newRow("member waived") << u"8001"_s << u"卡内扣除"_s << Settlement::Status::Waived
                                   << u"30"_s << u"100"_s << QString();
    QTest::newRow("member cancelled") << u"8001"_s << QString() << Settlement::Status::Cancelled
                                      << u"30"_s << u"100"_s << QString();
    QTest::newRow("waived bill carrying amounts")
        << u"8001"_s << QString() << Settlement::Status::Waived << u"30"_s << u"100"_s
        << u"update 结帐管理 set 实收金额=80, 卡内扣除=20"_s;
    QTest::newRow("walk-in") << QString() << QString() << Settlement::Status::Paid << u"30"_s
                             << u"100"_s << QString();
}

void TestBillReversal::givesBackWhatTheBillTook()
{
    QFETCH(QString, card);
    QFETCH(QString, method);
    QFETCH(Settlement::Status, status);
    QFETCH(QString, settledBalance);
    QFETCH(QString, settledPoints);
    QFETCH(QString, billAmounts);
    Group g;
    // Without the member's rate: 40 + 30 + 10 = 80.
    g.db->execute(u"update 会员类型 set 打折率=1"_s);
    const QString bill = g.make.settle(u"SP001"_s, {card, method, status});
    QCOMPARE(g.make.amount(u"select 卡内金额 from 会员管理"_s), settledBalance);
    QCOMPARE(g.make.amount(u"select 当前积分 from 会员管理"_s), settledPoints);
    if (!billAmounts.isEmpty())
        g.db->execute(billAmounts);
    // Another workstation's recharge and checkout meanwhile still count.
    g.db->execute(u"update 会员管理 set 卡内金额=卡内金额 + 5, 当前积分=当前积分 + 7"_s);

    BillReversal(*g.db, g.clock).reverse(g.billId(bill));
    QCOMPARE(g.make.amount(u"select 卡内金额 from 会员管理"_s), u"35"_s);
    QCOMPARE(g.make.amount(u"select 当前积分 from 会员管理"_s), u"107"_s);
    QCOMPARE(g.make.count(u"select count(*) from xfmx"_s), 3);
}

void TestBillReversal::memberDeletedSinceStillReverses()
{
    Group g;
    const QString bill = g.make.settle(u"SP001"_s, {u"8001"_s, u"卡内扣除"_s});
    g.db->execute(u"delete from 会员管理"_s);
    BillReversal(*g.db, g.clock).reverse(g.billId(bill));
    QCOMPARE(g.make.count(u"select count(*) from xfmx"_s), 3);
    QCOMPARE(g.make.count(u"select count(*) from 会员管理"_s), 0);
}

void TestBillReversal::restoredNumbersStayAheadOfNewLines()
{
    // A line numbered beyond the open lines' counter, as a restored or
    // moved database can hold.
    Group g;
    g.make.bill(u"B9"_s, Now, u"10"_s, u"10"_s);
    g.db->execute(u"update 结帐管理 set 号牌='SP003' where 单据号='B9'"_s);
    g.make.settledLine(5000, u"B9"_s, u"SP003"_s, u"染发"_s, Now);
    BillReversal(*g.db, g.clock).reverse(g.billId(u"B9"_s));
    QCOMPARE(g.make.count(u"select max(ID) from xfmx"_s), 5000);

    const int next = g.make.line(u"SP003"_s, u"SP003"_s, u"护理"_s, u"20"_s);
    QVERIFY2(next > 5000, qPrintable(QString::number(next)));
}

void TestBillReversal::aBillIsReversedOnce()
{
    Group g;
    const QString bill = g.make.settle(u"SP001"_s, {u"8001"_s, u"卡内扣除"_s});
    const int id = g.billId(bill);
    BillReversal(*g.db, g.clock).reverse(id);
    // The plates settled and freed again by hand would let a stale second
    // reversal through if it did not depend on the bill row.
    g.db->execute(u"update 号牌管理 set 号牌状态='可用'"_s);
    QCOMPARE(refusalOf([&] { BillReversal(*g.db, g.clock).reverse(id); }),
             u"这笔结帐已在别处撤销,故无法完成撤销操作!"_s);
    QCOMPARE(g.make.amount(u"select 卡内金额 from 会员管理"_s), u"30"_s);
}

void TestBillReversal::twoWorkstationsReverseOnce()
{
    Group g;
    const ConnectionSettings settings = g.db->settings();
    constexpr int Rounds = 15;
    for (int round = 0; round < Rounds; ++round) {
        const QString bill = g.make.settle(u"SP001"_s, {u"8001"_s, u"卡内扣除"_s});
        const int id = g.billId(bill);
        QCOMPARE(g.make.amount(u"select 卡内金额 from 会员管理"_s), u"0"_s);

        std::barrier<> meet(2);
        std::array<QString, 2> outcome;
        auto station = [&](int which) {
            try {
                auto own = Database::open(settings);
                BillReversal reversal(*own, g.clock);
                // Both have read the bill; both now try to take it back.
                reversal.setBeforeWrite([&] { meet.arrive_and_wait(); });
                reversal.reverse(id);
                outcome[which] = u"done"_s;
            } catch (const Refusal &refusal) {
                outcome[which] = refusal.text();
            } catch (const DbError &error) {
                outcome[which] = u"failed: "_s + error.text();
            }
        };
        std::thread first(station, 0);
        std::thread second(station, 1);
        first.join();
        second.join();

        const QString what = u"round %1: %2 / %3"_s.arg(round).arg(outcome[0], outcome[1]);
        QVERIFY2(outcome.at(0) == u"done" || outcome.at(1) == u"done", qPrintable(what));
        QVERIFY2(outcome.at(0) == BillReversal::gone() || outcome.at(1) == BillReversal::gone(),
                 qPrintable(what));
        // Given back once, the lines back once.
        QCOMPARE(g.make.amount(u"select 卡内金额 from 会员管理"_s), u"30"_s);
        QCOMPARE(g.make.amount(u"select 当前积分 from 会员管理"_s), u"100"_s);
        QCOMPARE(g.make.count(u"select count(*) from xfmx"_s), 3);
        QCOMPARE(g.make.count(u"select count(*) from jzmx"_s), 0);
        QCOMPARE(g.make.count(u"select count(*) from 结帐管理"_s), 0);
        QCOMPARE(g.make.count(u"select count(*) from 号牌管理 where 号牌状态='占用'"_s), 2);
        g.clock.advanceSeconds(5);
    }
}

void TestBillReversal::platesAreTakenBeforeTheBill()
{
    // Another workstation holds the bill's plates and then needs the bill,
    // in the program's lock order. A reversal that took the bill first would
    // hold what that workstation waits for while it waits for the plates
    // (PostgreSQL ends the pair with "deadlock detected"); taking the plates
    // first, it waits its turn and then goes through.
    Group g;
    const QString bill = g.make.settle(u"SP001"_s);
    const int id = g.billId(bill);
    const ConnectionSettings settings = g.db->settings();

    auto other = Database::open(settings);
    QString otherError;
    std::optional<Transaction> holding;
    holding.emplace(*other);
    RowLocks::lock(*other, LockRank::Plates, u"号牌管理"_s, u"号牌"_s, {u"SP001"_s, u"SP002"_s});

    QString outcome;
    std::thread reversing([&] {
        try {
            auto own = Database::open(settings);
            BillReversal(*own, g.clock).reverse(id);
            outcome = u"done"_s;
        } catch (const Refusal &refusal) {
            outcome = refusal.text();
        } catch (const DbError &error) {
            outcome = u"failed: "_s + error.text();
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    try {
        RowLocks::lock(*other, LockRank::BillNumber, u"结帐管理"_s, u"id"_s,
                       {QString::number(id)});
        holding->commit();
    } catch (const DbError &error) {
        otherError = error.text();
    }
    holding.reset();
    reversing.join();
    QCOMPARE(otherError, QString());
    QCOMPARE(outcome, u"done"_s);
    QCOMPARE(g.make.count(u"select count(*) from 结帐管理"_s), 0);
    QCOMPARE(g.make.count(u"select count(*) from xfmx"_s), 3);
}

SALONDESK_DB_TEST_MAIN(TestBillReversal)
#include "tst_bill_reversal.moc"
