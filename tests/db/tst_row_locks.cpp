#include "support/TestDb.h"

#include "db/RowLocks.h"
#include "db/Transaction.h"

#include <QElapsedTimer>
#include <QTest>

#include <atomic>
#include <chrono>
#include <thread>

using namespace Qt::StringLiterals;

// Write transactions that say so when they begin, rows locked through one
// helper, and the program's one lock order.
class TestRowLocks : public QObject
{
    Q_OBJECT

private slots:
    void writeAfterReadWaitsForAnotherWorkstation();
    void busyWorkstationDoesNotShutOutAnother();
    void readTransactionKeepsItsSnapshot();
    void lockOrderIsKept_data();
    void lockOrderIsKept();
    void locksNeedAWriteTransaction();
    void lockReturnsTheRowsItHolds();
    void lockWaitsForTheHolderAndSeesItsChange();
    void nameLockKeepsToItsShop_data();
    void nameLockKeepsToItsShop();
};

namespace {

void addRoom(Database &db, const QString &name, int order)
{
    db.execute(u"insert into 包厢 (包厢, 门票价格, 最低消费, 初始费用, 排序) values (?, 0, 0, 0, ?)"_s,
               {name, order});
}

void addPlate(Database &db, const QString &plate, const QString &state)
{
    db.execute(u"insert into 号牌管理 (号牌, 所属包厢, 号牌状态) values (?, '大厅', ?)"_s,
               {plate, state});
}

int orderOf(Database &db)
{
    return db.scalar(u"select 排序 from 包厢 where 包厢='大厅'"_s).toInt();
}

// Waits up to `ms` for `flag`; whether it came.
bool waitFor(const std::atomic<bool> &flag, int ms)
{
    for (int waited = 0; waited < ms && !flag; waited += 10)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return flag;
}

} // namespace

void TestRowLocks::writeAfterReadWaitsForAnotherWorkstation()
{
    // This workstation reads, then writes, in one transaction; another
    // workstation writes in between. SQLite once refused the first one's
    // write at once ("database is locked"): its transaction had begun as a
    // reader and could not become the writer. A write transaction now holds
    // the write lock from its start, and the other workstation waits for it.
    auto db = TestDb::fresh();
    addRoom(*db, u"大厅"_s, 1);
    const ConnectionSettings settings = db->settings();

    std::atomic<bool> written = false;
    QString otherError;
    std::thread other;
    try {
        Transaction transaction(*db);
        QCOMPARE(orderOf(*db), 1);
        other = std::thread([&] {
            try {
                auto own = Database::open(settings);
                own->execute(u"update 包厢 set 排序=排序+10 where 包厢='大厅'"_s);
            } catch (const DbError &error) {
                otherError = error.text();
            }
            written = true;
        });
        waitFor(written, 300);
        db->execute(u"update 包厢 set 排序=排序+1 where 包厢='大厅'"_s);
        transaction.commit();
    } catch (const DbError &error) {
        if (other.joinable())
            other.join();
        QFAIL(qPrintable(u"the first workstation was refused: "_s + error.text()));
    }
    other.join();
    QCOMPARE(otherError, QString());
    // Neither change lost.
    QCOMPARE(orderOf(*db), 12);
}

