// Start to sign-in window: settings, database (schema check), shop and the
// operator list, with an empty database and with a million settled lines.
//
//   bench_startup [LINES]   (default 1000000)

#include "common/Clock.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "db/Transaction.h"
#include "operators/ui/TLgFm.h"
#include "session/IniFile.h"
#include "session/Session.h"
#include "session/Startup.h"
#include "shell/StarterShop.h"
#include "support/RecordingFileOpener.h"
#include "support/ScriptedPrompt.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

void fillSettledLines(Database &db, int lines)
{
    Transaction transaction(db);
    QSqlQuery insert(db.handle());
    insert.prepare(u"insert into jzmx (ID, 号牌, 主号牌, 商品名, 单价, 实际单价, 数量, 合计, 消费时间, 单据号) "
                   "values (?, ?, ?, ?, 30, 30, 1, 30, ?, ?)"_s);
    for (int i = 0; i < lines; ++i) {
        const QString plate = u"SP"_s + QString::number(i % 20 + 1).rightJustified(3, u'0');
        insert.addBindValue(i + 1);
        insert.addBindValue(plate);
        insert.addBindValue(plate);
        insert.addBindValue(u"洗剪吹"_s);
        insert.addBindValue(u"2024-03-01 08:00:00"_s);
        insert.addBindValue(QString::number(202403000000LL + i / 5));
        insert.exec();
    }
    transaction.commit();
}

double timeStart(const QString &folder)
{
    QElapsedTimer timer;
    timer.start();
    AppContext context;
    context.ProgramDir = folder;
    IniFile ini(QDir(folder).filePath(u"system.ini"_s));
    Startup::readConfiguration(ini, context);
    Startup::Opened opened = Startup::openDatabase(context, ini);
    if (!opened.database) {
        std::printf("cannot open: %s\n", qPrintable(opened.error));
        return -1;
    }
    Startup::readShop(*opened.database, context);
    ScriptedPrompt prompt;
    SystemClock clock;
    RecordingFileOpener opener;
    Session session{context, opened.database.get(), QString(), ini, prompt, clock, opener};
    TLgFm window(session);
    window.loadOperators();
    window.show();
    QApplication::processEvents();
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int lines = argc > 1 ? std::atoi(argv[1]) : 1000000;

    QTemporaryDir dir;
    StarterShop::writeDefaultIni(dir.filePath(u"system.ini"_s));
    {
        ConnectionSettings settings;
        settings.filePath = dir.filePath(u"data.db"_s);
        auto db = Database::open(settings);
        Schema::ensure(*db);
        StarterShop::seed(*db);
    }
    std::printf("start to sign-in window, SQLite, empty shop: %.1f ms (target under 300 ms)\n",
                timeStart(dir.path()));
    {
        ConnectionSettings settings;
        settings.filePath = dir.filePath(u"data.db"_s);
        auto db = Database::open(settings);
        QElapsedTimer fill;
        fill.start();
        fillSettledLines(*db, lines);
        std::printf("(generated %d settled lines in %.1f s)\n", lines, fill.elapsed() / 1000.0);
    }
    std::printf("start to sign-in window, SQLite, %d settled lines: %.1f ms (target under 300 ms)\n",
                lines, timeStart(dir.path()));
    return 0;
}
