#include "TZdCxFm.h"

#include "TZdMxShowFm.h"
#include "bills/BillReversal.h"
#include "common/Clock.h"
#include "common/ui/Attempt.h"
#include "db/Amounts.h"
#include "lists/ui/SearchBarWidget.h"
#include "session/Session.h"

#include <QAction>
#include <QPushButton>
#include <QTableView>
#include <QToolBar>

using namespace Qt::StringLiterals;

TZdCxFm::TZdCxFm(Session &session, QWidget *parent)
    : ListWindow(session, BillSearch::list(), parent)
    , m_reverse(new QAction(u"撤销结帐"_s, this))
{
    setWindowTitle(u"账单查询"_s);
    followChanges(Change::Bills);
    setWindowState(windowState() | Qt::WindowMaximized);
    toolbar()->hide();
    onBarButton(u"print"_s, [this] { print(); });
    onBarButton(u"exit"_s, [this] { reject(); });
    onBarButton(u"excel"_s, [this] { exportList(); });
    onBarButton(u"detail"_s, [this] { showDetail(); });

    grid()->setContextMenuPolicy(Qt::ActionsContextMenu);
    grid()->addAction(m_reverse);
    connect(m_reverse, &QAction::triggered, this, &TZdCxFm::reverseCheckout);
    connect(grid(), &QTableView::doubleClicked, this, &TZdCxFm::showDetail);

    // Every bill, latest first.
    load();
}

QComboBox *TZdCxFm::fieldBox() const
{
    return searchBar()->fieldBox();
}

QLineEdit *TZdCxFm::valueBox() const
{
    return searchBar()->valueBox();
}

QDateEdit *TZdCxFm::fromDate() const
{
    return searchBar()->firstDate();
}

QTimeEdit *TZdCxFm::fromTime() const
{
    return searchBar()->firstTime();
}

QDateEdit *TZdCxFm::toDate() const
{
    return searchBar()->lastDate();
}

QTimeEdit *TZdCxFm::toTime() const
{
    return searchBar()->lastTime();
}

QCheckBox *TZdCxFm::methodCheck() const
{
    return searchBar()->tickBox(0);
}

QComboBox *TZdCxFm::methodBox() const
{
    return searchBar()->tickChoice(0);
}

QCheckBox *TZdCxFm::stateCheck() const
{
    return searchBar()->tickBox(1);
}

QComboBox *TZdCxFm::stateBox() const
{
    return searchBar()->tickChoice(1);
}

QPushButton *TZdCxFm::button(const QString &caption) const
{
    return searchBar()->findChild<QPushButton *>(caption);
}

void TZdCxFm::print()
{
    printList(BillSearch::report());
}

void TZdCxFm::showDetail()
{
    if (!hasCurrentRow())
        return;
    TZdMxShowFm detail(m_session,
                       {currentValue(u"单据号"_s).toString(), currentValue(u"号牌"_s).toString(),
                        amountText(currentValue(u"应收金额"_s)),
                        amountText(currentValue(u"实收金额"_s))},
                       this);
    detail.exec();
}

void TZdCxFm::reverseCheckout()
{
    if (!hasCurrentRow())
        return;
    const int id = currentValue(u"id"_s).toInt();
    BillReversal reversal(m_session.db(), m_session.clock);
    // The question names the bill as stored, which the list may be behind.
    const auto bill = fetch(m_session.prompt, [&] { return reversal.bill(id); });
    if (!bill)
        return;
    if (!*bill) {
        m_session.prompt.message(BillReversal::gone());
        refresh();
        return;
    }
    if (!m_session.prompt.question(BillReversal::question(**bill)))
        return;
    std::optional<BillReversal::Bill> restored;
    attempt(m_session.prompt, [&] { restored = reversal.reverse(id); });
    // Reversed or refused, the list shows the bills as they are now.
    refresh();
    if (restored)
        m_session.prompt.message(BillReversal::restoredText(*restored));
}