void TestRowLocks::busyWorkstationDoesNotShutOutAnother()
{
    // One workstation writes again and again, each time holding the file
    // for a while and leaving it free for a short moment in between.
    // Another workstation that waits to write must take the first free
    // moment. SQLite's own waiting slept up to 100 ms between tries and
    // mostly missed it: at two busy desks the waiting one ran out its five
    // seconds and was told "database is locked".
    auto db = TestDb::fresh();
    if (db->dialect().isPostgres())
        QSKIP("the server queues writers itself");
    addRoom(*db, u"大厅"_s, 1);
    const ConnectionSettings settings = db->settings();

    constexpr auto Hold = std::chrono::milliseconds(500);
    constexpr auto Free = std::chrono::milliseconds(30);
    std::atomic<bool> done = false;
    std::atomic<bool> holding = false;
    QString deskError;
    std::thread desk([&] {
        try {
            auto own = Database::open(settings);
            while (!done) {
                {
                    Transaction transaction(*own);
                    own->execute(u"update 包厢 set 排序=排序+1 where 包厢='大厅'"_s);
                    holding = true;
                    std::this_thread::sleep_for(Hold);
                    transaction.commit();
                }
                std::this_thread::sleep_for(Free);
            }
        } catch (const DbError &error) {
            deskError = error.text();
        }
    });
    QVERIFY(waitFor(holding, 5000));

    // Four writes, each begun while the desk holds the file: each must get
    // in at the desk's next free moment, not one or more holds later.
    QString error;
    qint64 longestMs = 0;
    for (int turn = 0; turn < 4 && error.isEmpty(); ++turn) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        QElapsedTimer waited;
        waited.start();
        try {
            Transaction transaction(*db);
            db->execute(u"update 包厢 set 最低消费=最低消费+1 where 包厢='大厅'"_s);
            transaction.commit();
        } catch (const DbError &failure) {
            error = failure.text();
        }
        longestMs = std::max(longestMs, waited.elapsed());
    }
    done = true;
    desk.join();
    QVERIFY2(deskError.isEmpty(), qPrintable(deskError));
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY2(longestMs < std::chrono::milliseconds(Hold + Free).count(),
             qPrintable(QString::number(longestMs) + u" ms"_s));
}

void TestRowLocks::readTransactionKeepsItsSnapshot()
{
    auto db = TestDb::fresh();
    addRoom(*db, u"大厅"_s, 1);
    auto other = Database::open(db->settings());
    Transaction reading(*db, Transaction::Read);
    QCOMPARE(orderOf(*db), 1);
    other->execute(u"update 包厢 set 排序=5 where 包厢='大厅'"_s);
    QCOMPARE(orderOf(*db), 1);
    // A write inside it is a mistake of the program, refused before it runs.
    QVERIFY_THROWS_EXCEPTION(DbError, Transaction{*db});
    reading.commit();
    QCOMPARE(orderOf(*db), 5);
}

void TestRowLocks::lockOrderIsKept_data()
{
    QTest::addColumn<QList<int>>("ranks");
    QTest::addColumn<bool>("refused");
    const auto r = [](LockRank rank) { return static_cast<int>(rank); };
    QTest::newRow("settlement") << QList<int>{r(LockRank::Plates), r(LockRank::Members),
                                              r(LockRank::BillNumber), r(LockRank::Lines),
                                              r(LockRank::Totals)}
                                << false;
    QTest::newRow("same rank again") << QList<int>{r(LockRank::Plates), r(LockRank::Plates)}
                                     << false;
    QTest::newRow("booking") << QList<int>{r(LockRank::Plates), r(LockRank::Lines),
                                           r(LockRank::Goods)}
                             << false;
    QTest::newRow("bill before plates") << QList<int>{r(LockRank::BillNumber), r(LockRank::Plates)}
                                        << true;
    QTest::newRow("purchase before goods")
        << QList<int>{r(LockRank::Purchases), r(LockRank::Goods)} << true;
    QTest::newRow("lines before bill number")
        << QList<int>{r(LockRank::Lines), r(LockRank::BillNumber)} << true;
}

void TestRowLocks::lockOrderIsKept()
{
    QFETCH(QList<int>, ranks);
    QFETCH(bool, refused);
    auto db = TestDb::fresh();
    QString text;
    {
        Transaction transaction(*db);
        try {
            for (int rank : ranks)
                RowLocks::enter(*db, static_cast<LockRank>(rank));
            transaction.commit();
        } catch (const DbError &error) {
            text = error.text();
        }
    }
    QCOMPARE(!text.isEmpty(), refused);
    if (refused)
        QVERIFY2(text.startsWith(u"锁定顺序错误"_s), qPrintable(text));
    // The next transaction starts from nothing held.
    Transaction next(*db);
    RowLocks::enter(*db, LockRank::Rooms);
    next.commit();
}

void TestRowLocks::locksNeedAWriteTransaction()
{
    auto db = TestDb::fresh();
    QVERIFY_THROWS_EXCEPTION(DbError, RowLocks::enter(*db, LockRank::Plates));
    Transaction reading(*db, Transaction::Read);
    QVERIFY_THROWS_EXCEPTION(DbError, RowLocks::lock(*db, LockRank::Plates, u"号牌管理"_s,
                                                     u"号牌"_s, {u"SP001"_s}));
}

