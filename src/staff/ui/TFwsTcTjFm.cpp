#include "TFwsTcTjFm.h"

#include "common/Clock.h"
#include "common/ui/Attempt.h"
#include "common/ui/DatePickers.h"
#include "session/Session.h"
#include "staff/StaffLists.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolBar>

using namespace Qt::StringLiterals;

TFwsTcTjFm::TFwsTcTjFm(Session &session, QWidget *parent)
    : ListWindow(session, StaffLists::commissionTotals(), parent)
    , m_first(DatePickers::date(this))
    , m_last(DatePickers::date(this))
{
    setWindowTitle(u"服务生提成统计"_s);
    toolbar()->hide();

    auto *bar = new QWidget(this);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 4, 0, 0);
    row->addWidget(new QLabel(u"起始日期"_s, bar));
    row->addWidget(m_first);
    row->addWidget(new QLabel(u"终止日期"_s, bar));
    row->addWidget(m_last);
    auto *find = new QPushButton(u"查询"_s, bar);
    auto *exit = new QPushButton(u"退出"_s, bar);
    find->setObjectName(u"查询"_s);
    exit->setObjectName(u"退出"_s);
    exit->setAutoDefault(false);
    connect(find, &QPushButton::clicked, this, &TFwsTcTjFm::search);
    connect(exit, &QPushButton::clicked, this, &TFwsTcTjFm::reject);
    row->addWidget(find);
    row->addWidget(exit);
    row->addStretch(1);
    setSearchBar(bar);
    resize(480, 560);

    const QDate today = session.clock.now().date();
    m_first->setDate(today);
    m_last->setDate(today);
    // Every settled line, paid or not, until the operator picks days.
    load();
}

void TFwsTcTjFm::search()
{
    const auto filter = fetch(m_session.prompt, [this] {
        return StaffLists::commissionTotalsBetween(m_first->date(), m_last->date());
    });
    if (!filter)
        return;
    if (load(*filter) == 0)
        m_session.prompt.message(u"没有找到符合条件的记录"_s);
}
