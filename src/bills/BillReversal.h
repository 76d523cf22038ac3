#pragma once

#include <QString>
#include <QStringList>

#include <functional>

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

    BillReversal(Database &database, const Clock &clock)
        : m_database(database), m_clock(clock) {}

    // Reverses the bill with this id; the plates occupied again, in the
    // order they were taken.
    QStringList reverse(int billId);

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
