#include "TFaGongZiFm.h"

#include "common/DateFormat.h"
#include "common/ui/Attempt.h"
#include "common/ui/ButtonRow.h"
#include "common/ui/GridLook.h"
#include "db/DbError.h"
#include "db/ResultTableModel.h"
#include "lists/ListQuery.h"
#include "lists/ui/FooterBar.h"
#include "lists/ui/ListColumnsModel.h"
#include "session/Session.h"
#include "staff/StaffLists.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QLineEdit *shownOnly(QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setReadOnly(true);
    return edit;
}

} // namespace

TFaGongZiFm::TFaGongZiFm(Session &session, const QString &employeeCode, QWidget *parent)
    : QDialog(parent)
    , m_session(session)
    , m_code(shownOnly(this))
    , m_name(shownOnly(this))
    , m_level(shownOnly(this))
    , m_withBase(new QCheckBox(u"基本工资"_s, this))
    , m_base(shownOnly(this))
    , m_withCommission(new QCheckBox(u"提成"_s, this))
    , m_commission(shownOnly(this))
    , m_note(new QLineEdit(this))
    , m_total(shownOnly(this))
    , m_ok(new QPushButton(u"确定"_s, this))
    , m_cancel(new QPushButton(u"取消"_s, this))
    , m_rows(new ResultTableModel(this))
    , m_columns(new ListColumnsModel(StaffLists::salaryHistory().columns, m_rows, this))
    , m_history(new QTableView(this))
    , m_footer(new FooterBar(m_history, this))
{
    setWindowTitle(u"发工资"_s);
    m_withBase->setChecked(true);
    m_withCommission->setChecked(true);

    auto *form = new QFormLayout;
    form->addRow(u"员工编号:"_s, m_code);
    form->addRow(u"员工姓名:"_s, m_name);
    form->addRow(u"员工等级:"_s, m_level);
    form->addRow(m_withBase, m_base);
    form->addRow(m_withCommission, m_commission);
    form->addRow(u"备注:"_s, m_note);
    form->addRow(u"合计(实发):"_s, m_total);
    QFont large = m_total->font();
    large.setPointSizeF(large.pointSizeF() * 1.5);
    large.setBold(true);
    m_total->setFont(large);

    auto *employee = new QGroupBox(u"员工信息:"_s, this);
    auto *left = new QVBoxLayout(employee);
    left->addLayout(form);
    left->addStretch(1);
    left->addLayout(buttonRow({m_ok, m_cancel}));

    m_history->setModel(m_columns);
    m_history->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_history->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_history->setWordWrap(false);
    GridLook::setUp(m_history);
    auto *payments = new QGroupBox(u"发工资记录:"_s, this);
    auto *right = new QVBoxLayout(payments);
    right->setSpacing(0);
    right->addWidget(m_history, 1);
    right->addWidget(m_footer);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(employee);
    layout->addWidget(payments, 1);
    resize(900, 420);

    // Enter in the note does not pay.
    m_ok->setAutoDefault(false);
    m_cancel->setAutoDefault(false);
    connect(m_withBase, &QCheckBox::toggled, this, &TFaGongZiFm::JsHj);
    connect(m_withCommission, &QCheckBox::toggled, this, &TFaGongZiFm::JsHj);
    connect(m_ok, &QPushButton::clicked, this, &TFaGongZiFm::payout);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    load(employeeCode);
}

TFaGongZiFm::~TFaGongZiFm() = default;

SalaryPayment TFaGongZiFm::logic()
{
    return SalaryPayment(m_session.db(), m_session.clock, m_session.context.signedIn());
}

