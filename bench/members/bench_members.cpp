// The member list over 100,000 members: opening it (every row read, the
// footer's count and balance sum) and an equality search on the card
// number, first as the list's query alone, then as the window does it.
// Runs on SQLite in a temporary folder and, when SALONDESK_TEST_PG holds a
// connection ("host=… port=… dbname=… user=… password=…"), on PostgreSQL in
// a schema of its own that is dropped afterwards.
//
//   bench_members [MEMBERS]   (default 100000)

#include "common/Clock.h"
#include "db/Database.h"
#include "db/ResultTableModel.h"
#include "db/Schema.h"
#include "db/Transaction.h"
#include "lists/ListQuery.h"
#include "members/ui/TMemberFm.h"
#include "session/AppContext.h"
#include "session/IniFile.h"
#include "session/Rights.h"
#include "session/Session.h"
#include "support/BenchBackends.h"
#include "support/RecordingFileOpener.h"
#include "support/ScriptedPrompt.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QUuid>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

constexpr int Rounds = 7;
constexpr double Target = 100;

QString cardOf(int i)
{
    return u"HY"_s + QString::number(i + 1).rightJustified(6, u'0');
}

void fill(Database &db, int members)
{
    const QString types[] = {u"金卡"_s, u"银卡"_s, u"普通卡"_s, u"未设置"_s};
    Transaction transaction(db);
    for (int i = 0; i < members; ++i) {
        db.execute(u"insert into 会员管理 (会员卡号, 会员姓名, 密码, 会员类型, 会员性别, 出生日期, "
                   u"联系电话, 备注, 当前状态, 卡内金额, 当前积分) "
                   u"values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s,
                   {cardOf(i), QString(u"会员"_s + QString::number(i)), u"0000"_s, types[i % 4],
                    i % 3 ? u"女"_s : u"男"_s,
                    QDateTime(QDate(1970, 1, 1).addDays(i % 15000), QTime(0, 0)),
                    QString(u"139"_s + QString::number(10000000 + i)), u"无"_s, u"可用"_s,
                    QString(QString::number(i % 5000) + u".25"_s), i % 700});
    }
    transaction.commit();
}

struct Figures
{
    double median = 0;
    double worst = 0;
};

Figures measure(const std::function<void()> &operation)
{
    operation(); // warm the caches and the statement plans
    QList<double> times;
    for (int round = 0; round < Rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        operation();
        times.append(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return {times.at(times.size() / 2), times.last()};
}

void report(const char *backend, const char *what, const Figures &figures)
{
    std::printf("%-10s %-44s median %8.2f ms   worst %8.2f ms   %s\n", backend, what,
                figures.median, figures.worst,
                figures.median < Target ? "ok (< 100 ms)" : "OVER 100 ms");
}

void run(const char *backend, Database &db, int members)
{
    Schema::ensure(db);
    QElapsedTimer filling;
    filling.start();
    fill(db, members);
    std::printf("%-10s %d members (filled in %.1f s)\n", backend, members,
                filling.elapsed() / 1000.0);

    QTemporaryDir dir;
    AppContext context;
    context.ProgramDir = dir.path();
    context.DbKind = u"a"_s;
    context.Rights = Rights::all();
    IniFile ini(dir.filePath(u"system.ini"_s));
    ScriptedPrompt prompt;
    RecordingFileOpener opener;
    SystemClock clock;
    Session session{context, &db, QString(), ini, prompt, clock, opener};

    // The list's work without a window: statement, rows into the model,
    // footers.
    TMemberFm probe(session);
    ListQuery query(db, probe.query().description());
    ResultTableModel rows;
    Figures read = measure([&] {
        QSqlQuery result = query.run();
        rows.load(result);
    });
    report(backend, "list: all rows read into the model", read);
    report(backend, "list: footers by the database (count, balance sum)",
           measure([&] { query.footers(); }));
    report(backend, "list: first page read into the model", measure([&] {
               rows.loadPaged([&](int offset, int count) { return query.page({}, offset, count); },
                              500);
           }));
    ListFilter byCard;
    byCard.conditions.append({u"会员卡号"_s, ListFilter::Match::Equals, cardOf(members / 2)});
    report(backend, "search 会员卡号 = … (query + model)", measure([&] {
               QSqlQuery result = query.run(byCard);
               rows.load(result);
           }));

    // The window as the operator sees it.
    report(backend, "TMemberFm opened (load + footers)", measure([&] {
               TMemberFm window(session);
               Q_UNUSED(window)
           }));
    TMemberFm window(session);
    window.resize(1400, 900);
    window.show();
    QApplication::processEvents();
    report(backend, "TMemberFm 显示全部 (load + footers)", measure([&] { window.showAll(); }));
    window.fieldBox()->setEditText(u"会员卡号"_s);
    window.valueBox()->setText(cardOf(members / 3));
    report(backend, "TMemberFm 查找 会员卡号 = …", measure([&] {
               window.search();
           }));
    if (window.rows()->rowCount() != 1)
        std::printf("%-10s search found %d rows, expected 1\n", backend, window.rows()->rowCount());
    window.close();
}


} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int members = argc > 1 ? std::atoi(argv[1]) : 100000;

    return runOnBackends("bench_members",
                         [&](const char *backend, Database &db) { run(backend, db, members); });
}
