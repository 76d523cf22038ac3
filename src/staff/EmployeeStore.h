#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

class Database;

// Keeps the employees of table 员工管理 and reads the level names they
// choose from. Refusals throw Refusal and write nothing; database errors
// throw DbError.
//
// The table has no key column, so a row is named by everything the list
// showed of it (Shown): a change or deletion goes to one row that still
// holds exactly those values, or to none. A row another workstation changed
// or deleted meanwhile is refused with a message instead of being
// overwritten, and two identical rows (left from older data) are never
// changed together.
//
// 员工编号 is what salaries and commissions find an employee by, so a new
// employee, or a change of code, that would give a second row the same
// code is refused; codes are stored without surrounding blanks, as the
// salary payment reads them.
class EmployeeStore
{
public:
    struct Employee
    {
        QString code;
        QString name;
        QString sex;
        QString level;
        QString phone;
        QString idNumber;
        QString note;

        // In the order of columns(); an empty text is null.
        QVariantList values() const;
        // From values in the order of columns(); a null shows as empty text.
        static Employee fromValues(const QVariantList &values);
    };

    // A row as the list showed it, in the order of columns(), nulls kept.
    using Shown = QVariantList;

    explicit EmployeeStore(Database &database) : m_database(database) {}

    // The columns the form shows and the store writes.
    static const QStringList &columns();
    // The question that comes before deleting an employee.
    static QString deleteQuestion(const QString &name);

    // The 等级名称 of every level, in the order they were added.
    QStringList levelNames();
    void add(const Employee &employee);
    // Replaces the row that still holds `shown`.
    void update(const Shown &shown, const Employee &changed);
    // Deletes the row that still holds `shown`. Lines and salary rows that
    // carry its code stay as they are.
    void remove(const Shown &shown);

private:
    // Refuses an incomplete employee; the code without surrounding blanks.
    static Employee checked(const Employee &employee);
    // Refuses a code that another row already has.
    void refuseTakenCode(const QString &code);
    // "<physical row> = (select … where <shown> limit 1)", with its values
    // appended to `values`.
    QString oneShownRow(const Shown &shown, QVariantList &values) const;

    Database &m_database;
};
