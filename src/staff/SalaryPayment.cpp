#include "SalaryPayment.h"

#include "common/Clock.h"
#include "common/DateFormat.h"
#include "db/Amounts.h"
#include "db/Database.h"
#include "db/RowLocks.h"
#include "db/Transaction.h"
#include "session/RightTable.h"
#include "stores/LineStore.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QVariantList>

#include <algorithm>

using namespace Qt::StringLiterals;

SalaryPayment::CommissionChanged::CommissionChanged(Commission now)
    : Refusal(u"该员工未发的提成已变动，现为"_s + now.total.toString()
              + u"元。本次没有发放，请核对合计后再按确定。"_s)
    , m_now(std::move(now))
{
}

SalaryPayment::SalaryPayment(Database &database, const Clock &clock, const Operator &who)
    : m_database(database)
    , m_clock(clock)
    , m_operator(who)
{
}

SalaryPayment::Sum SalaryPayment::JsHj(Money base, bool withBase, Money commission,
                                        bool withCommission)
{
    Sum sum;
    sum.total = (withBase ? base : Money()) + (withCommission ? commission : Money());
    if (withBase)
        sum.note += u" 基本工资 "_s;
    if (withCommission)
        sum.note += u" 提成 "_s;
    return sum;
}

std::optional<SalaryPayment::Employee> SalaryPayment::employee(const QString &code)
{
    const QSqlRecord row = m_database.firstRow(
        u"select 员工编号, 员工姓名, 员工等级 from 员工管理 where 员工编号=?"_s, {code.trimmed()});
    if (row.isEmpty())
        return std::nullopt;
    return Employee{row.value(0).toString().trimmed(), row.value(1).toString(),
                    row.value(2).toString()};
}

SalaryPayment::Commission SalaryPayment::unpaidCommission(const QString &code)
{
    Commission commission;
    for (const LineStore::Commission &unpaid : LineStore(m_database).unpaidCommission(code.trimmed())) {
        commission.lines.append({unpaid.id, unpaid.amount});
        commission.total += unpaid.amount;
    }
    return commission;
}

std::optional<Money> SalaryPayment::baseSalary(const QString &level)
{
    const QSqlRecord row =
        m_database.firstRow(u"select 工资 from 员工等级 where 等级名称=?"_s, {level});
    if (row.isEmpty())
        return std::nullopt;
    return readAmount(row.value(0), u"员工等级"_s, u"工资"_s);
}

std::optional<SalaryPayment::LastPaid> SalaryPayment::lastPayment(const QString &code)
{
    const QSqlRecord row = m_database.firstRow(
        u"select 日期, 合计 from 员工工资表 where 员工编号=? order by 日期 desc, id desc"_s,
        {code.trimmed()});
    if (row.isEmpty())
        return std::nullopt;
    LastPaid last;
    last.when = DateFormat::fromVariant(row.value(0));
    last.total = readAmount(row.value(1), u"员工工资表"_s, u"合计"_s);
    // Asked of the table, not of the latest row: a payment dated later by
    // another workstation's clock must not hide one made this month.
    const QDate today = m_clock.now().date();
    const QDateTime monthStart(QDate(today.year(), today.month(), 1), QTime(0, 0));
    last.inThisPeriod = m_database.exists(
        u"select 1 from 员工工资表 where 员工编号=? and 日期 >= ? and 日期 < ?"_s,
        {code.trimmed(), monthStart, monthStart.addMonths(1)});
    return last;
}

SalaryPayment::Sum SalaryPayment::check(const Payment &payment) const
{
    RightTable::require(m_operator, Guarded::PaySalary);
    const Sum sum =
        JsHj(payment.base, payment.withBase, payment.commission.total, payment.withCommission);
    if (sum.total == Money())
        throw Refusal(u"不能发零!"_s);
    if (!payment.withBase && !payment.withCommission)
        throw Refusal(u"请选择发放工资或者提成!"_s);
    // Each part is stored as well as the sum.
    (payment.withBase ? payment.base : Money()).withinRange();
    (payment.withCommission ? payment.commission.total : Money()).withinRange();
    sum.total.withinRange();
    return sum;
}

void SalaryPayment::pay(const Payment &payment)
{
    const Sum sum = check(payment);
    const QString code = payment.employee.code.trimmed();
    if (!write(payment, sum, code))
        throw CommissionChanged(unpaidCommission(code));
}

bool SalaryPayment::write(const Payment &payment, const Sum &sum, const QString &code)
{
    Transaction transaction(m_database);
    // The employee first, so that two payments of one employee follow each
    // other and the second sees the lines the first marked.
    RowLocks::lock(m_database, LockRank::Employees, u"员工管理"_s, u"员工编号"_s, {code});
    if (payment.withCommission) {
        Commission now = unpaidCommission(code);
        if (now.lines != payment.commission.lines)
            throw CommissionChanged(std::move(now));
    }
    m_database.execute(
        u"insert into 员工工资表 (员工编号, 员工姓名, 员工等级, 日期, 工资, 提成, 合计, 备注, 登记人) "
        "values (?, ?, ?, ?, ?, ?, ?, ?, ?)"_s,
        {code, payment.employee.name, payment.employee.level, m_clock.now(),
         (payment.withBase ? payment.base : Money()).toVariant(),
         (payment.withCommission ? payment.commission.total : Money()).toVariant(),
         sum.total.toVariant(), payment.note, m_operator.name});
    if (payment.withCommission) {
        if (m_beforeMarking)
            m_beforeMarking();
        if (!markPaid(code, payment.commission.lines))
            return false;
    }
    m_database.announce(Change::Employees | Change::Lines);
    transaction.commit();
    return true;
}

bool SalaryPayment::markPaid(const QString &code, const QList<Line> &lines)
{
    QList<LineStore::Commission> marked;
    marked.reserve(lines.size());
    for (const Line &line : lines)
        marked.append({line.id, line.commission});
    return LineStore(m_database).markPaid(code, marked) == lines.size();
}
