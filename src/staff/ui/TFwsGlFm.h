#pragma once

#include "lists/ui/ListWindow.h"
#include "staff/EmployeeStore.h"

#include <QString>

class QShowEvent;

// The employee list ("员工管理"): every employee, read again on every
// showing, with the employee form behind "添加" and "修改".
//
// "发工资" checks that the current employee has a level and then emits
// salaryRequested with the employee's 员工编号 as stored; whoever opens the
// list connects it to the salary payment, which reads the employee by that
// code (codes are kept unique, see EmployeeStore) and shows itself modally
// over the list (the signal's sender).
class TFwsGlFm : public ListWindow
{
    Q_OBJECT

public:
    explicit TFwsGlFm(Session &session, QWidget *parent = nullptr);

public slots:
    void addEmployee();
    void changeEmployee();
    void deleteEmployee();
    void paySalary();
    void printEmployees();

signals:
    void salaryRequested(const QString &employeeCode);

protected:
    void showEvent(QShowEvent *event) override;

private:
    EmployeeStore::Shown shownRow() const;
    // Reads the list again and makes the row with the code current.
    void reloadAt(const QString &code);
};
