#include "support/ShopBuilder.h"
#include "support/TestDb.h"
#include "support/Workstations.h"

#include "common/Clock.h"
#include "common/Refusal.h"
#include "db/Database.h"
#include "members/Recharge.h"
#include "orders/Checkout.h"
#include "orders/OrderOpening.h"
#include "orders/ReceiptBill.h"
#include "orders/Settlement.h"
#include "session/AppContext.h"

#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

// Two workstations doing the same thing at the same moment, each on a
// connection of its own: two connections to one SQLite file, or two
// sessions on one PostgreSQL schema. Each round starts both together. On
// the same plates exactly one may win, the other must be refused in words,
// and what is left must be whole: never a half-opened plate, a bill
// without its lines, a line in both tables or a line settled twice. On
// plates of their own, both go through and neither sees the other's lines.
class TestVisitRaces : public QObject
{
    Q_OBJECT

private slots:
    void onlyOneOpensAFreePlate();
    void onlyOneSettlesAGroup();
    void checkoutsShownInTheSameSecondKeepTheirOwnLines();
    void rechargeAndCardPaymentBothCount();
};

namespace {

constexpr int Rounds = 100;

int count(Database &db, const QString &sql, const QVariantList &values = {})
{
    return db.scalar(sql, values).toInt();
}

QString roundText(int round, const std::array<Outcome, 2> &outcomes)
{
    return u"round %1: [%2] [%3]"_s.arg(round).arg(outcomes[0].describe(), outcomes[1].describe());
}

// The winner and the loser of a round, or -1 when it did not come to that.
int winnerOf(const std::array<Outcome, 2> &outcomes)
{
    if (outcomes[0].kind == Outcome::Done && outcomes[1].kind == Outcome::Refused)
        return 0;
    if (outcomes[1].kind == Outcome::Done && outcomes[0].kind == Outcome::Refused)
        return 1;
    return -1;
}

} // namespace

void TestVisitRaces::onlyOneOpensAFreePlate()
{
    auto db = TestDb::fresh();
    const ConnectionSettings settings = db->settings();
    ShopBuilder(*db).room(u"大厅"_s, Money::fromInt(20)).plate({.plate = u"A01"_s});
    AppContext context;
    context.OperatorName = u"前台"_s;
    const FixedClock clock(QDateTime(QDate(2024, 3, 1), QTime(10, 15, 30)));
    const QString customers[] = {u"甲"_s, u"乙"_s};

    int secondWins = 0;
    for (int round = 0; round < Rounds; ++round) {
        db->execute(u"delete from xfmx"_s);
        db->execute(u"update 号牌管理 set 号牌状态='可用', 顾客姓名='散客' where 号牌='A01'"_s);

        Workstations stations(1);
        const auto outcomes = stations.run([&](int station) {
            auto own = Database::open(settings);
            OrderOpening opening(*own, context.signedIn(), clock);
            stations.meet(station);
            opening.open({u"A01"_s, {}, u"大厅"_s, customers[station], u"无"_s});
            return QString();
        });

        const QString what = roundText(round, outcomes);
        const int winner = winnerOf(outcomes);
        QVERIFY2(winner >= 0, qPrintable(what));
        QVERIFY2(outcomes[1 - winner].text == u"号牌 A01 已不是可用状态，开单失败！请重新选择号牌。"_s,
                 qPrintable(what));
        // The plate is the winner's, with the one ticket line it booked.
        QVERIFY2(db->firstRow(u"select 号牌状态, 顾客姓名 from 号牌管理 where 号牌='A01'"_s)
                         .value(1)
                         .toString()
                     == customers[winner],
                 qPrintable(what));
        QVERIFY2(count(*db, u"select count(*) from 号牌管理 where 号牌='A01' and 号牌状态='占用'"_s)
                     == 1,
                 qPrintable(what));
        QVERIFY2(count(*db, u"select count(*) from xfmx where 号牌='A01' and 商品名='门票' "
                            "and 合计=20 and 主号牌='A01'"_s)
                     == 1,
                 qPrintable(what));
        QVERIFY2(count(*db, u"select count(*) from xfmx"_s) == 1, qPrintable(what));
        if (winner == 1)
            ++secondWins;
    }
    // How the wins fell shows that the two really raced.
    qInfo("%s: wins by workstation %d / %d", qPrintable(TestDb::backendName()),
          Rounds - secondWins, secondWins);
}

