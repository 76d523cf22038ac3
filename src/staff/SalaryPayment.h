#pragma once

#include "common/Money.h"
#include "common/Refusal.h"
#include "session/Operator.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <optional>

class Clock;
class Database;

// A salary payment: the employee's base salary by level and the commission
// of the settled lines not yet paid, written as one row of 员工工资表.
// Refusals throw Refusal and write nothing; database errors throw DbError.
//
// The payment marks paid exactly the lines whose commission it pays: the
// lines read when the payment screen opened. Should those no longer be the
// employee's unpaid lines when the payment is made (a bill settled or
// reversed meanwhile, a payment made at another workstation), nothing is
// written and CommissionChanged carries what is unpaid now, for the
// operator to see before paying again. The row and the marking are one
// transaction.
class SalaryPayment
{
public:
    struct Employee
    {
        QString code;
        QString name;
        QString level;
    };

    // One settled line whose commission is unpaid.
    struct Line
    {
        qint64 id = 0;
        Money commission;
        bool operator==(const Line &) const = default;
    };

    // The unpaid commission as read: its lines and their sum.
    struct Commission
    {
        Money total;
        QList<Line> lines;
    };

    // What "合计(实发)" and the default note show.
    struct Sum
    {
        Money total;
        QString note;
    };

    struct Payment
    {
        Employee employee;
        Money base;
        bool withBase = true;
        Commission commission;
        bool withCommission = true;
        QString note;
    };

    // The employee's latest payment, for the question before another one.
    // The salary period is the calendar month: a second payment in the
    // month of the clock's now is worth a warning.
    struct LastPaid
    {
        QDateTime when;
        Money total;
        bool inThisPeriod = false;
    };

    class CommissionChanged : public Refusal
    {
    public:
        explicit CommissionChanged(Commission now);
        const Commission &now() const { return m_now; }

    private:
        Commission m_now;
    };

    SalaryPayment(Database &database, const Clock &clock, const Operator &who);

    // The total of the parts ticked, and the note naming them.
    static Sum JsHj(Money base, bool withBase, Money commission, bool withCommission);

    // The employee with this code, the code without surrounding blanks;
    // nothing when there is none.
    std::optional<Employee> employee(const QString &code);
    // The employee's settled lines whose commission is unpaid (TcYf "0").
    Commission unpaidCommission(const QString &code);
    // The base salary of the level; nothing when 员工等级 has no such level.
    // A level without a salary pays none.
    std::optional<Money> baseSalary(const QString &level);
    // The latest payment of the employee with this code; nothing when none
    // was ever made.
    std::optional<LastPaid> lastPayment(const QString &code);
    // What pay() refuses before it writes, so the window can tell before it
    // asks: the right to pay salaries, nothing ticked, a sum of 0, a
    // salary, commission or sum past the amount range (Money::OutOfRange).
    // Returns the sum to be paid.
    Sum check(const Payment &payment) const;
    // Writes the payment and marks its lines paid, after check().
    void pay(const Payment &payment);

    // Runs inside the payment's transaction, after the unpaid lines were
    // checked and before they are marked: lets a test book and settle a
    // line at that moment.
    void setBeforeMarking(std::function<void()> hook) { m_beforeMarking = std::move(hook); }

private:
    // The row and the marking; false, with nothing kept, when the lines
    // were no longer all unpaid.
    bool write(const Payment &payment, const Sum &sum, const QString &code);
    bool markPaid(const QString &code, const QList<Line> &lines);

    Database &m_database;
    const Clock &m_clock;
    const Operator m_operator;
    std::function<void()> m_beforeMarking;
};
