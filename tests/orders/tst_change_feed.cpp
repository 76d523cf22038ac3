#include "support/TestDb.h"

#include "session/Operator.h"
#include "board/BoardFixture.h"
#include "common/Clock.h"
#include "common/Refusal.h"
#include "db/ChangeFeed.h"
#include "db/Transaction.h"
#include "orders/OrderOpening.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

// Two workstations on one shop: what one commits reaches the other's change
// feed within a bound, on PostgreSQL as the server's notification and on the
// embedded file through its data_version; what is rolled back reaches no
// one, another shop hears nothing, and a connection opened again still hears.
class TestChangeFeed : public QObject
{
    Q_OBJECT

private slots:
    void otherWorkstationHearsAnOpenedPlate();
    void rolledBackChangeIsNotHeard_data();
    void rolledBackChangeIsNotHeard();
    void anotherShopHearsNothing();
    void hearsAgainAfterReconnecting_data();
    void hearsAgainAfterReconnecting();
    void burstComesOutOnce();
    void closedFileStaysClosed();

private:
    void openPlate(Database &db, const QString &plate);

    Operator m_context = [] {
        Operator context;
        context.name = u"小王"_s;
        return context;
    }();
    FixedClock m_clock{QDateTime(QDate(2024, 3, 1), QTime(10, 15, 30))};
};

namespace {

// Well within the 200 ms the front desk may wait, with room for a busy
// test machine; the embedded file is checked every 100 ms.
constexpr int HeardWithin = 1000;
// Long enough for three checks of the embedded file and for a notification.
constexpr int Silence = 400;

std::unique_ptr<Database> shop()
{
    auto db = TestDb::fresh();
    // A ticket price, so that opening a plate books its ticket line too.
    BoardFixture::room(*db, u"大厅"_s, u"20"_s);
    for (const QString &plate : {u"A01"_s, u"A02"_s, u"A03"_s})
        BoardFixture::plate(*db, plate, u"大厅"_s, u"可用"_s);
    return db;
}

// What a second workstation of the same shop hears on its own connection.
Changes expectedFromOthers(Changes announced)
{
    // The embedded file says only that something changed.
    return TestDb::backend() == Backend::Postgres ? announced : EveryChange;
}

Changes heardTogether(const QSignalSpy &spy)
{
    Changes all;
    for (const QList<QVariant> &signal : spy)
        all |= signal.first().value<Changes>();
    return all;
}

} // namespace

void TestChangeFeed::openPlate(Database &db, const QString &plate)
{
    OrderOpening(db, m_context, m_clock).open({plate, {}, u"大厅"_s, u"散客"_s, {}});
}

void TestChangeFeed::otherWorkstationHearsAnOpenedPlate()
{
    auto here = shop();
    auto there = Database::open(here->settings());
    ChangeFeed hereFeed(*here);
    ChangeFeed thereFeed(*there);
    QVERIFY(thereFeed.hearsOthers());
    QSignalSpy heardHere(&hereFeed, &ChangeFeed::changed);
    QSignalSpy heardThere(&thereFeed, &ChangeFeed::changed);

    openPlate(*here, u"A01"_s);
    QTRY_VERIFY_WITH_TIMEOUT(!heardThere.isEmpty(), HeardWithin);
    QCOMPARE(heardTogether(heardThere), expectedFromOthers(Change::Plates | Change::Lines));
    QCOMPARE(BoardFixture::stateOf(*there, u"A01"_s), u"占用"_s);

    // This workstation hears its own commit once, from itself, with what
    // it announced.
    QTest::qWait(Silence);
    QCOMPARE(heardHere.size(), 1);
    QCOMPARE(heardHere.first().first().value<Changes>(), Change::Plates | Change::Lines);
}

void TestChangeFeed::rolledBackChangeIsNotHeard_data()
{
    QTest::addColumn<bool>("refusedOrder");
    QTest::newRow("transaction left without commit") << false;
    QTest::newRow("order refused on a taken plate") << true;
}

