#include "support/TestDb.h"

#include "board/BoardFixture.h"
#include "common/Clock.h"
#include "common/Money.h"
#include "common/Refusal.h"
#include "orders/OrderOpening.h"
#include "session/AppContext.h"

#include <QSqlQuery>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace BoardFixture;

// Opening an order on one plate or a group, the ticket lines, and a plate
// taken by another workstation between listing and opening.
class TestOrderOpening : public QObject
{
    Q_OBJECT

private slots:
    void listsFreePlates();
    void opensGroupWithTicketLines_data();
    void opensGroupWithTicketLines();
    void plateTakenMeanwhileRefusesWholeOrder_data();
    void plateTakenMeanwhileRefusesWholeOrder();

private:
    AppContext m_context = [] {
        AppContext context;
        context.OperatorName = u"小王"_s;
        return context;
    }();
    FixedClock m_clock{QDateTime(QDate(2024, 3, 1), QTime(10, 15, 30))};
};

namespace {

// Room 大厅 (ticket price as given) with A01..A03 free, room 包间 with B01
// free, A04 occupied and A05 reserved.
std::unique_ptr<Database> shop(const QVariant &ticketPrice = u"0"_s)
{
    auto db = TestDb::fresh();
    if (ticketPrice.isNull()) {
        // A room without a ticket price only older data has; made by hand.
        db->execute(u"insert into 包厢 (包厢, 门票价格, 排序) values (?, null, 1)"_s, {u"大厅"_s});
    } else {
        room(*db, u"大厅"_s, ticketPrice.toString());
    }
    room(*db, u"包间"_s, u"50"_s);
    for (const QString &p : {u"A01"_s, u"A02"_s, u"A03"_s})
        plate(*db, p, u"大厅"_s, u"可用"_s);
    plate(*db, u"B01"_s, u"包间"_s, u"可用"_s);
    plate(*db, u"A04"_s, u"大厅"_s, u"占用"_s);
    plate(*db, u"A05"_s, u"大厅"_s, u"预定"_s);
    return db;
}

int count(Database &db, const QString &sql, const QVariantList &values = {})
{
    return db.scalar(sql, values).toInt();
}

} // namespace

void TestOrderOpening::listsFreePlates()
{
    auto db = shop();
    OrderOpening opening(*db, m_context.signedIn(), m_clock);
    QCOMPARE(opening.freePlates(u"A01"_s), (QStringList{u"A02"_s, u"A03"_s, u"B01"_s}));
    QCOMPARE(opening.freePlatesOfRoom(u"A01"_s, u"大厅"_s), (QStringList{u"A02"_s, u"A03"_s}));
    QCOMPARE(opening.room(u"包间"_s).ticketText(), u"50"_s);
    QVERIFY(!opening.room(u"没有"_s).found);
}

void TestOrderOpening::opensGroupWithTicketLines_data()
{
    QTest::addColumn<QVariant>("price");
    QTest::addColumn<QStringList>("joined");
    QTest::addColumn<QString>("lineTotal"); // empty: no ticket lines

    QTest::newRow("one plate, price 20") << QVariant(u"20"_s) << QStringList{} << u"20"_s;
    QTest::newRow("group of three, price 20")
        << QVariant(u"20"_s) << QStringList{u"A03"_s, u"B01"_s} << u"20"_s;
    QTest::newRow("group, price 12.5") << QVariant(u"12.5"_s) << QStringList{u"A02"_s} << u"12.5"_s;
    QTest::newRow("group, price 0") << QVariant(u"0"_s) << QStringList{u"A02"_s} << QString();
    QTest::newRow("group, no price") << QVariant() << QStringList{u"A02"_s} << QString();
}

