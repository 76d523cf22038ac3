#include "TZdMxFm.h"

#include "common/Clock.h"
#include "common/ui/Attempt.h"
#include "common/ui/DatePickers.h"
#include "session/Session.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QToolBar>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TZdMxFm::TZdMxFm(Session &session, QWidget *parent)
    : ListWindow(session, LineSearch::list(), parent)
    , m_fromDate(DatePickers::date(this))
    , m_fromTime(DatePickers::time(this))
    , m_toDate(DatePickers::date(this))
    , m_toTime(DatePickers::time(this))
    , m_byTime(new QCheckBox(u"消费时间"_s, this))
    , m_field(new QComboBox(this))
    , m_value(new QLineEdit(this))
    , m_takings(new QLabel(this))
    , m_count(new QLabel(this))
{
    setWindowTitle(u"账单明细"_s);
    setWindowState(windowState() | Qt::WindowMaximized);
    toolbar()->hide();

    m_field->setEditable(true);
    m_field->setInsertPolicy(QComboBox::NoInsert);
    m_field->addItems(LineSearch::fields());
    m_value->installEventFilter(this);
    // The pickers count exactly while the box is ticked.
    for (QWidget *picker : {static_cast<QWidget *>(m_fromDate), static_cast<QWidget *>(m_fromTime),
                            static_cast<QWidget *>(m_toDate), static_cast<QWidget *>(m_toTime)}) {
        connect(m_byTime, &QCheckBox::toggled, picker, &QWidget::setEnabled);
    }

    // The search on one line, the buttons and the day's totals under it.
    auto *bar = new QWidget(this);
    auto *lines = new QVBoxLayout(bar);
    lines->setContentsMargins(0, 4, 0, 0);
    auto *row = new QHBoxLayout;
    auto *buttonLine = new QHBoxLayout;
    lines->addLayout(row);
    lines->addLayout(buttonLine);
    m_value->setMinimumWidth(160);
    row->addWidget(new QLabel(u"从"_s, bar));
    row->addWidget(m_fromDate);
    row->addWidget(m_fromTime);
    row->addWidget(new QLabel(u"到"_s, bar));
    row->addWidget(m_toDate);
    row->addWidget(m_toTime);
    row->addWidget(m_byTime);
    row->addWidget(m_field);
    row->addWidget(new QLabel(u"等于"_s, bar));
    row->addWidget(m_value, 1);
    const std::pair<QString, void (TZdMxFm::*)()> buttons[] = {
        {u"检索"_s, &TZdMxFm::search},
        {u"关闭"_s, &TZdMxFm::reject},
        {u"打印"_s, &TZdMxFm::print},
        {u"Excel"_s, &TZdMxFm::exportList},
    };
    for (const auto &[caption, slot] : buttons) {
        auto *button = new QPushButton(caption, bar);
        button->setObjectName(caption);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, slot);
        buttonLine->addWidget(button);
    }
    buttonLine->addSpacing(24);
    buttonLine->addWidget(m_takings);
    buttonLine->addSpacing(24);
    buttonLine->addWidget(m_count);
    buttonLine->addStretch(1);
    setSearchBar(bar);

    FreshDate();
}

QPushButton *TZdMxFm::button(const QString &caption) const
{
    return findChild<QPushButton *>(caption);
}

void TZdMxFm::FreshDate()
{
    const QDate today = m_session.clock.now().date();
    m_fromDate->setDate(today);
    m_toDate->setDate(today);
    m_fromTime->setTime(QTime(0, 0, 1));
    m_toTime->setTime(QTime(23, 59, 59));
    m_byTime->setChecked(false);
    for (QWidget *picker : {static_cast<QWidget *>(m_fromDate), static_cast<QWidget *>(m_fromTime),
                            static_cast<QWidget *>(m_toDate), static_cast<QWidget *>(m_toTime)}) {
        picker->setEnabled(false);
    }
    m_value->clear();
    m_field->setCurrentText(u"商品名"_s);

    const std::optional<int> lines = load(LineSearch::day(today));
    const auto takings = fetch(m_session.prompt, [&] {
        return LineSearch::takings(m_session.db(), today);
    });
    if (takings)
        m_takings->setText(*takings ? u"共 "_s + (*takings)->toString() + u" 元"_s : u"0"_s);
    if (lines)
        m_count->setText(u"共"_s + QString::number(*lines) + u" 条记录"_s);
}

LineSearch TZdMxFm::searchValues() const
{
    LineSearch search;
    search.field = m_field->currentText();
    search.value = m_value->text();
    search.byTime = m_byTime->isChecked();
    search.from = QDateTime(m_fromDate->date(), m_fromTime->time());
    search.to = QDateTime(m_toDate->date(), m_toTime->time());
    return search;
}

void TZdMxFm::search()
{
    load(searchValues().filter());
}

void TZdMxFm::print()
{
    printList(LineSearch::report());
}

bool TZdMxFm::eventFilter(QObject *watched, QEvent *event)
{
    // Any key in the value box makes Enter search.
    if (watched == m_value && event->type() == QEvent::KeyPress)
        button(u"检索"_s)->setDefault(true);
    return ListWindow::eventFilter(watched, event);
}