void TestChangeFeed::rolledBackChangeIsNotHeard()
{
    QFETCH(bool, refusedOrder);
    auto here = shop();
    auto there = Database::open(here->settings());
    ChangeFeed hereFeed(*here);
    ChangeFeed thereFeed(*there);
    BoardFixture::plate(*here, u"A09"_s, u"大厅"_s, u"占用"_s);
    QTest::qWait(Silence);
    QSignalSpy heardHere(&hereFeed, &ChangeFeed::changed);
    QSignalSpy heardThere(&thereFeed, &ChangeFeed::changed);

    if (refusedOrder) {
        // A01 is written before A09 refuses the whole group.
        QVERIFY_THROWS_EXCEPTION(Refusal, OrderOpening(*here, m_context, m_clock)
                                              .open({u"A01"_s, {u"A09"_s}, u"大厅"_s, u"散客"_s, {}}));
    } else {
        Transaction abandoned(*here);
        here->execute(u"update 号牌管理 set 号牌状态=? where 号牌=?"_s, {u"占用"_s, u"A02"_s});
        here->announce(Change::Plates);
    }
    QTest::qWait(Silence);
    QVERIFY(heardThere.isEmpty());
    QVERIFY(heardHere.isEmpty());
    QCOMPARE(BoardFixture::stateOf(*there, u"A01"_s), u"可用"_s);

    // Nor does it ride along with the next commit.
    {
        Transaction next(*here);
        here->execute(u"insert into 商品库 (商品名) values (?)"_s, {u"洗发水"_s});
        here->announce(Change::Goods);
        next.commit();
    }
    QTRY_VERIFY_WITH_TIMEOUT(!heardThere.isEmpty(), HeardWithin);
    QTest::qWait(Silence);
    QCOMPARE(heardTogether(heardThere), expectedFromOthers(Change::Goods));
    QCOMPARE(heardTogether(heardHere), Changes(Change::Goods));
}

void TestChangeFeed::anotherShopHearsNothing()
{
    auto here = shop();
    auto elsewhere = shop();
    ChangeFeed elsewhereFeed(*elsewhere);
    QSignalSpy heard(&elsewhereFeed, &ChangeFeed::changed);
    openPlate(*here, u"A01"_s);
    QTest::qWait(Silence);
    QVERIFY(heard.isEmpty());
}

void TestChangeFeed::hearsAgainAfterReconnecting_data()
{
    QTest::addColumn<bool>("byServer");
    QTest::newRow("closed for a restore") << false;
    QTest::newRow("ended by the server") << true;
}

void TestChangeFeed::hearsAgainAfterReconnecting()
{
    QFETCH(bool, byServer);
    if (byServer && TestDb::backend() == Backend::Sqlite)
        QSKIP("an embedded database has no server to lose");
    auto here = shop();
    auto there = Database::open(here->settings());
    ChangeFeed thereFeed(*there);
    if (byServer) {
        const QVariant pid = there->scalar(u"select pg_backend_pid()"_s);
        QVERIFY(here->scalar(u"select pg_terminate_backend(?)"_s, {pid}).toBool());
        // The next statement finds the connection gone and opens it again.
        QVERIFY_THROWS_EXCEPTION(DbError, there->scalar(u"select 1"_s));
    } else {
        there->close();
    }
    QCOMPARE(there->scalar(u"select count(*) from 号牌管理"_s).toInt(), 3);
    QTest::qWait(Silence);
    QSignalSpy heard(&thereFeed, &ChangeFeed::changed);

    openPlate(*here, u"A02"_s);
    QTRY_VERIFY_WITH_TIMEOUT(!heard.isEmpty(), HeardWithin);
    QCOMPARE(heardTogether(heard), expectedFromOthers(Change::Plates | Change::Lines));
}

void TestChangeFeed::burstComesOutOnce()
{
    auto db = shop();
    ChangeFeed feed(*db);
    QSignalSpy heard(&feed, &ChangeFeed::changed);
    // Three statements, each committed on its own, in one turn of the loop.
    db->announce(Change::Plates);
    db->announce(Change::Lines);
    db->announce(Change::Plates | Change::Goods);
    QVERIFY(heard.isEmpty());
    QTRY_COMPARE(heard.size(), 1);
    QCOMPARE(heard.first().first().value<Changes>(), Change::Plates | Change::Lines | Change::Goods);
    QTest::qWait(Silence);
    QCOMPARE(heard.size(), 1);
}

void TestChangeFeed::closedFileStaysClosed()
{
    // A restore closes the connection before it replaces the file; the
    // feed's check must not open it again behind the restore's back.
    auto db = shop();
    ChangeFeed feed(*db);
    db->close();
    QTest::qWait(Silence);
    QVERIFY(db->isClosed());
    QVERIFY(!db->handle().isOpen());
}

SALONDESK_DB_TEST_MAIN(TestChangeFeed)
#include "tst_change_feed.moc"