void TestOrderOpening::opensGroupWithTicketLines()
{
    QFETCH(QVariant, price);
    QFETCH(QStringList, joined);
    QFETCH(QString, lineTotal);
    auto db = shop(price);
    OrderOpening opening(*db, m_context.signedIn(), m_clock);
    opening.open({u"A01"_s, joined, u"大厅"_s, u"张女士"_s, u"烫发"_s});

    const QStringList plates = QStringList{u"A01"_s} + joined;
    for (const QString &p : plates) {
        const QSqlRecord row = db->firstRow(
            u"select 号牌状态, 主号牌, 顾客姓名, 备注, 押金金额, 进店时间 from 号牌管理 where 号牌=?"_s,
            {p});
        QCOMPARE(row.value(0).toString(), u"占用"_s);
        QCOMPARE(row.value(1).toString(), u"A01"_s);
        QCOMPARE(row.value(2).toString(), u"张女士"_s);
        QCOMPARE(row.value(3).toString(), u"烫发"_s);
        QCOMPARE(Money::fromVariant(row.value(4)), Money());
        QCOMPARE(row.value(5).toDateTime(), m_clock.now());
    }
    // Plates not chosen keep their state.
    QCOMPARE(count(*db, u"select count(*) from 号牌管理 where 号牌状态='占用'"_s),
             int(plates.size()) + 1);

    if (lineTotal.isEmpty()) {
        QCOMPARE(count(*db, u"select count(*) from xfmx"_s), 0);
        return;
    }
    QSqlQuery lines = db->exec(
        u"select 号牌, 商品名, 单价, 实际单价, 数量, 商品类型, 参与打折, 折扣, 合计, 消费时间, "
        "员工编号, 营业员, 主号牌, 员工姓名, 单据号, 会员卡号 from xfmx order by ID"_s);
    QStringList booked;
    while (lines.next()) {
        booked.append(lines.value(0).toString());
        QCOMPARE(lines.value(1).toString(), u"门票"_s);
        for (int money : {2, 3, 8})
            QCOMPARE(Money::fromVariant(lines.value(money)).toString(), lineTotal);
        QCOMPARE(Money::fromVariant(lines.value(4)), Money::fromInt(1));
        QCOMPARE(lines.value(5).toString(), u"n"_s);
        QCOMPARE(lines.value(6).toString(), u"y"_s);
        QCOMPARE(Money::fromVariant(lines.value(7)), Money::fromInt(1));
        QCOMPARE(lines.value(9).toDateTime(), m_clock.now());
        QCOMPARE(lines.value(10).toString(), u"无"_s);
        QCOMPARE(lines.value(11).toString(), u"小王"_s);
        QCOMPARE(lines.value(12).toString(), u"A01"_s);
        for (int unset : {13, 14, 15})
            QVERIFY(lines.value(unset).isNull());
    }
    QCOMPARE(booked, plates);
}

void TestOrderOpening::plateTakenMeanwhileRefusesWholeOrder_data()
{
    QTest::addColumn<QString>("taken");
    QTest::addColumn<QString>("newState");
    QTest::newRow("main plate opened elsewhere") << u"A01"_s << u"占用"_s;
    QTest::newRow("last joined plate opened elsewhere") << u"B01"_s << u"占用"_s;
    QTest::newRow("joined plate reserved meanwhile") << u"A02"_s << u"预定"_s;
}

void TestOrderOpening::plateTakenMeanwhileRefusesWholeOrder()
{
    QFETCH(QString, taken);
    QFETCH(QString, newState);
    auto db = shop(u"20"_s);
    OrderOpening opening(*db, m_context.signedIn(), m_clock);
    QVERIFY(opening.freePlates(u"A01"_s).contains(u"B01"_s));
    // Another workstation's write lands after the window listed the plates.
    db->execute(u"update 号牌管理 set 号牌状态=?, 顾客姓名=? where 号牌=?"_s,
                {newState, u"别人"_s, taken});
    try {
        opening.open({u"A01"_s, {u"A02"_s, u"B01"_s}, u"大厅"_s, u"散客"_s, u"无"_s});
        QFAIL("the order was opened on a plate that is no longer free");
    } catch (const Refusal &refusal) {
        QVERIFY2(refusal.text().contains(taken), qPrintable(refusal.text()));
    }
    QCOMPARE(count(*db, u"select count(*) from xfmx"_s), 0);
    for (const QString &p : {u"A01"_s, u"A02"_s, u"B01"_s}) {
        const QSqlRecord row =
            db->firstRow(u"select 号牌状态, 主号牌 from 号牌管理 where 号牌=?"_s, {p});
        QCOMPARE(row.value(0).toString(), p == taken ? newState : u"可用"_s);
        QCOMPARE(row.value(1).toString(), p);
    }
    QCOMPARE(db->scalar(u"select 顾客姓名 from 号牌管理 where 号牌=?"_s, {taken}).toString(),
             u"别人"_s);
}

SALONDESK_DB_TEST_MAIN(TestOrderOpening)
#include "tst_order_opening.moc"
