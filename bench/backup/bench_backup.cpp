// Backup and verified restore of the embedded database with a million
// settled lines: each should take under five seconds.

#include "db/Database.h"
#include "db/Schema.h"
#include "db/Transaction.h"
#include "maintenance/Backup.h"
#include "maintenance/OnlineBackup.h"
#include "session/Operator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr int Lines = 1'000'000;

void fill(Database &db)
{
    Transaction transaction(db);
    db.execute(u"with recursive n(i) as (select 0 union all select i + 1 from n where i + 1 < ?) "
               "insert into jzmx (ID, 号牌, 主号牌, 商品名, 商品类型, 单价, 实际单价, 数量, 合计, "
               "折扣, 参与打折, 提成金额, TcYf, 员工编号, 员工姓名, 消费时间, 营业员, 单据号, "
               "会员卡号, 顾客姓名) "
               "select i + 1, printf('SP%03d', i % 50 + 1), printf('SP%03d', i % 50 + 1), "
               "case i % 5 when 0 then '洗剪吹' when 1 then '烫发' when 2 then '染发' "
               "when 3 then '护理' else '洗发水' end, '服务', 30, 27, 1, 27, 0.9, 'y', 3, '0', "
               "printf('%03d', i % 30 + 1), '员工', "
               "datetime('2023-01-01', '+' || (i / 10 * 5) || ' minutes'), '前台', "
               "printf('B%08d', i / 10), '非会员', '散客' from n"_s,
               {Lines});
    transaction.commit();
}

double seconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

void report(const char *what, double taken)
{
    std::printf("sqlite     %-44s %6.2f s   %s\n", what, taken, taken < 5 ? "ok (< 5 s)" : "SLOW");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    try {
        QTemporaryDir dir;
        const QString file = dir.filePath(u"data.db"_s);
        const QString backup = dir.filePath(u"backup"_s);
        ConnectionSettings settings;
        settings.filePath = file;
        auto db = Database::open(settings);
        Schema::create(*db);
        fill(*db);
        std::printf("sqlite     %d settled lines, %.0f MB\n", Lines,
                    double(QFileInfo(file).size()) / 1e6);

        QElapsedTimer timer;
        timer.start();
        Backup::backUp(Operator{u"店长"_s, Rights::all()}, *db, backup);
        report("backup (online backup, quick check, rename)", seconds(timer));
        // The copy alone, which holds a read transaction on the shop.
        timer.restart();
        OnlineBackup::copyTo(*db, dir.filePath(u"copy"_s));
        report("  of which the online backup's copy", seconds(timer));
        if (qEnvironmentVariableIsSet("BENCH_VACUUM_INTO")) {
            timer.restart();
            db->exec(u"vacuum into ?"_s, {dir.filePath(u"vacuumed"_s)});
            report("  VACUUM INTO instead, for comparison", seconds(timer));
        }

        db->close();
        timer.restart();
        Backup::restoreEmbedded(Operator{u"店长"_s, Rights::all()}, backup, file,
                                QDateTime::currentDateTime());
        report("restore (quick check, copy, rename)", seconds(timer));
        const int restored = db->scalar(u"select count(*) from jzmx"_s).toInt();
        std::printf("sqlite     restored database holds %d lines\n", restored);
        return restored == Lines ? 0 : 1;
    } catch (const std::exception &error) {
        std::printf("failed: %s\n", error.what());
        return 1;
    }
}