void TFaGongZiFm::load(const QString &code)
{
    m_base->setText(u"0"_s);
    m_commission->setText(u"0"_s);
    // Until a base salary is known nothing can be paid from here.
    setPayable(false);

    const auto employee = fetch(m_session.prompt, [&] { return logic().employee(code); });
    if (!employee)
        return;
    if (!*employee) {
        m_code->setText(code.trimmed());
        m_session.prompt.message(u"没有找到员工编号为"_s + code.trimmed()
                                 + u"的员工,请刷新员工列表!"_s);
        return;
    }
    m_employee = *employee;
    m_code->setText(m_employee->code);
    m_name->setText(m_employee->name);
    m_level->setText(m_employee->level);

    // A commission that cannot be read is no commission of 0: the operator
    // learns why, and nothing is paid from here until it can be read.
    try {
        showCommission(logic().unpaidCommission(m_employee->code));
    } catch (const DbError &error) {
        m_commission->clear();
        m_session.prompt.message(u"无法读取员工%1未发的提成（表 jzmx），现在不能发工资，"
                                 "请核对该员工的提成明细后再发。\n"_s.arg(m_employee->code)
                                     + error.text(),
                                 {}, Prompt::Kind::Error);
    }

    const auto base = fetch(m_session.prompt, [&] { return logic().baseSalary(m_employee->level); });
    if (!base)
        return;
    if (!*base) {
        m_session.prompt.message(
            u"没有找到该员工的员工等级的工资,请先添加好对应的员工等级!"_s);
        return;
    }
    m_baseSalary = **base;
    m_base->setText(m_baseSalary->toString());
    setPayable(m_unpaid.has_value());
    JsHj();
    loadHistory();
}

void TFaGongZiFm::setPayable(bool payable)
{
    const QList<QWidget *> parts{m_ok, m_withBase, m_withCommission, m_note};
    for (QWidget *part : parts)
        part->setEnabled(payable);
}

void TFaGongZiFm::showCommission(const SalaryPayment::Commission &commission)
{
    m_unpaid = commission;
    m_commission->setText(m_unpaid->total.toString());
}

void TFaGongZiFm::JsHj()
{
    if (!m_baseSalary || !m_unpaid)
        return;
    const SalaryPayment::Sum sum = SalaryPayment::JsHj(
        *m_baseSalary, m_withBase->isChecked(), m_unpaid->total, m_withCommission->isChecked());
    m_total->setText(sum.total.toString());
    m_note->setText(sum.note);
}

void TFaGongZiFm::showTotal()
{
    if (!m_baseSalary || !m_unpaid)
        return;
    const SalaryPayment::Sum sum = SalaryPayment::JsHj(
        *m_baseSalary, m_withBase->isChecked(), m_unpaid->total, m_withCommission->isChecked());
    m_total->setText(sum.total.toString());
}

void TFaGongZiFm::loadHistory()
{
    attempt(m_session.prompt, [this] {
        ListQuery query(m_session.db(), StaffLists::salaryHistory());
        const ListFilter filter = StaffLists::paymentsOf(m_employee->code);
        const ListQuery::Footers footers = query.footers(filter);
        query.load(*m_rows, filter);
        m_footer->setTexts(footers.texts);
    });
}

void TFaGongZiFm::payout()
{
    if (!m_employee || !m_baseSalary || !m_unpaid)
        return;
    SalaryPayment::Payment payment;
    payment.employee = *m_employee;
    payment.base = *m_baseSalary;
    payment.withBase = m_withBase->isChecked();
    payment.commission = *m_unpaid;
    payment.withCommission = m_withCommission->isChecked();
    payment.note = m_note->text();
    if (!askToPay(payment))
        return;
    try {
        logic().pay(payment);
    } catch (const SalaryPayment::CommissionChanged &changed) {
        // The new figure is on the screen before the operator reads why.
        showCommission(changed.now());
        showTotal();
        m_session.prompt.message(changed.text());
        return;
    } catch (...) {
        showFailure(m_session.prompt);
        return;
    }
    m_session.prompt.message(u"完成"_s);
    accept();
}

bool TFaGongZiFm::askToPay(const SalaryPayment::Payment &payment)
{
    // A refusal is told before anything is asked.
    const auto sum = fetch(m_session.prompt, [&] { return logic().check(payment); });
    if (!sum)
        return false;
    const auto last = fetch(m_session.prompt, [&] { return logic().lastPayment(payment.employee.code); });
    if (!last)
        return false;
    QString text = u"向 %1（%2）发放 %3 元?\n"_s.arg(payment.employee.name, payment.employee.code,
                                                  sum->total.toString());
    if (!*last) {
        text += u"此前没有发放记录。"_s;
    } else {
        text += u"上次发放：%1，%2 元。"_s.arg(DateFormat::dateTimeText((*last)->when),
                                             (*last)->total.toString());
        if ((*last)->inThisPeriod)
            text += u"\n注意：本月已经发放过，再发就是本月的第二次，请核对是否重复发放。"_s;
    }
    return m_session.prompt.question(text, u"发工资"_s);
}
