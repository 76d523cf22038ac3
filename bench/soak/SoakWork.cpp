#include "SoakWork.h"

#include "SoakShop.h"

#include "session/Operator.h"
#include "bills/BillReversal.h"
#include "common/Clock.h"
#include "common/Money.h"
#include "common/Refusal.h"
#include "db/Database.h"
#include "members/Recharge.h"
#include "orders/Checkout.h"
#include "orders/ConsumptionBooking.h"
#include "orders/OrderOpening.h"
#include "orders/Settlement.h"
#include "staff/SalaryPayment.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <algorithm>
#include <chrono>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

// Refusals a desk or the office meets in ordinary work, by a part of their
// text: a plate the office reopened just before a desk chose it, a bill
// whose plates a desk has taken again, or one already reversed.
bool ordinary(const QString &text)
{
    return text.contains(u"已不是可用状态，开单失败"_s)
           || text.contains(u"当前状态不是可用状态,故无法完成撤销操作"_s)
           || text.contains(u"这笔结帐已在别处撤销"_s);
}

// What met an operator, named by the operation it ended; plate names are
// left out so that one kind of refusal counts as one.
void noteRefusal(SoakTally &tally, const char *operation, const QString &text)
{
    static const QRegularExpression plate(u"D\\dP\\d\\d"_s);
    const QString line =
        QString::fromUtf8(operation) + u": "_s + QString(text).replace(plate, u"…"_s);
    if (ordinary(text))
        ++tally.refusals[line];
    else
        ++tally.errors[line];
}

void noteError(SoakTally &tally, const char *operation, const DbError &error)
{
    ++tally.errors[QString::fromUtf8(operation) + u": "_s + error.text()];
}

// Settles the group of `plate`; the lines settled, and the time that
// JieZhangHs took in `ms`.
int settle(Database &db, const Operator &context, const Clock &clock, const QString &plate,
           const QString &card, bool byCard, double *ms)
{
    Checkout checkout(db, clock, plate);
    checkout.open();
    if (!card.isEmpty()) {
        checkout.identify(card, u"0000"_s);
        if (byCard)
            checkout.choosePayment(QString::fromUtf16(Checkout::ByCard));
    }
    QElapsedTimer timer;
    timer.start();
    Settlement(db, context, clock).JieZhangHs(checkout, Settlement::Status::Paid);
    if (ms)
        *ms = double(timer.nsecsElapsed()) / 1e6;
    return int(checkout.lines().size());
}

void serveVisit(Database &db, const Operator &context, const Clock &clock, int desk,
                QRandomGenerator &random, const QList<int> &goods, SoakTally &tally)
{
    QStringList free;
    for (int number = 1; number <= SoakShop::PlatesPerDesk; ++number)
        free.append(SoakShop::plate(desk, number));
    const QStringList occupied = db.strings(
        u"select 号牌 from 号牌管理 where 号牌状态<>'可用'"_s);
    free.removeIf([&occupied](const QString &plate) { return occupied.contains(plate); });
    if (free.isEmpty()) {
        // The office holds them all for a moment.
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return;
    }
    std::shuffle(free.begin(), free.end(), random);
    const QStringList plates = free.mid(0, 1 + random.bounded(2));
    OrderOpening(db, context, clock)
        .open({plates.first(), plates.mid(1), u"大厅"_s, u"散客"_s, u"无"_s});

    ConsumptionBooking booking(db, context, clock);
    const QStringList employees = SoakShop::employees();
    for (const QString &plate : plates) {
        for (int n = 0; n < 2; ++n) {
            const QString employee = employees.at(random.bounded(int(employees.size())));
            booking.book(plate, goods.at(random.bounded(int(goods.size()))),
                         Money::fromInt(random.bounded(1, 3)),
                         ConsumptionBooking::Employee{employee, u"员工"_s + employee});
        }
    }
    const bool member = random.bounded(10) < 7;
    const QString card =
        member ? SoakShop::card(1 + random.bounded(SoakShop::Cards)) : QString();
    double ms = 0;
    tally.linesSettled +=
        settle(db, context, clock, plates.first(), card, random.bounded(2) == 0, &ms);
    tally.settleMs.append(ms);
    ++tally.visits;
}

} // namespace

