#include "BoardFixture.h"
#include "support/TestDb.h"

#include "board/PlateBoard.h"
#include "board/PlateStatus.h"
#include "common/Clock.h"
#include "common/Refusal.h"
#include "db/RowLocks.h"
#include "db/Transaction.h"
#include "session/Operator.h"

#include <QSqlRecord>
#include <QTest>

#include <chrono>
#include <future>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

Operator withCancelRight(bool granted)
{
    Operator who{u"前台"_s, Rights::all()};
    who.rights.set(Right::Cancel, granted);
    return who;
}

QString refusalOf(const std::function<void()> &operation)
{
    try {
        operation();
    } catch (const Refusal &refusal) {
        return refusal.text();
    }
    return {};
}

} // namespace

// Plate state changes from the status window, and order cancellation.
class TestPlateStatus : public QObject
{
    Q_OBJECT

private slots:
    void changeSetsTheTarget_data();
    void changeSetsTheTarget();
    void changeRefusedOnOccupied();
    void cancelFreesAndKeepsTheOrderData();
    void cancelRefused_data();
    void cancelRefused();
    void cancelRefusedWhenAnotherWorkstationBooksALine();
    void cancelWaitsForABookingInProgress();
    void changeRefusedWhenAnotherWorkstationOpensThePlate();
};

void TestPlateStatus::changeSetsTheTarget_data()
{
    QTest::addColumn<QVariant>("from");
    QTest::addColumn<QString>("target");
    QTest::newRow("free to reserved") << QVariant(u"可用"_s) << u"预定"_s;
    QTest::newRow("reserved to disabled") << QVariant(u"预定"_s) << u"停用"_s;
    QTest::newRow("disabled to free") << QVariant(u"停用"_s) << u"可用"_s;
    QTest::newRow("the same state again") << QVariant(u"停用"_s) << u"停用"_s;
    QTest::newRow("an unknown text") << QVariant(u"维修"_s) << u"可用"_s;
    QTest::newRow("an empty state") << QVariant() << u"预定"_s;
}

void TestPlateStatus::changeSetsTheTarget()
{
    QFETCH(QVariant, from);
    QFETCH(QString, target);
    auto db = TestDb::fresh();
    BoardFixture::room(*db, u"大厅"_s);
    BoardFixture::plate(*db, u"SP001"_s, u"大厅"_s, from);
    BoardFixture::plate(*db, u"SP002"_s, u"大厅"_s, u"可用"_s);
    PlateStatus status(*db);
    const QString shown = status.read(u"SP001"_s);
    QCOMPARE(shown, from.toString());
    status.change(u"SP001"_s, shown, target);
    QCOMPARE(BoardFixture::stateOf(*db, u"SP001"_s), target);
    QCOMPARE(BoardFixture::stateOf(*db, u"SP002"_s), u"可用"_s);
}

void TestPlateStatus::changeRefusedOnOccupied()
{
    const QString shown = u"占用"_s;
    auto db = TestDb::fresh();
    BoardFixture::room(*db, u"大厅"_s);
    BoardFixture::plate(*db, u"SP001"_s, u"大厅"_s, u"占用"_s);
    PlateStatus status(*db);
    QCOMPARE(refusalOf([&] { status.change(u"SP001"_s, shown, u"停用"_s); }),
             u"该号牌处于占用状态，请先结帐！"_s);
    QCOMPARE(BoardFixture::stateOf(*db, u"SP001"_s), u"占用"_s);
}

