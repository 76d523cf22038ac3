#include "support/ShopBuilder.h"
#include "support/TestDb.h"

#include "common/Clock.h"
#include "common/Refusal.h"
#include "db/Database.h"
#include "db/SettledTotals.h"
#include "db/Transaction.h"
#include "maintenance/DataClearing.h"
#include "orders/Checkout.h"
#include "orders/Settlement.h"
#include "session/AppContext.h"
#include "session/Operator.h"

#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include <array>
#include <atomic>
#include <barrier>
#include <functional>
#include <optional>
#include <thread>

using namespace Qt::StringLiterals;

// Clearing the bills (数据初始化) at one workstation while another settles,
// each on a connection of its own: two connections to one SQLite file, or
// two sessions on one PostgreSQL schema. Whichever comes first, what is
// left must be whole: a bill with all its lines or neither, and daily
// totals that add up to the lines that are left.
class TestClearingRaces : public QObject
{
    Q_OBJECT

private slots:
    void clearingNeverSplitsABill();
    void noSettlementSlipsBetweenTheClearedTables();
};

namespace {

constexpr int Rounds = 60;

// What one workstation's attempt came to: empty when it went through,
// else the refusal's or the database's words.
using Outcome = std::optional<QString>;

// Runs the two attempts in two threads that start together at `meet()`;
// a Qt connection belongs to the thread that opened it, so each opens its
// own inside.
class Workstations
{
public:
    void meet() { m_barrier.arrive_and_wait(); }

    std::array<Outcome, 2> run(const std::array<std::function<void()>, 2> &attempts)
    {
        std::array<Outcome, 2> outcomes;
        auto body = [&](int station) {
            try {
                attempts[station]();
                return;
            } catch (const Refusal &refusal) {
                outcomes[station] = refusal.text();
            } catch (const DbError &error) {
                outcomes[station] = error.text();
            }
            // One that failed before the meeting must not leave the other
            // waiting there.
            m_barrier.arrive_and_drop();
        };
        std::thread first(body, 0);
        std::thread second(body, 1);
        first.join();
        second.join();
        return outcomes;
    }

private:
    std::barrier<> m_barrier{2};
};

int count(Database &db, const QString &sql, const QVariantList &values = {})
{
    return db.scalar(sql, values).toInt();
}

// Bills settled earlier, one line each, so that clearing has something to
// delete: their number changes from round to round, and with it the time
// the deletion of the bills takes, so that the settlement's commit falls
// before, between and after the clearing's statements.
// Written by hand in two statements: thousands of bills at once, far
// faster than settling them one by one.
void addHistory(Database &db, int bills)
{
    if (bills == 0)
        return;
    db.execute(u"with recursive n(i) as (select 1 union all select i + 1 from n where i < ?) "
               "insert into 结帐管理 (单据号, 号牌, 应收金额, 状态) select 'B' || i, 'SP009', 30, '已结' from n"_s,
               {bills});
    db.execute(u"with recursive n(i) as (select 1 union all select i + 1 from n where i < ?) "
               "insert into jzmx (ID, 号牌, 主号牌, 商品名, 商品类型, 数量, 合计, 提成金额, 员工编号, "
               "消费时间, 单据号) select 100000 + i, 'SP009', 'SP009', '洗发', '美发', 1, 30, 3, '001', "
               "'2024-03-01 10:00:00', 'B' || i from n"_s,
               {bills});
}

// A plate SP001 occupied with two open lines and `history` bills settled
// before, on a database that is otherwise empty.
void prepareRound(Database &db, const Clock &clock, int history)
{
    for (const QString &table : {u"xfmx"_s, u"jzmx"_s, u"结帐管理"_s, u"号牌管理"_s})
        db.execute(u"delete from "_s + table);
    ShopBuilder shop(db);
    shop.plate({.plate = u"SP001"_s, .state = u"占用"_s});
    for (const QString &goods : {u"洗发"_s, u"剪发"_s}) {
        shop.line({.plate = u"SP001"_s, .goods = goods, .type = u"美发"_s,
                   .price = Money::fromInt(30), .commission = Money::fromInt(3),
                   .employee = u"001"_s, .time = clock.now()});
    }
    addHistory(db, history);
}

// Settles SP001 at a workstation of its own; `beforeWrite` runs inside the
// settlement's transaction before its first write. The bill number.
QString settle(Database &db, const Clock &clock, const std::function<void()> &beforeWrite = {})
{
    AppContext context;
    context.OperatorName = u"前台"_s;
    Checkout checkout(db, clock, u"SP001"_s);
    checkout.open();
    Settlement settlement(db, context.signedIn(), clock);
    if (beforeWrite)
        settlement.setBeforeWrite(beforeWrite);
    return settlement.JieZhangHs(checkout, Settlement::Status::Paid);
}

// What is wrong with the shop after a settlement of the bill `number` and
// a clearing, empty when nothing is: the plate is free and its lines have
// left xfmx, its bill is there with both lines or gone with them, no bill
// is without lines nor a line without its bill, and the daily totals add
// up to the lines that are left. `kept` is whether the bill is there.
QString broken(Database &db, const QString &number, bool *kept = nullptr)
{
    if (count(db, u"select count(*) from 号牌管理 where 号牌状态='可用'"_s) != 1)
        return u"the plate is not free"_s;
    if (count(db, u"select count(*) from xfmx"_s) != 0)
        return u"open lines are left"_s;
    const int bills = count(db, u"select count(*) from 结帐管理 where 单据号=?"_s, {number});
    const int lines = count(db, u"select count(*) from jzmx where 单据号=?"_s, {number});
    if (!(bills == 1 && lines == 2) && !(bills == 0 && lines == 0))
        return u"the bill is split: %1 bill, %2 lines"_s.arg(bills).arg(lines);
    if (count(db, u"select count(*) from 结帐管理 b where not exists "
                  "(select 1 from jzmx l where l.单据号 = b.单据号)"_s)
        != 0) {
        return u"a bill without lines"_s;
    }
    if (count(db, u"select count(*) from jzmx l where not exists "
                  "(select 1 from 结帐管理 b where b.单据号 = l.单据号)"_s)
        != 0) {
        return u"lines without a bill"_s;
    }
    const int left = count(db, u"select count(*) from jzmx"_s);
    if (count(db, u"select coalesce(sum(行数), 0) from 项目日汇总"_s) != left
        || count(db, u"select coalesce(sum(行数), 0) from 提成日汇总"_s) != left) {
        return u"the daily totals differ from the lines"_s;
    }
    if (const QStringList totals = SettledTotals::verify(db); !totals.isEmpty())
        return u"the daily totals differ from the lines: "_s + totals.join(u"; "_s);
    if (kept)
        *kept = bills == 1;
    return {};
}

// Waits up to ten seconds for `done`; whether it came.
bool waitFor(const std::function<bool()> &done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.hasExpired(10000))
            return false;
        QThread::msleep(5);
    }
    return true;
}

} // namespace