SoakWork::SoakWork(ConnectionSettings settings, int visits)
    : m_settings(std::move(settings)), m_visitsLeft(visits)
{
}

bool SoakWork::claimVisit()
{
    return m_visitsLeft.fetch_sub(1) > 0;
}

void SoakWork::record(const SoakTally &part)
{
    QMutexLocker lock(&m_mutex);
    m_tally.add(part);
}

SoakTally SoakWork::tally() const
{
    QMutexLocker lock(&m_mutex);
    return m_tally;
}

void SoakWork::runDesk(int desk)
{
    ++m_desksWorking;
    m_desksStarted = true;
    SoakTally tally;
    try {
        auto db = Database::open(m_settings);
        Operator context;
        context.name = u"前台"_s + QString::number(desk);
        SystemClock clock;
        QRandomGenerator random(quint32(desk) * 7919u);
        QList<int> goods;
        for (const QString &id : db->strings(u"select id from 商品库 order by id"_s))
            goods.append(id.toInt());

        for (bool claimed = claimVisit(); claimed;) {
            const int before = tally.visits;
            try {
                serveVisit(*db, context, clock, desk, random, goods, tally);
            } catch (const Refusal &refusal) {
                noteRefusal(tally, "visit", refusal.text());
            } catch (const DbError &error) {
                noteError(tally, "visit", error);
            }
            if (tally.visits != before)
                claimed = claimVisit();
            if (tally.errorCount() > 20)
                break; // something is badly wrong; the account will say what
        }
    } catch (const DbError &error) {
        noteError(tally, "desk", error);
    }
    record(tally);
    --m_desksWorking;
}

void SoakWork::runOffice()
{
    SoakTally tally;
    try {
        auto db = Database::open(m_settings);
        Operator context;
        context.name = u"经理"_s;
        context.rights = Rights::all();
        SystemClock clock;
        QRandomGenerator random(4711);
        // In its own process the office may start before its desk does.
        while (!m_desksStarted)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));

        while (m_desksWorking > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            static const char *const operations[] = {"recharge", "salary", "reversal"};
            const int chosen = int(random.bounded(3));
            try {
                switch (chosen) {
                case 0: {
                    Recharge recharge(*db, context, clock);
                    const auto member =
                        recharge.find(SoakShop::card(1 + random.bounded(SoakShop::Cards)));
                    recharge.add(*member, u"100"_s, false, u"充值"_s);
                    ++tally.recharges;
                    break;
                }
                case 1: {
                    SalaryPayment salary(*db, clock, context);
                    const QStringList codes = SoakShop::employees();
                    const auto employee =
                        salary.employee(codes.at(random.bounded(int(codes.size()))));
                    SalaryPayment::Payment payment;
                    payment.employee = *employee;
                    payment.base = salary.baseSalary(employee->level).value_or(Money());
                    payment.commission = salary.unpaidCommission(employee->code);
                    payment.note = u"工资"_s;
                    try {
                        salary.pay(payment);
                        ++tally.salaries;
                    } catch (const SalaryPayment::CommissionChanged &) {
                        // The commission grew while it was read: a desk settled
                        // meanwhile. The office reads again next time.
                        ++tally.refusals[u"salary: 提成已变动"_s];
                    }
                    break;
                }
                default: {
                    const QStringList recent = db->strings(
                        u"select id from 结帐管理 order by id desc limit 10"_s);
                    if (recent.isEmpty())
                        break;
                    const int bill = recent.at(random.bounded(int(recent.size()))).toInt();
                    const QStringList plates = BillReversal(*db, clock).reverse(bill).plates;
                    // Settled again in cash from the bill's own plate.
                    const QString main = db->scalar(
                        u"select 主号牌 from 号牌管理 where 号牌=?"_s, {plates.first()}).toString();
                    settle(*db, context, clock, main.isEmpty() ? plates.first() : main, {}, false,
                           nullptr);
                    ++tally.reversals;
                    break;
                }
                }
            } catch (const Refusal &refusal) {
                noteRefusal(tally, operations[chosen], refusal.text());
            } catch (const DbError &error) {
                noteError(tally, operations[chosen], error);
            }
        }
    } catch (const DbError &error) {
        noteError(tally, "office", error);
    }
    record(tally);
}
