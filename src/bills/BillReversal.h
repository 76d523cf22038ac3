#pragma once

#include "common/Money.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class Clock;
class Database;

// Takes a settled checkout back: the bill is removed, every plate it
// covered is occupied again under the bill's plate as main plate, each with
// its own lines back as open lines (keeping their numbers), and the member
// gets back what the bill took: the card amount, and the points a paid bill
// gave. All of it in one transaction, or nothing.
//
// Refusals (Refusal, nothing written): a plate of the bill that no longer
// exists or is not free, and a bill that is gone (reversed at another
// workstation meanwhile). Database errors throw DbError.
class BillReversal
{
public:
    static constexpr auto Question = u"您是否要撤销这笔结帐呢?";

    // A bill as its reversal concerns it: before, what the question names;
    // after, what was given back.
    struct Bill
    {
        QString number;     // 单据号
        QStringList plates; // every plate of the bill, sorted
        Money due;          // 应收金额
        QString card;       // the member's card; empty for a walk-in customer
        Money fromCard;     // card amount given back
        Money points;       // points taken back
    };

    BillReversal(Database &database, const Clock &clock)
        : m_database(database), m_clock(clock) {}

    // The bill with this id as stored now, with what reversing it would
    // give back; nothing when it is gone.
    std::optional<Bill> bill(int billId);

    // Reverses the bill with this id. Returns what was restored: the
    // plates occupied again, in the order they were taken, and what the
    // member got back (nothing for a member deleted since).
    Bill reverse(int billId);

    // "您是否要撤销这笔结帐呢?" naming the bill, its plates and its amount.
    static QString question(const Bill &bill);
    // "撤销完毕" naming the plates reopened and what the member got back.
    static QString restoredText(const Bill &bill);

    // Runs just before the transaction begins. Tests play the other
    // workstation here.
    void setBeforeWrite(std::function<void()> hook) { m_beforeWrite = std::move(hook); }

    static QString notFound(const QString &plate);
    static QString notFree(const QString &plate);
    static QString gone();

private:
    void reopen(const QStringList &plates, const QString &mainPlate);

    Database &m_database;
    const Clock &m_clock;
    std::function<void()> m_beforeWrite;
};