void TestPlateStatus::cancelFreesAndKeepsTheOrderData()
{
    auto db = TestDb::fresh();
    BoardFixture::room(*db, u"大厅"_s);
    const QDateTime entered(QDate(2024, 3, 1), QTime(8, 0));
    BoardFixture::plate(*db, u"SP001"_s, u"大厅"_s, u"占用"_s, entered, u"50"_s);
    BoardFixture::plate(*db, u"SP002"_s, u"大厅"_s, u"占用"_s, entered);
    BoardFixture::line(*db, u"SP002"_s, u"门票"_s, u"10"_s, u"1"_s, u"10"_s);
    FixedClock clock(entered);
    PlateBoard board(*db, clock);
    const PlateBoard::Counts before = board.counts();

    PlateStatus(*db).cancelOrder(u"SP001"_s, withCancelRight(true));

    const QSqlRecord row = db->firstRow(
        u"select 号牌状态, 顾客姓名, 押金金额, 进店时间, 主号牌 from 号牌管理 where 号牌=?"_s, {u"SP001"_s});
    QCOMPARE(row.value(0).toString(), u"可用"_s);
    QCOMPARE(row.value(1).toString(), u"散客"_s);
    QCOMPARE(Money::fromVariant(row.value(2)), Money::fromInt(50));
    QVERIFY(!row.value(3).isNull());
    QCOMPARE(row.value(4).toString(), u"SP001"_s);
    const PlateBoard::Counts after = board.counts();
    QCOMPARE(after.occupied, before.occupied - 1);
    QCOMPARE(after.free, before.free + 1);
}

void TestPlateStatus::cancelRefused_data()
{
    QTest::addColumn<bool>("right");
    QTest::addColumn<QVariant>("state");
    QTest::addColumn<bool>("withLine");
    QTest::addColumn<QString>("plate");
    QTest::addColumn<QString>("message");
    QTest::newRow("without the right")
        << false << QVariant(u"占用"_s) << false << u"SP001"_s
        << u"操作失败:您没有撤单权限,请让有此权限的管理员来操作!"_s;
    QTest::newRow("the right comes first")
        << false << QVariant(u"占用"_s) << true << u"SP001"_s
        << u"操作失败:您没有撤单权限,请让有此权限的管理员来操作!"_s;
    QTest::newRow("with an open line (the entry ticket)")
        << true << QVariant(u"占用"_s) << true << u"SP001"_s << u"有消费项目,不能撤销."_s;
    QTest::newRow("checked out meanwhile")
        << true << QVariant(u"可用"_s) << false << u"SP001"_s << u"该号牌不是占用状态，不能撤单！"_s;
    QTest::newRow("disabled meanwhile")
        << true << QVariant(u"停用"_s) << false << u"SP001"_s << u"该号牌不是占用状态，不能撤单！"_s;
    QTest::newRow("removed meanwhile")
        << true << QVariant(u"占用"_s) << false << u"SP999"_s << u"该号牌不存在！"_s;
}

void TestPlateStatus::cancelRefused()
{
    QFETCH(bool, right);
    QFETCH(QVariant, state);
    QFETCH(bool, withLine);
    QFETCH(QString, plate);
    QFETCH(QString, message);
    auto db = TestDb::fresh();
    BoardFixture::room(*db, u"大厅"_s);
    BoardFixture::plate(*db, u"SP001"_s, u"大厅"_s, state);
    if (withLine)
        BoardFixture::line(*db, u"SP001"_s, u"门票"_s, u"10"_s, u"1"_s, u"10"_s);
    QCOMPARE(refusalOf([&] { PlateStatus(*db).cancelOrder(plate, withCancelRight(right)); }), message);
    QCOMPARE(BoardFixture::stateOf(*db, u"SP001"_s), state.toString());
    QCOMPARE(db->scalar(u"select count(*) from xfmx"_s).toInt(), withLine ? 1 : 0);
}

