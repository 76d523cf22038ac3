#include "BillReversal.h"

#include "board/PlateState.h"
#include "common/Clock.h"
#include "common/Money.h"
#include "common/Refusal.h"
#include "db/Amounts.h"
#include "db/Database.h"
#include "db/Transaction.h"
#include "members/MemberCards.h"
#include "stores/BillStore.h"
#include "stores/LineStore.h"
#include "stores/PlateStore.h"


using namespace Qt::StringLiterals;

QString BillReversal::notFound(const QString &plate)
{
    return u"没有找到 "_s + plate + u" 这个牌号,故无法完成撤销操作!"_s;
}

QString BillReversal::notFree(const QString &plate)
{
    return u"牌号 "_s + plate + u" 当前状态不是可用状态,故无法完成撤销操作!"_s;
}

QString BillReversal::gone()
{
    return u"这笔结帐已在别处撤销,故无法完成撤销操作!"_s;
}

namespace {

bool isMember(const QString &card)
{
    return !card.isEmpty() && card != u"非会员";
}

} // namespace

std::optional<BillReversal::Bill> BillReversal::bill(int billId)
{
    const std::optional<BillStore::Bill> stored = BillStore(m_database).bill(billId);
    if (!stored)
        return std::nullopt;
    Bill bill;
    bill.number = stored->number;
    bill.plates = LineStore(m_database).settledPlates(stored->number);
    if (!bill.plates.contains(stored->plate))
        bill.plates.append(stored->plate);
    bill.plates.sort();
    bill.due = stored->due;
    // Settlement takes money on paid bills only; a waived or cancelled
    // bill took nothing and gives nothing back.
    if (stored->status == u"已结" && isMember(stored->card)) {
        bill.card = stored->card;
        bill.fromCard = stored->fromCard;
        bill.points = stored->received;
    }
    return bill;
}

QString BillReversal::question(const Bill &bill)
{
    QString text = QString::fromUtf16(Question) + u"\n单据号 "_s + bill.number + u"，号牌 "_s
        + bill.plates.join(u"、"_s) + u"，应收金额 "_s + bill.due.toString() + u" 元。"_s;
    if (bill.fromCard != Money())
        text += u"\n会员卡 "_s + bill.card + u" 将退回卡内金额 "_s + bill.fromCard.toString()
            + u" 元。"_s;
    return text;
}

QString BillReversal::restoredText(const Bill &bill)
{
    QString text = u"撤销完毕：单据号 "_s + bill.number + u" 的号牌 "_s + bill.plates.join(u"、"_s)
        + u" 重新占用，消费项目已退回。"_s;
    QStringList back;
    if (bill.fromCard != Money())
        back.append(u"卡内金额退回 "_s + bill.fromCard.toString() + u" 元"_s);
    if (bill.points != Money())
        back.append(u"积分扣回 "_s + bill.points.toString());
    if (!back.isEmpty())
        text += u"会员卡 "_s + bill.card + u" "_s + back.join(u"，"_s) + u"。"_s;
    return text;
}

BillReversal::Bill BillReversal::reverse(int billId)
{
    // Read before the transaction: a bill row is never changed once
    // written, and on SQLite a transaction that reads first cannot wait for
    // another workstation's write. Whether the bill is still there is
    // decided by the delete below.
    BillStore bills(m_database);
    const std::optional<BillStore::Bill> bill = bills.bill(billId);
    if (!bill)
        throw Refusal(gone());
    const QString number = bill->number;
    const QString mainPlate = bill->plate;
    const QString card = bill->card;
    // Settlement takes money on paid bills only; a waived or cancelled
    // bill took nothing and gives nothing back.
    const bool paid = bill->status == u"已结";
    const Money received = bill->received;
    const Money fromCard = bill->fromCard;
    Bill restored;
    restored.number = number;

    if (m_beforeWrite)
        m_beforeWrite();
    Transaction transaction(m_database);
    LineStore lines(m_database);
    QStringList plates = lines.settledPlates(number);
    if (!plates.contains(mainPlate))
        plates.append(mainPlate);
    plates.sort();
    // The plates before the bill, in the program's one order: an operation
    // that holds a plate and then needs the bill (another reversal of it)
    // is waited for, never waited on in a circle.
    PlateStore(m_database).lock(plates);

    // Then the member, before the bill, as every operation takes its locks.
    // On the row, so a recharge or a checkout elsewhere meanwhile still
    // counts. A member deleted since has nothing to get back. Should the
    // bill turn out to be gone, the refusal below takes this back too.
    if (paid && isMember(card)) {
        MemberCards cards(m_database);
        if (fromCard != Money() && cards.refund(card, fromCard))
            restored.fromCard = fromCard;
        if (received != Money() && cards.addPoints(card, Money() - received))
            restored.points = received;
        restored.card = card;
    }

    // Then the bill row: of two workstations reversing the same bill, the
    // second waits for the first and then finds nothing to delete.
    if (!bills.remove(billId))
        throw Refusal(gone());
    reopen(plates, mainPlate);
    lines.restore(number, mainPlate);

    transaction.commit();
    restored.plates = plates;
    return restored;
}

void BillReversal::reopen(const QStringList &plates, const QString &mainPlate)
{
    const QDateTime now = m_clock.now();
    PlateStore store(m_database);
    for (const QString &plate : plates) {
        // Free is part of the update: a plate opened for a new customer at
        // another workstation meanwhile changes no row.
        if (store.reopen(plate, mainPlate, now))
            continue;
        if (!store.exists(plate))
            throw Refusal(notFound(plate));
        throw Refusal(notFree(plate));
    }
}
