#include "SoakShop.h"

#include "SoakTally.h"

#include "session/Operator.h"
#include "common/Clock.h"
#include "common/Money.h"
#include "db/Amounts.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "db/SettledTotals.h"
#include "db/Transaction.h"
#include "members/Recharge.h"

#include <QSqlQuery>

#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace SoakShop {

QString plate(int desk, int number)
{
    return u"D%1P%2"_s.arg(desk).arg(number, 2, 10, QChar(u'0'));
}

QString card(int number)
{
    return QString::number(9000 + number);
}

QStringList employees()
{
    return {u"001"_s, u"002"_s, u"003"_s};
}

void prepare(Database &db, int desks)
{
    Schema::ensure(db);
    {
        Transaction transaction(db);
        db.execute(u"insert into 包厢 (包厢, 门票价格, 排序) values ('大厅', 20, 1)"_s);
        for (int desk = 1; desk <= desks; ++desk) {
            for (int number = 1; number <= PlatesPerDesk; ++number) {
                db.execute(u"insert into 号牌管理 (号牌, 所属包厢, 号牌状态, 顾客姓名, 主号牌) "
                           "values (?, '大厅', '可用', '散客', '')"_s,
                           {plate(desk, number)});
            }
        }
        db.execute(u"insert into 商品类型 (名称, 库存, 参与打折, 是否需要服务) values "
                   "('服务', ?, 'y', ?), ('产品', ?, 'n', ?)"_s,
                   {false, true, true, false});
        db.execute(u"insert into 商品库 (编号, 商品名, 拼音, 商品类型, 单价, 库存, 提成金额, 是否需要服务) "
                   "values ('01', '洗剪吹', 'xjc', '服务', 30, 0, 5, '是'), "
                   "('02', '烫发', 'tf', '服务', 188.5, 0, 20, '是'), "
                   "('03', '洗发水', 'xfs', '产品', 19.99, 10000000, 0, '否')"_s);
        db.execute(u"insert into 员工等级 (等级名称, 工资) values ('高级', 3000)"_s);
        for (const QString &code : employees()) {
            db.execute(u"insert into 员工管理 (员工编号, 员工姓名, 员工等级) values (?, ?, '高级')"_s,
                       {code, QString(u"员工"_s + code)});
        }
        db.execute(u"insert into 会员类型 (类型名称, 打折率) values ('金卡', 0.9)"_s);
        for (int number = 1; number <= Cards; ++number) {
            db.execute(u"insert into 会员管理 (会员卡号, 会员姓名, 密码, 会员类型, 卡内金额, 当前积分) "
                       "values (?, ?, '0000', '金卡', 0, 0)"_s,
                       {card(number), QString(u"会员"_s + QString::number(number))});
        }
        transaction.commit();
    }
    // The balances come from recharges only, so that the account afterwards
    // is recharges less what the bills took.
    Operator context;
    context.name = u"经理"_s;
    context.rights = Rights::all();
    SystemClock clock;
    Recharge recharge(db, context, clock);
    for (int number = 1; number <= Cards; ++number)
        recharge.add(*recharge.find(card(number)), u"100000"_s, false, u"开卡"_s);
}

namespace {

int count(Database &db, const QString &sql)
{
    return db.scalar(sql).toInt();
}

Money amount(Database &db, const QString &sql, const QVariantList &values)
{
    return tryReadAmount(db.scalar(sql, values)).value_or(Money());
}

double percentile(QList<double> values, double share)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype at = std::min<qsizetype>(values.size() - 1, qsizetype(share * values.size()));
    return values.at(at);
}

bool check(const char *backend, const char *what, bool holds, const QString &detail = {})
{
    std::printf("%s:   %-44s %s%s\n", backend, what, holds ? "ok" : "FAILED",
                detail.isEmpty() ? "" : qPrintable(u"  ("_s + detail + u")"_s));
    return holds;
}

// Each card against its recharges and bills: what it holds and its points.
QStringList cardsOutOfStep(Database &db)
{
    QStringList wrong;
    for (int number = 1; number <= Cards; ++number) {
        const QString card = SoakShop::card(number);
        const Money recharged =
            amount(db, u"select sum(充值金额) from 会员充值 where 会员卡号=?"_s, {card});
        const Money paid = amount(
            db, u"select sum(卡内扣除) from 结帐管理 where 会员卡号=? and 状态='已结'"_s, {card});
        const Money received = amount(
            db, u"select sum(实收金额) from 结帐管理 where 会员卡号=? and 状态='已结'"_s, {card});
        const Money balance =
            amount(db, u"select 卡内金额 from 会员管理 where 会员卡号=?"_s, {card});
        const Money points =
            amount(db, u"select 当前积分 from 会员管理 where 会员卡号=?"_s, {card});
        if (balance != recharged - paid || points != received) {
            wrong.append(u"%1: %2 ≠ %3 − %4 or points %5 ≠ %6"_s.arg(
                card, balance.toString(), recharged.toString(), paid.toString(),
                points.toString(), received.toString()));
        }
    }
    return wrong;
}

} // namespace

bool report(const char *backend, Database &db, const SoakTally &tally)
{
    std::printf("%s: %d visits settled by the desks (%d lines), %d bills reversed and settled "
                "again, %d salaries paid, %d recharges\n",
                backend, tally.visits, tally.linesSettled, tally.reversals, tally.salaries,
                tally.recharges);
    std::printf("%s: settlement ms  p50 %.1f  p95 %.1f  max %.1f  (%lld settlements)\n", backend,
                percentile(tally.settleMs, 0.5), percentile(tally.settleMs, 0.95),
                percentile(tally.settleMs, 1.0), qint64(tally.settleMs.size()));
    for (auto it = tally.refusals.cbegin(); it != tally.refusals.cend(); ++it)
        std::printf("%s:   refused %5d  %s\n", backend, it.value(), qPrintable(it.key()));
    for (auto it = tally.errors.cbegin(); it != tally.errors.cend(); ++it)
        std::printf("%s:   ERROR   %5d  %s\n", backend, it.value(), qPrintable(it.key()));

    bool whole = check(backend, "no error shown to an operator", tally.errorCount() == 0,
                       QString::number(tally.errorCount()));
    const int settled = count(db, u"select count(*) from jzmx"_s);
    whole &= check(backend, "every line booked settled, none lost",
                   settled == tally.linesSettled,
                   u"%1 settled, %2 booked"_s.arg(settled).arg(tally.linesSettled));
    whole &= check(backend, "no line settled twice",
                   count(db, u"select count(*) - count(distinct ID) from jzmx"_s) == 0);
    whole &= check(backend, "no line left open, no plate left occupied",
                   count(db, u"select count(*) from xfmx"_s) == 0
                       && count(db, u"select count(*) from 号牌管理 where 号牌状态<>'可用'"_s) == 0);
    whole &= check(backend, "every bill with its lines, every line with its bill",
                   count(db, u"select count(*) from 结帐管理 b where not exists "
                             "(select 1 from jzmx j where j.单据号=b.单据号)"_s)
                           == 0
                       && count(db, u"select count(*) from jzmx j where not exists "
                                    "(select 1 from 结帐管理 b where b.单据号=j.单据号)"_s)
                              == 0);
    const QStringList cards = cardsOutOfStep(db);
    whole &= check(backend, "cards hold recharges less payments", cards.isEmpty(),
                   cards.join(u"; "_s));
    const QStringList totals = SettledTotals::verify(db);
    whole &= check(backend, "daily totals match the lines", totals.isEmpty(),
                   totals.mid(0, 3).join(u"; "_s));
    return whole;
}

} // namespace SoakShop
