#pragma once

#include "staff/SalaryPayment.h"

#include <QDialog>
#include <QString>

#include <optional>

class FooterBar;
class ListColumnsModel;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QTableView;
class ResultTableModel;
struct Session;

// 发工资: pays one employee the level's base salary and the commission not
// yet paid, and shows the employee's earlier payments.
//
// The commission shown is the sum of the unpaid lines read when the screen
// opened; "确定" pays and marks exactly those. When they have changed
// meanwhile the operator is told, the screen shows what is unpaid now and
// nothing is paid until "确定" is pressed again.
//
// An employee whose level has no row in 员工等级, or whose unpaid
// commission cannot be read, gets a message; the screen then offers only
// "取消".
class TFaGongZiFm : public QDialog
{
    Q_OBJECT

public:
    TFaGongZiFm(Session &session, const QString &employeeCode, QWidget *parent = nullptr);
    ~TFaGongZiFm() override;

    QLineEdit *codeEdit() const { return m_code; }
    QLineEdit *nameEdit() const { return m_name; }
    QLineEdit *levelEdit() const { return m_level; }
    QCheckBox *baseBox() const { return m_withBase; }
    QLineEdit *baseEdit() const { return m_base; }
    QCheckBox *commissionBox() const { return m_withCommission; }
    QLineEdit *commissionEdit() const { return m_commission; }
    QLineEdit *noteEdit() const { return m_note; }
    QLineEdit *totalEdit() const { return m_total; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }
    QTableView *history() const { return m_history; }
    FooterBar *historyFooter() const { return m_footer; }

public slots:
    // JsHj: the total and the note from the ticked parts.
    void JsHj();
    void payout();

private:
    void load(const QString &code);
    void setPayable(bool payable);
    void showCommission(const SalaryPayment::Commission &commission);
    void showTotal();
    void loadHistory();
    // "向 X 发放 N 元?" with the last payment, warning of a second one in
    // the same month; true to pay.
    bool askToPay(const SalaryPayment::Payment &payment);
    SalaryPayment logic();

    Session &m_session;
    std::optional<SalaryPayment::Employee> m_employee;
    std::optional<Money> m_baseSalary;
    // The unpaid commission read; none when it could not be read.
    std::optional<SalaryPayment::Commission> m_unpaid;

    QLineEdit *m_code;
    QLineEdit *m_name;
    QLineEdit *m_level;
    QCheckBox *m_withBase;
    QLineEdit *m_base;
    QCheckBox *m_withCommission;
    QLineEdit *m_commission;
    QLineEdit *m_note;
    QLineEdit *m_total;
    QPushButton *m_ok;
    QPushButton *m_cancel;
    ResultTableModel *m_rows;
    ListColumnsModel *m_columns;
    QTableView *m_history;
    FooterBar *m_footer;
};