void TestVisitRaces::onlyOneSettlesAGroup()
{
    auto db = TestDb::fresh();
    const ConnectionSettings settings = db->settings();
    ShopBuilder shop(*db);
    shop.plate({.plate = u"SP001"_s, .state = u"占用"_s})
        .plate({.plate = u"SP002"_s, .state = u"占用"_s, .mainPlate = u"SP001"_s});
    AppContext context;
    context.OperatorName = u"前台"_s;
    const FixedClock clock(QDateTime(QDate(2024, 3, 15), QTime(14, 5, 9)));
    // Each workstation checks the group out from a plate of its own.
    const QString plates[] = {u"SP001"_s, u"SP002"_s};

    std::array<int, 2> wins{0, 0};
    for (int round = 0; round < Rounds; ++round) {
        db->execute(u"delete from xfmx"_s);
        db->execute(u"delete from jzmx"_s);
        db->execute(u"delete from 结帐管理"_s);
        db->execute(u"update 号牌管理 set 号牌状态='占用', 主号牌='SP001'"_s);
        QList<int> lines;
        for (const QString &plate : plates) {
            for (const QString &goods : {u"洗发"_s, u"剪发"_s}) {
                lines.append(shop.line({.plate = plate, .mainPlate = u"SP001"_s, .goods = goods,
                                        .price = Money::fromInt(30)}));
            }
        }

        // Both show the window together, then both settle: the hook holds
        // each inside its transaction until the other is there too.
        Workstations stations(3);
        const auto outcomes = stations.run([&](int station) {
            auto own = Database::open(settings);
            Checkout checkout(*own, clock, plates[station]);
            stations.meet(station);
            checkout.open();
            if (checkout.lines().size() != lines.size())
                throw DbError(u"the window listed %1 lines"_s.arg(checkout.lines().size()));
            stations.meet(station);
            Settlement settlement(*own, context.signedIn(), clock);
            bool met = false;
            settlement.setBeforeWrite([&] {
                if (!std::exchange(met, true))
                    stations.meet(station);
            });
            return settlement.JieZhangHs(checkout, Settlement::Status::Paid);
        });

        const QString what = roundText(round, outcomes);
        const int winner = winnerOf(outcomes);
        QVERIFY2(winner >= 0, qPrintable(what));
        QVERIFY2(outcomes[1 - winner].text.contains(u"请退出后重新打开结帐窗口"_s), qPrintable(what));
        ++wins[winner];

        const QString number = outcomes[winner].text;
        QVERIFY2(db->strings(u"select 单据号 from 结帐管理"_s) == QStringList{number}, qPrintable(what));
        QVERIFY2(db->strings(u"select 号牌 from 结帐管理"_s) == QStringList{plates[winner]},
                 qPrintable(what));
        // Every line once in jzmx under the bill, none left open.
        QList<int> settled;
        for (const QString &id : db->strings(u"select ID from jzmx where 单据号=? order by ID"_s, {number}))
            settled.append(id.toInt());
        QVERIFY2(settled == lines, qPrintable(what));
        QVERIFY2(count(*db, u"select count(*) from jzmx"_s) == lines.size(), qPrintable(what));
        QVERIFY2(count(*db, u"select count(*) from xfmx"_s) == 0, qPrintable(what));
        QVERIFY2(count(*db, u"select count(*) from 号牌管理 where 号牌状态='可用'"_s) == 2,
                 qPrintable(what));
    }
    qInfo("%s: wins by workstation %d / %d", qPrintable(TestDb::backendName()), wins[0], wins[1]);
}

void TestVisitRaces::checkoutsShownInTheSameSecondKeepTheirOwnLines()
{
    auto db = TestDb::fresh();
    const ConnectionSettings settings = db->settings();
    ShopBuilder shop(*db);
    shop.plate({.plate = u"SP018"_s, .state = u"占用"_s})
        .plate({.plate = u"SP019"_s, .state = u"占用"_s});
    AppContext context;
    context.OperatorName = u"前台"_s;
    // Both windows are shown in the same second.
    const FixedClock clock(QDateTime(QDate(2024, 3, 15), QTime(14, 5, 9)));
    const QString plates[] = {u"SP018"_s, u"SP019"_s};
    const QString goods[] = {u"洗发"_s, u"剪发"_s};

    int secondFirst = 0;
    for (int round = 0; round < Rounds; ++round) {
        db->execute(u"delete from xfmx"_s);
        for (int station = 0; station < 2; ++station) {
            shop.line({.plate = plates[station], .goods = goods[station],
                       .price = Money::fromInt(10)});
        }

        // What each workstation's receipt printed and its window showed due.
        struct Shown
        {
            QString number;
            QStringList lines;
            Money printed;
            Money due;
        };
        std::array<Shown, 2> shown;
        Workstations stations(1);
        const auto outcomes = stations.run([&](int station) {
            auto own = Database::open(settings);
            Checkout checkout(*own, clock, plates[station]);
            stations.meet(station);
            checkout.open();
            ReceiptText::Bill bill;
            bill.billNumber = checkout.billNumber();
            bill.plates = checkout.group();
            bill = ReceiptBill::prepare(bill, *own, context, clock);
            Shown &mine = shown[station];
            mine = {checkout.billNumber(), {}, Money(), checkout.due()};
            for (const ReceiptText::Line &line : std::as_const(bill.lines)) {
                mine.lines.append(line.plate + u' ' + line.goods);
                mine.printed += line.total;
            }
            return QString();
        });

        const QString what = roundText(round, outcomes);
        QVERIFY2(outcomes[0].kind == Outcome::Done && outcomes[1].kind == Outcome::Done,
                 qPrintable(what));
        for (int station = 0; station < 2; ++station) {
            const Shown &mine = shown[station];
            const QString detail = what + u" station %1: %2 %3 / %4"_s.arg(station).arg(
                                       mine.lines.join(u", "_s), mine.printed.toString(),
                                       mine.due.toString());
            QVERIFY2(mine.lines == QStringList{plates[station] + u' ' + goods[station]},
                     qPrintable(detail));
            QVERIFY2(mine.printed == mine.due && mine.due == Money::fromInt(10),
                     qPrintable(detail));
            // The lines carry their own checkout's number, and no other's.
            QVERIFY2(db->strings(u"select distinct 单据号 from xfmx where 号牌=?"_s,
                                 {plates[station]})
                         == QStringList{mine.number},
                     qPrintable(detail));
        }
        QStringList numbers{shown[0].number, shown[1].number};
        numbers.sort();
        QVERIFY2(numbers == (QStringList{u"20240315140509"_s, u"20240315140510"_s}),
                 qPrintable(what + u" numbers: "_s + numbers.join(u", "_s)));
        if (shown[1].number == numbers.first())
            ++secondFirst;
    }
    qInfo("%s: first number to workstation %d / %d", qPrintable(TestDb::backendName()),
          Rounds - secondFirst, secondFirst);
}

