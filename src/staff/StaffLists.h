#pragma once

#include "lists/ListDescription.h"
#include "lists/ListFilter.h"

#include <QDate>
#include <QString>

// The lists of commissions and salaries, and the searches their windows
// run. A search the operator left incomplete is refused with Refusal.
namespace StaffLists {

// Every employee with the columns the employee list shows (员工管理).
ListDescription employees();
// The employees to choose a server from (选择服务生).
ListDescription employeeChoice();

// Commission per employee over the settled lines (服务生提成统计).
ListDescription commissionTotals();
// The lines booked from the first to the last day, both whole days. Refuses
// a last day before the first.
ListFilter commissionTotalsBetween(QDate first, QDate last);

// The settled lines with their commission (服务生提成明细).
ListDescription commissionLines();
// The lines whose column holds exactly the value; the column is checked
// against jzmx when the list runs.
ListFilter commissionLinesWhere(const QString &column, const QString &value);

// Every salary payment (员工工资表).
ListDescription salaryRecords();
ListFilter salaryRecordsWhere(const QString &column, const QString &value);

// One employee's earlier payments, as the salary payment shows them.
ListDescription salaryHistory();
ListFilter paymentsOf(const QString &code);

} // namespace StaffLists