void TestClearingRaces::clearingNeverSplitsABill()
{
    auto db = TestDb::fresh();
    const ConnectionSettings settings = db->settings();
    const FixedClock clock(QDateTime(QDate(2024, 3, 15), QTime(14, 5, 9)));

    std::array<int, 2> kept{0, 0}; // rounds whose bill was cleared, kept
    for (int round = 0; round < Rounds; ++round) {
        prepareRound(*db, clock, round % 6 * 200);

        // The settlement meets the clearing inside its transaction, just
        // before its first write; then both go on, the settlement a little
        // later in some rounds, so that either may be first.
        Workstations stations;
        QString number;
        const auto outcomes = stations.run({
            [&] {
                auto own = Database::open(settings);
                number = settle(*own, clock, [&] {
                    stations.meet();
                    QThread::usleep(round % 4 * 400);
                });
            },
            [&] {
                auto own = Database::open(settings);
                stations.meet();
                DataClearing::clear(Operator{u"店长"_s, Rights::all()}, *own, {DataClearing::Records::Bills});
            },
        });

        const QString what = u"round %1: settlement [%2], clearing [%3]"_s.arg(round).arg(
            outcomes[0].value_or(u"done"_s), outcomes[1].value_or(u"done"_s));
        QVERIFY2(!outcomes[0] && !outcomes[1], qPrintable(what));
        bool billKept = false;
        const QString wrong = broken(*db, number, &billKept);
        QVERIFY2(wrong.isEmpty(), qPrintable(what + u": "_s + wrong));
        ++kept[billKept];
    }
    // How the rounds fell shows that the two really raced.
    qInfo("%s: bills cleared %d, kept %d", qPrintable(TestDb::backendName()), kept[0], kept[1]);
}

// The moment that splits a bill, brought about on purpose: the clearing
// has begun deleting the bills when a settlement commits. A third session
// holds a row of an old bill, so the clearing's first deletion waits
// there, and lets it go once the settlement has committed, or is itself
// seen waiting for the clearing.
void TestClearingRaces::noSettlementSlipsBetweenTheClearedTables()
{
    if (TestDb::backend() != Backend::Postgres)
        QSKIP("SQLite lets one writer in at a time; the race above covers it");
    auto db = TestDb::fresh();
    const ConnectionSettings settings = db->settings();
    const FixedClock clock(QDateTime(QDate(2024, 3, 15), QTime(14, 5, 9)));
    prepareRound(*db, clock, 10);

    const auto waiting = [&](int pid) {
        return pid != 0
            && db->exists(u"select 1 from pg_stat_activity where pid=? and wait_event_type='Lock'"_s,
                          {pid});
    };
    auto holder = Database::open(settings);
    Transaction holding(*holder);
    holder->exec(u"select 1 from 结帐管理 where 单据号='B1' for update"_s);

    std::atomic<int> clearingPid = 0;
    std::atomic<int> settlementPid = 0;
    std::atomic<bool> settled = false;
    Outcome clearing;
    Outcome settlement;
    QString number;
    std::thread clearer([&] {
        try {
            auto own = Database::open(settings);
            clearingPid = own->scalar(u"select pg_backend_pid()"_s).toInt();
            DataClearing::clear(Operator{u"店长"_s, Rights::all()}, *own, {DataClearing::Records::Bills});
        } catch (const DbError &error) {
            clearing = error.text();
        }
    });
    QVERIFY(waitFor([&] { return waiting(clearingPid); }));
    std::thread settler([&] {
        try {
            auto own = Database::open(settings);
            settlementPid = own->scalar(u"select pg_backend_pid()"_s).toInt();
            number = settle(*own, clock);
        } catch (const std::exception &error) {
            settlement = QString::fromUtf8(error.what());
        }
        settled = true;
    });
    const bool met = waitFor([&] { return settled || waiting(settlementPid); });
    holding.commit();
    clearer.join();
    settler.join();
    QVERIFY(met);

    QVERIFY2(!clearing, qPrintable(clearing.value_or(QString())));
    QVERIFY2(!settlement, qPrintable(settlement.value_or(QString())));
    const QString wrong = broken(*db, number);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
    // The settlement waited for the clearing and came after it.
    QCOMPARE(count(*db, u"select count(*) from 结帐管理"_s), 1);
}

SALONDESK_DB_TEST_MAIN(TestClearingRaces)
#include "tst_clearing_races.moc"
