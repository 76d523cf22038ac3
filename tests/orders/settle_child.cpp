// A front desk that never stops, for the settlement kill test: on the
// SQLite file it is given it opens an order on a few free plates, books
// lines on each, shows the checkout, sometimes identifies the member or
// applies a rate, and settles, again and again, until it is killed. A group
// that a killed run left open is settled first, as the desk would after a
// restart. It prints "ready" once the file is open; any refusal or database
// error ends it with its text on stderr, which the test reports.
//
//   settle_child FILE SEED

#include "common/Clock.h"
#include "common/Money.h"
#include "common/Refusal.h"
#include "db/Database.h"
#include "orders/Checkout.h"
#include "orders/ConsumptionBooking.h"
#include "orders/OrderOpening.h"
#include "orders/Settlement.h"
#include "session/AppContext.h"

#include <QCoreApplication>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// One second further at every call, from after the last bill in the file:
// each checkout gets a bill number of its own, and a restarted run does not
// go back in time.
class TickingClock final : public Clock
{
public:
    explicit TickingClock(QDateTime start) : m_moment(std::move(start)) {}
    QDateTime now() const override
    {
        m_moment = m_moment.addSecs(1);
        return m_moment;
    }

private:
    mutable QDateTime m_moment;
};

QDateTime startAfterLastBill(Database &db)
{
    const QString last = db.scalar(u"select max(单据号) from 结帐管理"_s).toString();
    const QDateTime moment = QDateTime::fromString(last, u"yyyyMMddhhmmss"_s);
    return moment.isValid() ? moment.addSecs(3600) : QDateTime(QDate(2024, 1, 1), QTime(8, 0));
}

void settleGroupOf(Database &db, const AppContext &context, const Clock &clock,
                   QRandomGenerator &random, const QString &plate)
{
    Checkout checkout(db, clock, plate);
    checkout.open();
    const quint32 dice = random.bounded(6);
    if (dice == 0)
        checkout.applyRate(u"0.9"_s);
    if (dice == 1 || dice == 2) {
        checkout.identify(u"8001"_s, u"0000"_s);
        if (dice == 2)
            checkout.choosePayment(QString::fromUtf16(Checkout::ByCard));
    }
    const Settlement::Status status =
        random.bounded(8) == 0 ? Settlement::Status::Waived : Settlement::Status::Paid;
    Settlement(db, context.signedIn(), clock).JieZhangHs(checkout, status);
}

void visit(Database &db, const AppContext &context, const Clock &clock, QRandomGenerator &random,
           const QList<int> &goods)
{
    QStringList free =
        db.strings(u"select 号牌 from 号牌管理 where 号牌状态='可用' order by 号牌"_s);
    std::shuffle(free.begin(), free.end(), random);
    const QStringList plates = free.mid(0, 1 + random.bounded(3));
    OrderOpening(db, context.signedIn(), clock).open({plates.first(), plates.mid(1), u"大厅"_s, u"散客"_s, u"无"_s});

    ConsumptionBooking booking(db, context.signedIn(), clock);
    for (const QString &plate : plates) {
        for (quint32 n = random.bounded(1, 3); n > 0; --n) {
            booking.book(plate, goods.at(random.bounded(goods.size())),
                         Money::fromInt(random.bounded(1, 4)));
        }
    }
    settleGroupOf(db, context, clock, random, plates.first());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: settle_child FILE SEED\n");
        return 2;
    }
    try {
        ConnectionSettings settings;
        settings.backend = Backend::Sqlite;
        settings.filePath = QString::fromLocal8Bit(argv[1]);
        auto db = Database::open(settings);
        QRandomGenerator random(quint32(QByteArray(argv[2]).toUInt()));
        AppContext context;
        context.OperatorName = u"前台"_s;
        // It waives now and then.
        context.Rights = Rights::all();
        const TickingClock clock(startAfterLastBill(*db));
        QList<int> goods;
        for (const QString &id : db->strings(u"select id from 商品库 order by id"_s))
            goods.append(id.toInt());

        std::printf("ready\n");
        std::fflush(stdout);
        for (;;) {
            const QStringList open = db->strings(
                u"select 号牌 from 号牌管理 where 号牌状态='占用' order by 号牌"_s);
            if (open.isEmpty())
                visit(*db, context, clock, random, goods);
            else
                settleGroupOf(*db, context, clock, random, open.first());
        }
    } catch (const Refusal &refusal) {
        std::fprintf(stderr, "refused: %s\n", qPrintable(refusal.text()));
    } catch (const DbError &error) {
        std::fprintf(stderr, "database error: %s\n", qPrintable(error.text()));
    }
    return 1;
}
