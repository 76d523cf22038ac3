// How long a plate opened at one workstation takes to reach another's board:
// workstation A opens a plate through the real order opening, workstation B
// (a second connection to the same shop, with its own change feed) stops
// the clock when its feed fires. On PostgreSQL the change travels as the
// server's notification, on the embedded file through B's check of its
// data_version. Between rounds a random pause, so that the rounds do not
// fall into step with that check. Runs on SQLite in a temporary folder and,
// when SALONDESK_TEST_PG holds a connection ("host=… port=… dbname=…
// user=… password=…"), on PostgreSQL in a schema of its own that is dropped
// afterwards.
//
//   bench_announce [ROUNDS]   (default 200)

#include "support/BenchBackends.h"

#include "session/Operator.h"
#include "common/Clock.h"
#include "db/ChangeFeed.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "db/Transaction.h"
#include "orders/OrderOpening.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QTimer>

#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr int TargetMs = 200;
// A round whose change is not heard within this is counted as lost.
constexpr int GiveUpMs = 2000;

QString plateName(int round)
{
    return u"P"_s + QString::number(round + 1).rightJustified(4, u'0');
}

void fill(Database &db, int plates)
{
    Transaction transaction(db);
    db.execute(u"insert into 包厢 (包厢, 门票价格, 最低消费, 初始费用, 排序) values (?, 0, 0, 0, 1)"_s,
               {u"大厅"_s});
    for (int i = 0; i < plates; ++i) {
        db.execute(u"insert into 号牌管理 (号牌, 所属包厢, 号牌状态) values (?, ?, ?)"_s,
                   {plateName(i), u"大厅"_s, u"可用"_s});
    }
    transaction.commit();
}

void wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void run(const char *backend, Database &a, int rounds)
{
    Schema::ensure(a);
    fill(a, rounds);
    auto b = Database::open(a.settings());
    ChangeFeed feed(*b);
    Operator context;
    context.name = u"bench"_s;
    SystemClock clock;
    OrderOpening opening(a, context, clock);
    QRandomGenerator pauses(20240301);

    QList<double> delays;
    QList<double> openings;
    int lost = 0;
    for (int round = 0; round < rounds; ++round) {
        wait(static_cast<int>(pauses.bounded(150)));
        QEventLoop loop;
        QElapsedTimer timer;
        double heardAfter = -1;
        const auto heard = QObject::connect(&feed, &ChangeFeed::changed, &loop, [&] {
            heardAfter = timer.nsecsElapsed() / 1e6;
            loop.quit();
        });
        QTimer::singleShot(GiveUpMs, &loop, &QEventLoop::quit);
        timer.start();
        opening.open({plateName(round), {}, u"大厅"_s, u"散客"_s, {}});
        openings.append(timer.nsecsElapsed() / 1e6);
        loop.exec();
        QObject::disconnect(heard);
        if (heardAfter < 0)
            ++lost;
        else
            delays.append(heardAfter);
    }
    std::sort(delays.begin(), delays.end());
    std::sort(openings.begin(), openings.end());
    if (delays.isEmpty()) {
        std::printf("%-10s nothing heard in %d rounds\n", backend, rounds);
        return;
    }
    const double median = delays.at(delays.size() / 2);
    const double p95 = delays.at(std::min<qsizetype>(delays.size() - 1, delays.size() * 95 / 100));
    const double worst = delays.last();
    std::printf("%-10s a plate opened at A, seen by B's feed (%d rounds): median %7.2f ms   "
                "p95 %7.2f ms   max %7.2f ms   lost %d   %s\n",
                backend, rounds, median, p95, worst, lost,
                worst < TargetMs && lost == 0 ? "ok (< 200 ms)" : "OVER 200 ms");
    std::printf("%-10s   of which A's own opening and commit: median %7.2f ms\n", backend,
                openings.at(openings.size() / 2));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 200;
    return runOnBackends("bench_announce",
                         [rounds](const char *backend, Database &db) { run(backend, db, rounds); });
}
