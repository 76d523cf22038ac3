#include "TFwsXzFm.h"

#include "staff/StaffLists.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QShortcut>
#include <QTableView>
#include <QToolBar>

using namespace Qt::StringLiterals;

TFwsXzFm::TFwsXzFm(Session &session, QWidget *parent)
    : ListWindow(session, StaffLists::employeeChoice(), parent)
    , m_name(new QLineEdit(this))
    , m_number(new QLineEdit(this))
{
    setWindowTitle(u"选择服务生"_s);
    resize(620, 460);
    addButton(u"选择"_s, [this] { choose(); });
    addButton(u"显示全部"_s, [this] { load(); });
    addButton(u"取消"_s, [this] { cancelChoice(); });

    auto *bar = new QWidget(this);
    auto *form = new QFormLayout(bar);
    form->setContentsMargins(0, 0, 0, 0);
    form->addRow(u"按服务生姓名查询"_s, m_name);
    form->addRow(u"按服务生编号查询"_s, m_number);
    setSearchBar(bar);

    connect(m_name, &QLineEdit::returnPressed, this, &TFwsXzFm::findByName);
    connect(m_number, &QLineEdit::returnPressed, this, &TFwsXzFm::findByNumber);
    connect(grid(), &QTableView::doubleClicked, this, &TFwsXzFm::choose);
    // Enter on the list chooses the employee under the cursor.
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto *chooseKey = new QShortcut(QKeySequence(key), grid());
        chooseKey->setContext(Qt::WidgetShortcut);
        connect(chooseKey, &QShortcut::activated, this, &TFwsXzFm::choose);
    }
    load();
}

void TFwsXzFm::showEvent(QShowEvent *event)
{
    ListWindow::showEvent(event);
    // Ready for the arrow keys and Enter: the first employee is under the
    // cursor.
    if (!grid()->currentIndex().isValid() && grid()->model() && grid()->model()->rowCount() > 0)
        grid()->setCurrentIndex(grid()->model()->index(0, 0));
    grid()->setFocus();
}

void TFwsXzFm::findByName()
{
    const QString name = m_name->text();
    if (name.isEmpty())
        return;
    ListFilter filter;
    filter.conditions.append({u"员工姓名"_s, ListFilter::Match::Contains, name});
    load(filter);
}

void TFwsXzFm::findByNumber()
{
    const QString number = m_number->text();
    if (number.isEmpty())
        return;
    ListFilter filter;
    filter.conditions.append({u"员工编号"_s, ListFilter::Match::Equals, number});
    load(filter);
}

void TFwsXzFm::choose()
{
    if (!hasCurrentRow())
        return;
    m_employee = {currentValue(u"员工编号"_s).toString(), currentValue(u"员工姓名"_s).toString()};
    m_outcome = Outcome::Chosen;
    accept();
}

void TFwsXzFm::cancelChoice()
{
    m_outcome = Outcome::Cancelled;
    reject();
}