void TestVisitRaces::rechargeAndCardPaymentBothCount()
{
    // One workstation puts 50 on member 8001's card while another settles
    // the member's plate, 30 paid from the card: both are kept.
    auto db = TestDb::fresh();
    const ConnectionSettings settings = db->settings();
    db->execute(u"insert into 号牌管理 (号牌, 所属包厢, 号牌状态, 顾客姓名, 主号牌) "
                "values ('SP001', '大厅', '占用', '散客', 'SP001')"_s);
    db->execute(u"insert into 会员管理 (会员卡号, 会员姓名, 会员类型, 密码, 卡内金额, 当前积分) "
                "values ('8001', '张三', '金卡', '0000', 100, 0)"_s);
    AppContext context;
    context.OperatorName = u"前台"_s;
    const FixedClock clock(QDateTime(QDate(2024, 3, 15), QTime(14, 5, 9)));

    for (int round = 0; round < Rounds; ++round) {
        db->execute(u"delete from xfmx"_s);
        db->execute(u"delete from jzmx"_s);
        db->execute(u"delete from 结帐管理"_s);
        db->execute(u"delete from 会员充值"_s);
        db->execute(u"update 号牌管理 set 号牌状态='占用'"_s);
        db->execute(u"update 会员管理 set 卡内金额=100, 当前积分=0"_s);
        db->execute(u"insert into xfmx (号牌, 主号牌, 商品名, 单价, 实际单价, 数量, 合计, 折扣, "
                    "参与打折) values ('SP001', 'SP001', '烫发', 30, 30, 1, 30, 1, 'y')"_s);

        Workstations stations(1);
        const auto outcomes = stations.run([&](int station) {
            auto own = Database::open(settings);
            if (station == 0) {
                Recharge recharge(*own, context.signedIn(), clock);
                const std::optional<Recharge::Member> member = recharge.find(u"8001"_s);
                if (!member)
                    throw DbError(u"the recharge found no member"_s);
                stations.meet(station);
                return recharge.add(*member, u"50"_s, false, QString()).toString();
            }
            Checkout checkout(*own, clock, u"SP001"_s);
            checkout.open();
            checkout.identify(u"8001"_s, u"0000"_s);
            checkout.choosePayment(QString::fromUtf16(Checkout::ByCard));
            if (checkout.cardDeduction() != Money::fromInt(30))
                throw DbError(u"the card pays "_s + checkout.cardDeduction().toString());
            stations.meet(station);
            return Settlement(*own, context.signedIn(), clock)
                .JieZhangHs(checkout, Settlement::Status::Paid);
        });

        const QString what = roundText(round, outcomes);
        QVERIFY2(outcomes[0].kind == Outcome::Done && outcomes[1].kind == Outcome::Done,
                 qPrintable(what));
        // The recharge saw the balance with or without the payment.
        QVERIFY2(outcomes[0].text == u"150"_s || outcomes[0].text == u"120"_s, qPrintable(what));
        const QString balance =
            Money::fromVariant(db->scalar(u"select 卡内金额 from 会员管理"_s)).toString();
        QVERIFY2(balance == u"120"_s, qPrintable(what + u" balance "_s + balance));
        QVERIFY2(count(*db, u"select count(*) from 会员充值 where 充值金额=50"_s) == 1,
                 qPrintable(what));
        QVERIFY2(Money::fromVariant(db->scalar(u"select 卡内扣除 from 结帐管理"_s))
                     == Money::fromInt(30),
                 qPrintable(what));
    }
}

SALONDESK_DB_TEST_MAIN(TestVisitRaces)
#include "tst_visit_races.moc"
