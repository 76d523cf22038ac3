#include "SalaryPayment.h"

#include "common/Clock.h"
#include "db/Amounts.h"
#include "db/Database.h"
#include "db/Transaction.h"
#include "session/RightTable.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QVariantList>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Lines marked per statement: few enough for every backend's limit on
// bound values, whatever number of lines an employee has unpaid.
constexpr qsizetype MarkedPerStatement = 500;

} // namespace

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
    QSqlQuery query = m_database.exec(
        u"select ID, 提成金额 from jzmx where 员工编号=? and TcYf='0' order by ID"_s,
        {code.trimmed()});
    while (query.next()) {
        const Line line{query.value(0).toLongLong(),
                        readAmount(query.value(1), u"jzmx"_s, u"提成金额"_s)};
        commission.lines.append(line);
        commission.total += line.commission;
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

void SalaryPayment::pay(const Payment &payment)
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

    const QString code = payment.employee.code.trimmed();
    if (!write(payment, sum, code))
        throw CommissionChanged(unpaidCommission(code));
}

bool SalaryPayment::write(const Payment &payment, const Sum &sum, const QString &code)
{
    Transaction transaction(m_database);
    // A write first: SQLite's write lock, or on PostgreSQL the employee's
    // row lock, so that two payments of one employee follow each other and
    // the second sees the lines the first marked.
    m_database.execute(u"update 员工管理 set 员工编号=员工编号 where 员工编号=?"_s, {code});
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
    transaction.commit();
    return true;
}

bool SalaryPayment::markPaid(const QString &code, const QList<Line> &lines)
{
    // By row key, so a line settled after the check stays unpaid, and only
    // while still unpaid, so a line paid or moved meanwhile is not counted.
    qsizetype marked = 0;
    for (qsizetype first = 0; first < lines.size(); first += MarkedPerStatement) {
        const qsizetype count = std::min(MarkedPerStatement, lines.size() - first);
        QVariantList values{code};
        QStringList marks;
        for (qsizetype i = first; i < first + count; ++i) {
            values.append(lines.at(i).id);
            marks.append(u"?"_s);
        }
        marked += m_database.execute(
            u"update jzmx set TcYf='1' where 员工编号=? and TcYf='0' and ID in ("_s
                + marks.join(u", "_s) + u')',
            values);
    }
    return marked == lines.size();
}
