// The board with 2,000 plates over four rooms in mixed states: the plates
// of the biggest room with their icons and the totals per state, first as
// queries alone, then as the board window rebuilds its list and totals.
// Runs on SQLite in a temporary folder and, when SALONDESK_TEST_PG holds a
// connection ("host=… port=… dbname=… user=… password=…"), on PostgreSQL in
// a schema of its own that is dropped afterwards.
//
//   bench_board [PLATES]   (default 2000)

#include "board/PlateBoard.h"
#include "board/ui/TMainFm.h"
#include "common/Clock.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "db/Transaction.h"
#include "session/AppContext.h"
#include "session/IniFile.h"
#include "session/Rights.h"
#include "session/Session.h"
#include "support/BenchBackends.h"
#include "support/RecordingFileOpener.h"
#include "support/ScriptedPrompt.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTemporaryDir>
#include <QUuid>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

constexpr int Rounds = 50;

struct Room
{
    const char16_t *name;
    int share; // per thousand plates
};
const Room Rooms[] = {{u"大厅", 500}, {u"包间A", 200}, {u"包间B", 150}, {u"VIP", 150}};

const char16_t *stateOf(int i)
{
    switch (i % 10) {
    case 6:
    case 7: return u"占用";
    case 8: return u"预定";
    case 9: return u"停用";
    default: return u"可用";
    }
}

void fill(Database &db, int plates)
{
    Transaction transaction(db);
    int made = 0;
    for (const Room &room : Rooms) {
        const QString name = QString::fromUtf16(room.name);
        db.execute(u"insert into 包厢 (包厢, 门票价格, 最低消费, 初始费用) values (?, 0, 0, 0)"_s, {name});
        const int count = plates * room.share / 1000;
        for (int i = 0; i < count; ++i, ++made) {
            db.execute(u"insert into 号牌管理 (号牌, 所属包厢, 号牌状态, 进店时间) values (?, ?, ?, ?)"_s,
                       {QString(u"SP"_s + QString::number(made + 1).rightJustified(4, u'0')), name,
                        QString::fromUtf16(stateOf(made)),
                        QDateTime(QDate(2024, 3, 1), QTime(8, 0))});
        }
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
    std::printf("%-10s %-44s median %7.2f ms   worst %7.2f ms   %s\n", backend, what,
                figures.median, figures.worst, figures.worst < 20 ? "ok (< 20 ms)" : "OVER 20 ms");
}

void run(const char *backend, Database &db, int plates)
{
    Schema::ensure(db);
    fill(db, plates);
    SystemClock clock;
    PlateBoard board(db, clock);
    const QString biggest = QString::fromUtf16(Rooms[0].name);
    std::printf("%-10s %d plates, %lld in the biggest room\n", backend, plates,
                static_cast<long long>(board.plates(biggest).size()));

    report(backend, "plates of the biggest room + counts (query)", measure([&] {
               const auto list = board.plates(biggest);
               const auto counts = board.counts();
               Q_UNUSED(list)
               Q_UNUSED(counts)
           }));

    // The board window as the front desk sees it.
    QTemporaryDir dir;
    AppContext context;
    context.ProgramDir = dir.path();
    context.DbKind = u"a"_s;
    context.Rights = Rights::all();
    IniFile ini(dir.filePath(u"system.ini"_s));
    ScriptedPrompt prompt;
    RecordingFileOpener opener;
    Session session{context, &db, QString(), ini, prompt, clock, opener};
    TMainFm window(session);
    window.setAskOnClose(false);
    window.resize(1400, 900);
    window.show();
    QApplication::processEvents();
    report(backend, "TMainFm ReloadPlates + CountPlates", measure([&] {
               window.ReloadPlates();
               window.CountPlates();
           }));
    report(backend, "TMainFm ReloadPlates + CountPlates + layout", measure([&] {
               window.ReloadPlates();
               window.CountPlates();
               window.plateList()->doItemsLayout();
           }));
    window.selectPlate(u"SP0002"_s);
    window.showPlate(u"SP0002"_s);
    report(backend, "reload on an announcement (keeps selection)",
           measure([&] { window.followChanges(Change::Plates); }));
    window.close();
}


} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int plates = argc > 1 ? std::atoi(argv[1]) : 2000;

    return runOnBackends("bench_board",
                         [&](const char *backend, Database &db) { run(backend, db, plates); });
}
