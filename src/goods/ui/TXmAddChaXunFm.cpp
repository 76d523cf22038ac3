#include "TXmAddChaXunFm.h"

#include "common/Clock.h"
#include "common/ui/DatePickers.h"
#include "report/ListReport.h"
#include "session/Session.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolBar>

using namespace Qt::StringLiterals;

namespace {

ListDescription purchases()
{
    using Footer = ListColumn::Footer;
    return {u"进货表"_s,
            u"select * from 进货表"_s,
            u"order by 日期, id"_s,
            {{u"id"_s, u"id"_s, Footer::Count},
             {u"商品名"_s, u"商品名"_s},
             {u"拼音"_s, u"拼音"_s},
             {u"进货单价"_s, u"进货单价"_s},
             {u"数量"_s, u"数量"_s, Footer::Sum},
             {u"总进价"_s, u"总进价"_s, Footer::Sum},
             {u"日期"_s, u"日期"_s},
             {u"管理员"_s, u"管理员"_s},
             {u"备注"_s, u"备注"_s}}};
}

} // namespace

TXmAddChaXunFm::TXmAddChaXunFm(Session &session, QWidget *parent)
    : ListWindow(session, purchases(), parent)
    , m_name(new QLineEdit(this))
    , m_byDate(new QCheckBox(u"日期从"_s, this))
    , m_first(DatePickers::date(this))
    , m_last(DatePickers::date(this))
{
    setWindowTitle(u"进货表统计"_s);
    toolbar()->hide();

    auto *bar = new QWidget(this);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 4, 0, 0);
    row->addWidget(new QLabel(u"名称"_s, bar));
    row->addWidget(m_name);
    row->addWidget(m_byDate);
    row->addWidget(m_first);
    row->addWidget(new QLabel(u"到"_s, bar));
    row->addWidget(m_last);
    const std::pair<QString, void (TXmAddChaXunFm::*)()> buttons[] = {
        {u"查询"_s, &TXmAddChaXunFm::search},
        {u"关闭"_s, &TXmAddChaXunFm::reject},
        {u"打印"_s, &TXmAddChaXunFm::print},
        {u"Excel"_s, &TXmAddChaXunFm::exportList},
    };
    for (const auto &[caption, slot] : buttons) {
        auto *button = new QPushButton(caption, bar);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, slot);
        row->addWidget(button);
    }
    row->addStretch(1);
    setSearchBar(bar);

    // The pickers count exactly while the date filter is on.
    connect(m_byDate, &QCheckBox::toggled, m_first, &QWidget::setEnabled);
    connect(m_byDate, &QCheckBox::toggled, m_last, &QWidget::setEnabled);

    const QDate today = session.clock.now().date();
    m_first->setDate(today);
    m_last->setDate(today.addDays(1));
    m_byDate->setChecked(true);
    search();
}

void TXmAddChaXunFm::search()
{
    const QString name = m_name->text().trimmed();
    if (!m_byDate->isChecked() && name.isEmpty())
        return;
    ListFilter filter;
    if (m_byDate->isChecked())
        filter.ranges.append(ListFilter::wholeDays(u"日期"_s, m_first->date(), m_last->date()));
    if (!name.isEmpty())
        filter.conditions.append({u"商品名"_s, ListFilter::Match::Equals, name});
    load(filter);
}

void TXmAddChaXunFm::print()
{
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    ListReport report;
    report.addTitle(u"进货表统计"_s, 14);
    report.addColumn({u"id"_s, u"id"_s, 0.6});
    report.addColumn({u"项目名"_s, u"商品名"_s, 2});
    report.addColumn({u"进货单价"_s, u"进货单价"_s, 1, right});
    report.addColumn({u"数量"_s, u"数量"_s, 0.8, right});
    report.addColumn({u"总进价"_s, u"总进价"_s, 1, right});
    report.addColumn({u"日期"_s, u"日期"_s, 1.6});
    report.addColumn({u"管理员"_s, u"管理员"_s, 1});
    report.addClosingLine(u"数量汇总 : [SUM(数量)]   总进价汇总 : [SUM(总进价)]"_s);
    report.addClosingLine(u"打印日期:[DATE]"_s);
    printList(report);
}