void TestRowLocks::lockReturnsTheRowsItHolds()
{
    auto db = TestDb::fresh();
    addPlate(*db, u"SP002"_s, u"占用"_s);
    addPlate(*db, u"SP001"_s, u"占用"_s);
    addPlate(*db, u"SP003"_s, u"可用"_s);
    Transaction transaction(*db);
    QCOMPARE(RowLocks::lock(*db, LockRank::Plates, u"号牌管理"_s, u"号牌"_s,
                            {u"SP003"_s, u"SP009"_s, u"SP001"_s, u"SP002"_s}),
             (QStringList{u"SP001"_s, u"SP002"_s, u"SP003"_s}));
    QCOMPARE(RowLocks::lock(*db, LockRank::Plates, u"号牌管理"_s, u"号牌"_s,
                            {u"SP003"_s, u"SP002"_s}, u"号牌状态=?"_s, {u"占用"_s}),
             QStringList{u"SP002"_s});
    QCOMPARE(RowLocks::lockWhere(*db, LockRank::Plates, u"号牌管理"_s, u"号牌"_s,
                                 u"号牌状态=?"_s, {u"可用"_s}),
             QStringList{u"SP003"_s});
    transaction.commit();
}

void TestRowLocks::lockWaitsForTheHolderAndSeesItsChange()
{
    // Another workstation holds the plate and frees it; this one, locking
    // the plate only while it is occupied, waits and then finds it free.
    auto db = TestDb::fresh();
    addPlate(*db, u"SP001"_s, u"占用"_s);
    const ConnectionSettings settings = db->settings();
    std::atomic<bool> holding = false;
    QString otherError;
    std::thread other([&] {
        try {
            auto own = Database::open(settings);
            Transaction transaction(*own);
            RowLocks::lock(*own, LockRank::Plates, u"号牌管理"_s, u"号牌"_s, {u"SP001"_s});
            holding = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            own->execute(u"update 号牌管理 set 号牌状态='可用' where 号牌='SP001'"_s);
            transaction.commit();
        } catch (const DbError &error) {
            otherError = error.text();
            holding = true;
        }
    });
    waitFor(holding, 5000);
    QStringList held;
    try {
        Transaction transaction(*db);
        held = RowLocks::lock(*db, LockRank::Plates, u"号牌管理"_s, u"号牌"_s, {u"SP001"_s},
                              u"号牌状态=?"_s, {u"占用"_s});
        transaction.commit();
    } catch (const DbError &error) {
        other.join();
        QFAIL(qPrintable(error.text()));
    }
    other.join();
    QCOMPARE(otherError, QString());
    QCOMPARE(held, QStringList());
}

void TestRowLocks::nameLockKeepsToItsShop_data()
{
    QTest::addColumn<bool>("sameShop");
    QTest::newRow("same shop") << true;
    // On PostgreSQL another schema of the same database.
    QTest::newRow("another shop") << false;
}

void TestRowLocks::nameLockKeepsToItsShop()
{
    // This workstation holds the choice of a bill number; a second one
    // wants it too. Of the same shop it waits until this one ends; of
    // another shop it goes ahead at once.
    QFETCH(bool, sameShop);
    constexpr qint32 Key = 20240316;
    auto db = TestDb::fresh();
    auto otherShop = TestDb::fresh();
    const ConnectionSettings settings = sameShop ? db->settings() : otherShop->settings();

    std::atomic<bool> released = false;
    std::atomic<bool> taken = false;
    bool takenWhileHeld = false;
    QString otherError;
    std::thread second;
    try {
        Transaction transaction(*db);
        RowLocks::lockName(*db, LockRank::BillNumber, Key);
        second = std::thread([&] {
            try {
                auto own = Database::open(settings);
                Transaction ownTransaction(*own);
                RowLocks::lockName(*own, LockRank::BillNumber, Key);
                takenWhileHeld = !released;
                ownTransaction.commit();
            } catch (const DbError &error) {
                otherError = error.text();
            }
            taken = true;
        });
        waitFor(taken, 1500);
        released = true;
        transaction.commit();
    } catch (const DbError &error) {
        if (second.joinable())
            second.join();
        QFAIL(qPrintable(error.text()));
    }
    second.join();
    QCOMPARE(otherError, QString());
    QCOMPARE(takenWhileHeld, !sameShop);
}

SALONDESK_DB_TEST_MAIN(TestRowLocks)
#include "tst_row_locks.moc"
