#include "TFwsGlFm.h"

#include "TFwsEditFm.h"
#include "common/ui/Attempt.h"
#include "report/ListReport.h"
#include "session/Session.h"
#include "staff/StaffLists.h"

#include <QShowEvent>

using namespace Qt::StringLiterals;

TFwsGlFm::TFwsGlFm(Session &session, QWidget *parent)
    : ListWindow(session, StaffLists::employees(), parent)
{
    setWindowTitle(u"员工管理"_s);
    followChanges(Change::Employees);
    setWindowState(Qt::WindowMaximized);
    addButton(u"添加"_s, [this] { addEmployee(); });
    addButton(u"修改"_s, [this] { changeEmployee(); });
    addButton(u"删除"_s, [this] { deleteEmployee(); });
    addButton(u"刷新"_s, [this] { refresh(); });
    addButton(u"显示全部"_s, [this] { load(); });
    addButton(u"发工资"_s, [this] { paySalary(); });
    addButton(u"打印"_s, [this] { printEmployees(); });
    addButton(u"退出"_s, [this] { reject(); });
}

void TFwsGlFm::showEvent(QShowEvent *event)
{
    ListWindow::showEvent(event);
    // A window restored from the taskbar is shown again spontaneously; that
    // is no new showing of the list.
    if (!event->spontaneous())
        load();
}

EmployeeStore::Shown TFwsGlFm::shownRow() const
{
    EmployeeStore::Shown shown;
    for (const QString &column : EmployeeStore::columns())
        shown.append(currentValue(column));
    return shown;
}

void TFwsGlFm::reloadAt(const QString &code)
{
    if (refresh())
        selectRow(u"员工编号"_s, code);
}

void TFwsGlFm::addEmployee()
{
    TFwsEditFm form(m_session, TFwsEditFm::Mode::Add, {}, this);
    if (form.exec() == QDialog::Accepted)
        reloadAt(form.savedCode());
}

void TFwsGlFm::changeEmployee()
{
    if (!hasCurrentRow())
        return;
    TFwsEditFm form(m_session, TFwsEditFm::Mode::Change, shownRow(), this);
    if (form.exec() == QDialog::Accepted)
        reloadAt(form.savedCode());
}

void TFwsGlFm::deleteEmployee()
{
    if (!hasCurrentRow())
        return;
    const EmployeeStore::Shown shown = shownRow();
    const QString name = currentValue(u"员工姓名"_s).toString();
    if (m_session.prompt.question(EmployeeStore::deleteQuestion(name)))
        attempt(m_session.prompt, [&] { EmployeeStore(m_session.db()).remove(shown); });
    // Read again whatever the answer: the list shows what the table holds now.
    refresh();
}

void TFwsGlFm::paySalary()
{
    if (!hasCurrentRow())
        return;
    if (currentValue(u"员工等级"_s).toString().trimmed().isEmpty()) {
        m_session.prompt.message(u"请先为该员工设置好员工等级后才能操作!"_s);
        return;
    }
    emit salaryRequested(currentValue(u"员工编号"_s).toString());
}

void TFwsGlFm::printEmployees()
{
    ListReport report;
    report.addTitle(u"服务生资料"_s, 16);
    report.addTitle(u"打印日期:[DATE]"_s);
    report.addColumn({u"编号"_s, u"员工编号"_s});
    report.addColumn({u"姓名"_s, u"员工姓名"_s});
    report.addColumn({u"性别"_s, u"性别"_s});
    report.addColumn({u"员工等级"_s, u"员工等级"_s});
    printList(report);
}
