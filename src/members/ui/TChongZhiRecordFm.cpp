#include "TChongZhiRecordFm.h"

#include "common/Clock.h"
#include "common/ui/Attempt.h"
#include "common/ui/DatePickers.h"
#include "members/RechargeRecords.h"
#include "session/Session.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QToolBar>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TChongZhiRecordFm::TChongZhiRecordFm(Session &session, QWidget *parent)
    : ListWindow(session, RechargeRecords::list(), parent)
    , m_field(new QComboBox(this))
    , m_value(new QLineEdit(this))
    , m_byDate(new QCheckBox(u"充值日期从"_s, this))
    , m_first(DatePickers::date(this))
    , m_firstTime(DatePickers::time(this, QTime(0, 0)))
    , m_last(DatePickers::date(this))
    , m_lastTime(DatePickers::time(this, QTime(23, 59, 59)))
    , m_byTime(new QCheckBox(u"按时间"_s, this))
    , m_search(new QPushButton(u"查询"_s, this))
{
    setWindowTitle(u"充值记录查询"_s);
    toolbar()->hide();

    m_field->setEditable(true);
    m_field->setInsertPolicy(QComboBox::NoInsert);
    m_field->addItems({u"会员姓名"_s, u"会员类型"_s, u"备注"_s, u"营业员"_s});
    m_field->setCurrentIndex(-1);
    m_field->setEditText(u"会员卡号"_s);

    auto *leave = new QPushButton(u"返回"_s, this);
    leave->setAutoDefault(false);
    m_search->setDefault(true);
    connect(m_search, &QPushButton::clicked, this, &TChongZhiRecordFm::search);
    connect(leave, &QPushButton::clicked, this, &QDialog::reject);

    auto *bar = new QWidget(this);
    auto *rows = new QVBoxLayout(bar);
    rows->setContentsMargins(0, 4, 0, 0);
    auto *first = new QHBoxLayout;
    first->addWidget(m_field);
    first->addWidget(m_value, 1);
    first->addWidget(m_search);
    first->addWidget(leave);
    auto *second = new QHBoxLayout;
    second->addWidget(m_byDate);
    second->addWidget(m_first);
    second->addWidget(m_firstTime);
    second->addWidget(new QLabel(u"到"_s, bar));
    second->addWidget(m_last);
    second->addWidget(m_lastTime);
    second->addWidget(m_byTime);
    second->addStretch(1);
    rows->addLayout(first);
    rows->addLayout(second);
    setSearchBar(bar);

    const QDate today = session.clock.now().date();
    m_first->setDate(today);
    m_last->setDate(today);
    connect(m_byDate, &QCheckBox::toggled, this, &TChongZhiRecordFm::enableRange);
    connect(m_byTime, &QCheckBox::toggled, this, &TChongZhiRecordFm::enableRange);
    enableRange();

    // Every recharge, until the operator asks for fewer.
    load();
    m_value->setFocus();
}

void TChongZhiRecordFm::enableRange()
{
    const bool byDate = m_byDate->isChecked();
    m_first->setEnabled(byDate);
    m_last->setEnabled(byDate);
    m_byTime->setEnabled(byDate);
    m_firstTime->setEnabled(byDate && m_byTime->isChecked());
    m_lastTime->setEnabled(byDate && m_byTime->isChecked());
}

std::optional<ListFilter::Range> TChongZhiRecordFm::period() const
{
    if (!m_byDate->isChecked())
        return std::nullopt;
    const QString column = u"充值日期"_s;
    if (!m_byTime->isChecked())
        return ListFilter::wholeDays(column, m_first->date(), m_last->date());
    return ListFilter::upTo(column, QDateTime(m_first->date(), m_firstTime->time()),
                            QDateTime(m_last->date(), m_lastTime->time()));
}

void TChongZhiRecordFm::search()
{
    const auto filter = fetch(m_session.prompt, [this] {
        return RechargeRecords::search(m_field->currentText(), m_value->text(), period());
    });
    if (!filter)
        return;
    const std::optional<int> found = load(*filter);
    if (found && *found == 0)
        m_session.prompt.message(u"没有符合条件的记录!"_s);
}
