#include "SoakShop.h"

#include "SoakTally.h"

#include "session/Operator.h"
#include "common/Clock.h"
#include "common/Money.h"
#include "db/Amounts.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "db/SettledTotals.h"
#include "members/Recharge.h"
#include "support/ShopBuilder.h"

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
    // Made as the program makes it, through the stores (the tests' shop
    // builder), so that the soak starts from rows the program could write.
    ShopBuilder shop(db);
    shop.room(u"大厅"_s, Money::fromInt(20));
    const QDateTime opened = QDateTime::currentDateTime();
    for (int desk = 1; desk <= desks; ++desk) {
        for (int number = 1; number <= PlatesPerDesk; ++number)
            shop.freePlate(plate(desk, number), u"大厅"_s, opened);
    }
    shop.goodsType(u"服务"_s, false, true, true).goodsType(u"产品"_s, true, false, false);
    shop.goods({u"01"_s, u"洗剪吹"_s, u"xjc"_s, u"服务"_s, Money::fromInt(30), Money::fromInt(5),
                Money(), true});
    shop.goods({u"02"_s, u"烫发"_s, u"tf"_s, u"服务"_s, Money::fromText(u"188.5"),
                Money::fromInt(20), Money(), true});
    shop.goods({u"03"_s, u"洗发水"_s, u"xfs"_s, u"产品"_s, Money::fromText(u"19.99"), Money(),
                Money::fromInt(10000000), false});
    shop.level(u"高级"_s, u"3000"_s);
    for (const QString &code : employees())
        shop.employee(code, u"员工"_s + code, u"高级"_s);
    shop.memberType(u"金卡"_s, Money::fromText(u"0.9"));
    for (int number = 1; number <= Cards; ++number) {
        shop.member({.card = card(number), .name = u"会员"_s + QString::number(number),
                     .type = u"金卡"_s});
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
