#include "TZdCxFm.h"

#include "TZdMxShowFm.h"
#include "bills/BillReversal.h"
#include "common/Clock.h"
#include "common/ui/Attempt.h"
#include "common/ui/DatePickers.h"
#include "db/Amounts.h"
#include "session/Session.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimeEdit>
#include <QToolBar>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TZdCxFm::TZdCxFm(Session &session, QWidget *parent)
    : ListWindow(session, BillSearch::list(), parent)
    , m_field(new QComboBox(this))
    , m_value(new QLineEdit(this))
    , m_fromDate(DatePickers::date(this))
    , m_fromTime(DatePickers::time(this))
    , m_toDate(DatePickers::date(this))
    , m_toTime(DatePickers::time(this))
    , m_byMethod(new QCheckBox(u"结帐方式"_s, this))
    , m_method(new QComboBox(this))
    , m_byState(new QCheckBox(u"状态"_s, this))
    , m_state(new QComboBox(this))
    , m_reverse(new QAction(u"撤销结帐"_s, this))
{
    setWindowTitle(u"账单查询"_s);
    followChanges(Change::Bills);
    setWindowState(windowState() | Qt::WindowMaximized);
    toolbar()->hide();

    m_field->setEditable(true);
    m_field->setInsertPolicy(QComboBox::NoInsert);
    m_field->addItems(BillSearch::fields());
    m_field->setCurrentText(u"顾客姓名"_s);
    m_value->clear();
    m_method->addItems(BillSearch::paymentMethods());
    m_state->addItems(BillSearch::states());
    // A list counts exactly while its box is ticked.
    m_method->setEnabled(false);
    m_state->setEnabled(false);
    connect(m_byMethod, &QCheckBox::toggled, m_method, &QWidget::setEnabled);
    connect(m_byState, &QCheckBox::toggled, m_state, &QWidget::setEnabled);

    const QDate today = session.clock.now().date();
    m_fromDate->setDate(QDate(2000, 1, 1));
    m_fromTime->setTime(QTime(0, 0, 0));
    m_toDate->setDate(today.addDays(1));
    m_toTime->setTime(QTime(23, 59, 59));

    // The filter on one line, the buttons under it: on one line the value
    // box had no room left on a 1280-pixel screen.
    auto *bar = new QWidget(this);
    auto *lines = new QVBoxLayout(bar);
    lines->setContentsMargins(0, 4, 0, 0);
    auto *row = new QHBoxLayout;
    auto *buttonLine = new QHBoxLayout;
    lines->addLayout(row);
    lines->addLayout(buttonLine);
    m_value->setMinimumWidth(160);
    row->addWidget(m_field);
    row->addWidget(new QLabel(u"等于"_s, bar));
    row->addWidget(m_value, 1);
    row->addWidget(new QLabel(u"从"_s, bar));
    row->addWidget(m_fromDate);
    row->addWidget(m_fromTime);
    row->addWidget(new QLabel(u"到"_s, bar));
    row->addWidget(m_toDate);
    row->addWidget(m_toTime);
    row->addWidget(m_byMethod);
    row->addWidget(m_method);
    row->addWidget(m_byState);
    row->addWidget(m_state);
    const std::pair<QString, void (TZdCxFm::*)()> buttons[] = {
        {u"查询"_s, &TZdCxFm::search},
        {u"打印"_s, &TZdCxFm::print},
        {u"退出"_s, &TZdCxFm::reject},
        {u"Excel"_s, &TZdCxFm::exportList},
        {u"显示明细"_s, &TZdCxFm::showDetail},
    };
    for (const auto &[caption, slot] : buttons) {
        auto *button = new QPushButton(caption, bar);
        button->setObjectName(caption);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, slot);
        buttonLine->addWidget(button);
    }
    buttonLine->addStretch(1);
    setSearchBar(bar);

    grid()->setContextMenuPolicy(Qt::ActionsContextMenu);
    grid()->addAction(m_reverse);
    connect(m_reverse, &QAction::triggered, this, &TZdCxFm::reverseCheckout);
    connect(grid(), &QTableView::doubleClicked, this, &TZdCxFm::showDetail);

    // Every bill, latest first.
    load();
}

QPushButton *TZdCxFm::button(const QString &caption) const
{
    return findChild<QPushButton *>(caption);
}

BillSearch TZdCxFm::searchValues() const
{
    BillSearch search;
    search.field = m_field->currentText();
    search.value = m_value->text();
    search.from = QDateTime(m_fromDate->date(), m_fromTime->time());
    search.to = QDateTime(m_toDate->date(), m_toTime->time());
    if (m_byMethod->isChecked())
        search.method = m_method->currentText();
    if (m_byState->isChecked())
        search.state = m_state->currentText();
    return search;
}

void TZdCxFm::search()
{
    load(searchValues().filter());
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
