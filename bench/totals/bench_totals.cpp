// The daily totals (项目日汇总, 提成日汇总) with a million settled lines under
// 100,000 bills: counting them all again, holding them against the lines,
// clearing the bills (数据初始化, target under 3 s) and, on PostgreSQL, a
// settlement while another workstation holds a salary payment marking an
// employee's 33,334 lines open (target: it does not wait for the payment).
// Runs on SQLite in a temporary folder and, when SALONDESK_TEST_PG holds a
// connection, on PostgreSQL in a schema of its own that is dropped
// afterwards.
//
//   bench_totals [SETTLED_LINES]   (default 1000000; ten lines a bill)

#include "support/BenchBackends.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "db/SettledTotals.h"
#include "db/Transaction.h"
#include "maintenance/DataClearing.h"
#include "session/Operator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

constexpr double ClearingTarget = 3.0;
// How long the other workstation keeps its salary payment open.
constexpr int PaymentHeldMs = 3000;

// 60 goods names in 6 types, 30 employees, a bill every five minutes from
// 2024-06-01; the commission of the last 20,000 lines is unpaid. The
// totals are counted once at the end, as an upgrade counts them.
void fillHistory(Database &db, int lines)
{
    Transaction transaction(db);
    SettledTotals::setAside(db);
    if (db.dialect().isPostgres()) {
        db.execute(u"insert into jzmx (ID, 号牌, 商品名, 商品类型, 数量, 合计, 提成金额, TcYf, 员工编号, "
                   "消费时间, 单据号) "
                   "select i + 1, 'SP' || lpad((i % 50 + 1)::text, 3, '0'), '项目' || (i % 60), "
                   "'类型' || (i % 6), 1 + i % 3, 28.05 * (1 + i % 3), 3.5, "
                   "case when i >= ? - 20000 then '0' else '1' end, lpad((i % 30 + 1)::text, 3, '0'), "
                   "timestamp '2024-06-01' + (i / 10) * interval '5 minutes', "
                   "'B' || lpad((i / 10)::text, 8, '0') from generate_series(0, ? - 1) as g(i)"_s,
                   {lines, lines});
        db.execute(u"insert into 结帐管理 (单据号, 结帐时间, 应收金额) "
                   "select 'B' || lpad(b::text, 8, '0'), timestamp '2024-06-01' + b * interval '5 minutes', "
                   "561 from generate_series(0, ? - 1) as g(b)"_s,
                   {lines / 10});
    } else {
        db.execute(u"with recursive n(i) as (select 0 union all select i + 1 from n where i + 1 < ?) "
                   "insert into jzmx (ID, 号牌, 商品名, 商品类型, 数量, 合计, 提成金额, TcYf, 员工编号, "
                   "消费时间, 单据号) "
                   "select i + 1, printf('SP%03d', i % 50 + 1), '项目' || (i % 60), '类型' || (i % 6), "
                   "1 + i % 3, round(28.05 * (1 + i % 3), 4), 3.5, "
                   "case when i >= ? - 20000 then '0' else '1' end, printf('%03d', i % 30 + 1), "
                   "datetime('2024-06-01', '+' || (i / 10 * 5) || ' minutes'), printf('B%08d', i / 10) "
                   "from n"_s,
                   {lines, lines});
        db.execute(u"with recursive n(b) as (select 0 union all select b + 1 from n where b + 1 < ?) "
                   "insert into 结帐管理 (单据号, 结帐时间, 应收金额) "
                   "select printf('B%08d', b), datetime('2024-06-01', '+' || (b * 5) || ' minutes'), 561 "
                   "from n"_s,
                   {lines / 10});
    }
    QElapsedTimer timer;
    timer.start();
    SettledTotals::rebuild(db);
    SettledTotals::putBack(db);
    transaction.commit();
    std::printf("  rebuild of every total from the lines: %.2f s\n", timer.elapsed() / 1000.0);
}

