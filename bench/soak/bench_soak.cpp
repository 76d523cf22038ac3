// Several front desks and a back office working one shop at once, for as
// long as it takes to serve VISITS customers. Each desk, on a connection of
// its own, serves whole visits: opens a group of one or two of its plates,
// books services and goods with an employee on each, shows the checkout,
// identifies a member (most of the time, from ten cards that every desk
// shares) and settles, by card or in cash. The office meanwhile recharges
// cards, pays employees their salary with the commission earned so far, and
// reverses a recent bill and settles its plates again in cash.
//
// Afterwards the shop must be whole: every line booked is settled exactly
// once (none lost, none twice), every bill has its lines, each card holds
// its recharges less what its bills took from it and its points equal what
// its bills received, and the daily totals match the lines. Refusals that a
// desk or the office meets in ordinary work (a plate the office has just
// reopened, a commission that grew while being paid) are counted apart;
// anything else shown to an operator is an error and fails the run.
//
// On PostgreSQL five desks and the office run as threads, each with its
// connection; on SQLite two processes share one file, one a desk, the other
// a desk and the office. Prints the counts and the settlement times.
//
//   bench_soak [VISITS]   (default 2000)

#include "support/BenchBackends.h"
#include "SoakShop.h"
#include "SoakWork.h"

#include "db/Database.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

constexpr int ServerDesks = 5;
constexpr int FileDesks = 2;

bool runServer(const QString &connection, int visits)
{
    const ConnectionSettings settings = benchSchema(connection, "soak");
    bool whole = false;
    try {
        {
            auto db = Database::open(settings);
            SoakShop::prepare(*db, ServerDesks);
        }
        SoakWork work(settings, visits);
        std::vector<std::thread> threads;
        for (int desk = 1; desk <= ServerDesks; ++desk)
            threads.emplace_back([&work, desk] { work.runDesk(desk); });
        threads.emplace_back([&work] { work.runOffice(); });
        for (std::thread &thread : threads)
            thread.join();

        auto db = Database::open(settings);
        whole = SoakShop::report("PostgreSQL", *db, work.tally());
    } catch (const DbError &error) {
        std::fprintf(stderr, "PostgreSQL: %s\n", qPrintable(error.text()));
    }
    dropBenchSchema(settings);
    return whole;
}

// One process on the shop's file: `desk` serves visits, and "office" in
// the arguments adds the back office in a thread of its own.
int runWorker(const QStringList &arguments)
{
    ConnectionSettings settings;
    settings.backend = Backend::Sqlite;
    settings.filePath = arguments.at(0);
    const int desk = arguments.at(1).toInt();
    const int visits = arguments.at(2).toInt();
    SoakWork work(settings, visits);
    std::thread office;
    if (arguments.contains(u"office"_s))
        office = std::thread([&work] { work.runOffice(); });
    work.runDesk(desk);
    if (office.joinable())
        office.join();
    std::fputs(qPrintable(work.tally().toText()), stdout);
    return 0;
}

bool runFile(const QString &program, int visits)
{
    QTemporaryDir folder;
    ConnectionSettings settings;
    settings.backend = Backend::Sqlite;
    settings.filePath = folder.filePath(u"soak.db"_s);
    {
        auto db = Database::open(settings);
        SoakShop::prepare(*db, FileDesks);
    }
    SoakTally tally;
    std::vector<std::unique_ptr<QProcess>> workers;
    for (int desk = 1; desk <= FileDesks; ++desk) {
        auto worker = std::make_unique<QProcess>();
        worker->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QStringList arguments{u"--worker"_s, settings.filePath, QString::number(desk),
                              QString::number(visits / FileDesks + (desk <= visits % FileDesks))};
        if (desk == FileDesks)
            arguments.append(u"office"_s);
        worker->start(program, arguments);
        workers.push_back(std::move(worker));
    }
    bool ran = true;
    for (auto &worker : workers) {
        worker->waitForFinished(-1);
        if (worker->exitStatus() != QProcess::NormalExit || worker->exitCode() != 0) {
            std::fprintf(stderr, "SQLite: a desk process ended with %d\n", worker->exitCode());
            ran = false;
        }
        tally.add(SoakTally::fromText(QString::fromUtf8(worker->readAllStandardOutput())));
    }
    auto db = Database::open(settings);
    return SoakShop::report("SQLite", *db, tally) && ran;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    if (arguments.value(0) == u"--worker")
        return runWorker(arguments.mid(1));

    const int visits = arguments.isEmpty() ? 2000 : arguments.first().toInt();
    if (visits <= 0) {
        std::fprintf(stderr, "usage: bench_soak [VISITS]\n");
        return 2;
    }
    bool whole = runFile(app.applicationFilePath(), visits);
    const QByteArray connection = qgetenv("SALONDESK_TEST_PG");
    if (!connection.isEmpty())
        whole = runServer(QString::fromUtf8(connection), visits) && whole;
    return whole ? 0 : 1;
}
