#include "Settlement.h"

#include "BillNumber.h"
#include "Checkout.h"

#include "board/PlateState.h"
#include "common/Clock.h"
#include "common/Refusal.h"
#include "db/Amounts.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "db/Transaction.h"
#include "members/MemberCards.h"
#include "session/RightTable.h"
#include "stores/BillStore.h"
#include "stores/LineStore.h"
#include "stores/PlateStore.h"

#include <QHash>

using namespace Qt::StringLiterals;

namespace {

const QString ReopenHint = u"本次结帐没有保存，请退出后重新打开结帐窗口。"_s;

// The group's plates in one fixed order, whichever plate the window was
// opened from, as RowLocks takes them.
QStringList lockOrder(const Checkout &checkout)
{
    QStringList plates = checkout.group();
    plates.sort();
    return plates;
}

} // namespace

QString Settlement::statusText(Status status)
{
    switch (status) {
    case Status::Waived:
        return u"免单"_s;
    case Status::Cancelled:
        return u"撤单"_s;
    case Status::Paid:
        break;
    }
    return u"已结"_s;
}

void Settlement::checkRight(Status status) const
{
    if (status == Status::Waived)
        RightTable::require(m_operator, Guarded::Waive);
    if (status == Status::Cancelled)
        RightTable::require(m_operator, Guarded::CancelAtCheckout);
}

QString Settlement::JieZhangHs(const Checkout &checkout, Status status)
{
    checkRight(status);
    QString number = checkout.billNumber();
    for (int attempt = 0;; ++attempt) {
        // Free before the attempt, so that a failure after which it is
        // taken shows that someone took it meanwhile.
        number = BillNumber::firstFree(m_database, number, checkout.group());
        try {
            write(checkout, status, number);
            return number;
        } catch (const DbError &) {
            // Only a number that a workstation choosing without the lock
            // (an older program) took meanwhile is worth another try;
            // anything else stands.
            const bool taken = BillStore(m_database).exists(number);
            if (!taken || attempt >= 5)
                throw;
        }
    }
}

void Settlement::checkGroup(const Checkout &checkout)
{
    const QString occupied = QString::fromUtf16(PlateState::Occupied);
    QHash<int, Money> listed;
    for (const Checkout::Line &line : checkout.lines())
        listed.insert(line.id, line.total);

    // The plates first: a settlement, cancellation or booking of the same
    // plate elsewhere is waited for and then seen.
    const QStringList held = PlateStore(m_database).lock(checkout.group(), occupied);
    LineStore lines(m_database);
    for (const QString &plate : lockOrder(checkout)) {
        if (!held.contains(plate))
            throw Refusal(u"号牌"_s + plate + u"已在别处结帐或撤单。"_s + ReopenHint);

        for (const LineStore::Line &line : lines.openLines(plate)) {
            const auto found = listed.constFind(static_cast<int>(line.id));
            if (found == listed.cend() || *found != line.total) {
                throw Refusal(u"号牌"_s + plate + u"的消费项目已在别处改动。"_s + ReopenHint);
            }
            listed.erase(found);
        }
    }
    // A listed line that is gone was settled or cancelled elsewhere.
    if (!listed.isEmpty())
        throw Refusal(u"结帐号牌的消费项目已在别处改动。"_s + ReopenHint);
}

void Settlement::write(const Checkout &checkout, Status status, QString &billNumber)
{
    if (m_beforeWrite)
        m_beforeWrite();
    Transaction transaction(m_database);
    checkGroup(checkout);

    // Only a paid bill takes money: a waived or cancelled one keeps what
    // was due, and neither the card nor the points change.
    const bool paid = status == Status::Paid;
    const bool byCard = checkout.paymentMethod() == QStringView(Checkout::ByCard);
    const Money received = paid ? checkout.received() : Money();
    const Money fromCard = paid && byCard ? checkout.cardDeduction() : Money();
    const Checkout::Member &member = checkout.member();

    if (checkout.hasMember() && paid) {
        // Changed on the row, so a recharge made elsewhere meanwhile stays.
        MemberCards cards(m_database);
        if (!cards.addPoints(member.card, received))
            throw Refusal(u"会员卡号"_s + member.card + u"已不存在。"_s + ReopenHint);
        if (fromCard > Money() && !cards.charge(member.card, fromCard)) {
            throw Refusal(u"会员卡内余额已在别处变动，不够扣除"_s + fromCard.toString()
                          + u"元。"_s + ReopenHint);
        }
    }

    // The number is chosen under the lock that every choice of a number
    // takes, after the plates and the member as all locks are taken: a
    // number that another bill or another open checkout's lines have
    // moves on.
    BillNumber::lock(m_database);
    billNumber = BillNumber::firstFree(m_database, billNumber, checkout.group());

    BillStore::Bill bill;
    bill.number = billNumber;
    bill.plate = checkout.plate();
    bill.entered = checkout.entryMoment();
    bill.left = m_clock.now();
    bill.fromCard = fromCard;
    bill.received = received;
    bill.due = checkout.due();
    bill.method = checkout.paymentMethod().trimmed();
    bill.card = member.card;
    bill.status = statusText(status);
    bill.settledAt = m_clock.now();
    bill.customer = checkout.customerName();
    bill.remark = checkout.remark();
    bill.operatorName = m_operator.name;
    BillStore(m_database).add(bill);

    const QStringList plates = lockOrder(checkout);
    LineStore(m_database).settle(plates, billNumber, member.card, member.name);
    PlateStore(m_database).free(plates);
    transaction.commit();
}