// A bill of ten lines of employee 002 moved to jzmx in one statement, as
// settlement moves a group's lines; the time it takes, in ms.
double settle(Database &db, int bill)
{
    QElapsedTimer timer;
    timer.start();
    Transaction transaction(db);
    db.execute(u"insert into jzmx (ID, 商品名, 商品类型, 数量, 合计, 提成金额, TcYf, 员工编号, 消费时间, 单据号) "
               "select ? + i, '项目' || i, '类型1', 1, 30, 3, '0', '002', ?, ? "
               "from (select 0 as i union all select 1 union all select 2 union all select 3 "
               "union all select 4 union all select 5 union all select 6 union all select 7 "
               "union all select 8 union all select 9) as ten"_s,
               {20000000 + bill * 10, QDateTime(QDate(2025, 6, 1), QTime(18, 0)),
                u"N%1"_s.arg(bill)});
    db.execute(u"insert into 结帐管理 (单据号, 结帐时间, 应收金额) values (?, ?, 300)"_s,
               {u"N%1"_s.arg(bill), QDateTime(QDate(2025, 6, 1), QTime(18, 0))});
    transaction.commit();
    return timer.nsecsElapsed() / 1e6;
}

// Employee 001's salary payment at another workstation: the employee's
// row, the record and every line of the employee marked, then held open for
// PaymentHeldMs before it commits. The settlement starts once the lines
// are marked.
void settleWhilePaymentOpen(const char *backend, Database &db)
{
    if (!db.dialect().isPostgres()) {
        std::printf("%-10s settlement during an open salary payment: n/a (SQLite has one writer "
                    "at a time; a payment holds it only for its own statements)\n",
                    backend);
        return;
    }
    db.execute(u"insert into 员工管理 (员工编号, 员工姓名) values ('001', '甲'), ('002', '乙')"_s);
    std::printf("%-10s settlement alone: %.1f ms\n", backend, settle(db, 0));
    std::atomic<bool> marked = false;
    int markedLines = 0;
    double markingMs = 0;
    std::thread payment([&] {
        auto other = Database::open(db.settings());
        QElapsedTimer timer;
        timer.start();
        other->begin();
        other->execute(u"update 员工管理 set 员工编号=员工编号 where 员工编号='001'"_s);
        other->execute(u"insert into 员工工资表 (员工编号, 提成) values ('001', 1)"_s);
        markedLines = other->execute(u"update jzmx set TcYf='1' where 员工编号='001'"_s);
        markingMs = timer.nsecsElapsed() / 1e6;
        marked = true;
        QThread::msleep(PaymentHeldMs);
        other->commit();
    });
    while (!marked)
        QThread::msleep(1);
    const double settling = settle(db, 1);
    payment.join();
    std::printf("%-10s settlement while a salary payment of %d lines (marked in %.0f ms) is held "
                "open %d ms: %.1f ms   %s\n",
                backend, markedLines, markingMs, PaymentHeldMs, settling,
                settling < PaymentHeldMs / 10.0 ? "ok (did not wait)" : "WAITED");
}

void run(const char *backend, Database &db, int lines)
{
    Schema::ensure(db);
    QElapsedTimer filling;
    filling.start();
    std::printf("%-10s filling %d settled lines\n", backend, lines);
    fillHistory(db, lines);
    if (db.dialect().isPostgres())
        db.exec(u"vacuum analyze jzmx, 结帐管理, 项目日汇总, 提成日汇总"_s);
    std::printf("%-10s filled in %.1f s; %d item totals, %d commission totals\n", backend,
                filling.elapsed() / 1000.0,
                db.scalar(u"select count(*) from 项目日汇总"_s).toInt(),
                db.scalar(u"select count(*) from 提成日汇总"_s).toInt());

    QElapsedTimer timer;
    timer.start();
    const QStringList differences = SettledTotals::verify(db);
    std::printf("%-10s verify of %d lines: %.2f s, %lld differences\n", backend, lines,
                timer.elapsed() / 1000.0, static_cast<long long>(differences.size()));

    settleWhilePaymentOpen(backend, db);

    timer.restart();
    DataClearing::clear(Operator{u"店长"_s, Rights::all()}, db, {DataClearing::Records::Bills});
    const double clearing = timer.elapsed() / 1000.0;
    std::printf("%-10s clearing the bills and their %d settled lines: %.2f s   %s\n", backend,
                lines, clearing,
                clearing < ClearingTarget ? "ok (< 3 s)" : "OVER 3 s");
    std::printf("%-10s after clearing: %d lines, %d + %d totals, verify: %lld differences\n",
                backend, db.scalar(u"select count(*) from jzmx"_s).toInt(),
                db.scalar(u"select count(*) from 项目日汇总"_s).toInt(),
                db.scalar(u"select count(*) from 提成日汇总"_s).toInt(),
                static_cast<long long>(SettledTotals::verify(db).size()));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int lines = argc > 1 ? std::atoi(argv[1]) : 1000000;
    return runOnBackends("bench_totals",
                         [&](const char *backend, Database &db) { run(backend, db, lines); });
}