void TestPlateStatus::cancelRefusedWhenAnotherWorkstationBooksALine()
{
    auto db = TestDb::fresh();
    BoardFixture::room(*db, u"大厅"_s);
    const QDateTime entered(QDate(2024, 3, 1), QTime(8, 0));
    BoardFixture::plate(*db, u"SP001"_s, u"大厅"_s, u"占用"_s, entered);
    FixedClock clock(entered.addSecs(600));
    PlateBoard board(*db, clock);
    // This workstation's board shows the plate occupied with nothing booked…
    QCOMPARE(board.details(u"SP001"_s)->amount, QString());
    QCOMPARE(board.popupEnabling(board.knownState(u"SP001"_s)).cancelOrder, true);

    // …and another workstation books a line on it at the last moment before
    // the cancellation writes.
    PlateStatus status(*db);
    status.setBeforeWrite([&db] {
        auto other = Database::open(db->settings());
        BoardFixture::line(*other, u"SP001"_s, u"洗剪吹"_s, u"30"_s, u"1"_s, u"30"_s);
    });
    QCOMPARE(refusalOf([&] { status.cancelOrder(u"SP001"_s, withCancelRight(true)); }),
             u"有消费项目,不能撤销."_s);
    QCOMPARE(BoardFixture::stateOf(*db, u"SP001"_s), u"占用"_s);
    QCOMPARE(board.lineAmount(u"SP001"_s), u"30"_s);
}

void TestPlateStatus::cancelWaitsForABookingInProgress()
{
    auto db = TestDb::fresh();
    BoardFixture::room(*db, u"大厅"_s);
    BoardFixture::plate(*db, u"SP001"_s, u"大厅"_s, u"占用"_s);
    const ConnectionSettings settings = db->settings();

    // Another workstation is booking a line: its transaction has touched the
    // plate's row and written the line, and commits a moment later, while
    // the cancellation is already under way. A Qt connection belongs to the
    // thread that opened it, so that workstation runs in a thread of its own.
    std::promise<void> holding;
    std::future<void> held = holding.get_future();
    QString bookingError;
    std::thread booking;
    PlateStatus status(*db);
    status.setBeforeWrite([&] {
        booking = std::thread([&] {
            try {
                auto other = Database::open(settings);
                Transaction transaction(*other);
                RowLocks::lock(*other, LockRank::Plates, u"号牌管理"_s, u"号牌"_s, {u"SP001"_s});
                BoardFixture::line(*other, u"SP001"_s, u"洗剪吹"_s, u"30"_s, u"1"_s, u"30"_s);
                holding.set_value();
                std::this_thread::sleep_for(std::chrono::milliseconds(400));
                transaction.commit();
            } catch (const DbError &error) {
                bookingError = error.text();
                holding.set_value();
            }
        });
        held.wait();
    });

    const QString refusal =
        refusalOf([&] { status.cancelOrder(u"SP001"_s, withCancelRight(true)); });
    booking.join();
    QCOMPARE(bookingError, QString());
    QCOMPARE(refusal, u"有消费项目,不能撤销."_s);
    QCOMPARE(BoardFixture::stateOf(*db, u"SP001"_s), u"占用"_s);
    QCOMPARE(db->scalar(u"select count(*) from xfmx where 号牌=?"_s, {u"SP001"_s}).toInt(), 1);
}

void TestPlateStatus::changeRefusedWhenAnotherWorkstationOpensThePlate()
{
    auto db = TestDb::fresh();
    BoardFixture::room(*db, u"大厅"_s);
    BoardFixture::plate(*db, u"SP001"_s, u"大厅"_s, u"预定"_s);
    PlateStatus status(*db);
    const QString shown = status.read(u"SP001"_s);
    status.setBeforeWrite([&db] {
        auto other = Database::open(db->settings());
        other->execute(u"update 号牌管理 set 号牌状态=? where 号牌=?"_s, {u"占用"_s, u"SP001"_s});
    });
    QCOMPARE(refusalOf([&] { status.change(u"SP001"_s, shown, u"停用"_s); }),
             u"该号牌处于占用状态，请先结帐！"_s);
    QCOMPARE(BoardFixture::stateOf(*db, u"SP001"_s), u"占用"_s);
}

SALONDESK_DB_TEST_MAIN(TestPlateStatus)
#include "tst_board_status.moc"
