#include "TItemCountFm.h"

#include "BesideGrid.h"
#include "common/Clock.h"
#include "common/ui/Attempt.h"
#include "common/ui/DatePickers.h"
#include "report/ListReport.h"
#include "session/Session.h"
#include "statistics/ItemStatistics.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QToolBar>

using namespace Qt::StringLiterals;

TItemCountFm::TItemCountFm(Session &session, QWidget *parent)
    : ListWindow(session, ItemStatistics::description(), parent)
    , m_first(DatePickers::date(this))
    , m_last(DatePickers::date(this))
    , m_types(new QListWidget(this))
{
    setWindowTitle(u"营业项目统计"_s);
    toolbar()->hide();

    auto *bar = new QWidget(this);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 4, 0, 0);
    row->addWidget(new QLabel(u"从"_s, bar));
    row->addWidget(m_first);
    row->addWidget(new QLabel(u"到"_s, bar));
    row->addWidget(m_last);
    const std::pair<QString, void (TItemCountFm::*)()> buttons[] = {
        {u"统计"_s, &TItemCountFm::FreshDate},
        {u"关闭"_s, &TItemCountFm::reject},
        {u"打印"_s, &TItemCountFm::print},
        {u"Excel"_s, &TItemCountFm::exportList},
    };
    for (const auto &[caption, slot] : buttons) {
        auto *button = new QPushButton(caption, bar);
        button->setObjectName(caption);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, slot);
        row->addWidget(button);
    }
    row->addStretch(1);
    setSearchBar(bar);

    m_types->setFixedWidth(150);
    placeBesideGrid(*this, m_types);
    connect(m_types, &QListWidget::itemClicked, this, &TItemCountFm::FreshDate);
    resize(760, 560);

    m_first->setDate(QDate(2000, 1, 1));
    m_last->setDate(session.clock.now().date());
    if (const auto types = fetch(m_session.prompt, [this] {
            return ItemStatistics::typeChoices(m_session.db());
        }))
        m_types->addItems(*types);
    m_types->setFocus();
    FreshDate();
}

QString TItemCountFm::chosenType() const
{
    const QList<QListWidgetItem *> selected = m_types->selectedItems();
    if (selected.isEmpty())
        return QString::fromUtf16(ItemStatistics::AllTypes);
    return selected.first()->text().trimmed();
}

void TItemCountFm::FreshDate()
{
    load(ItemStatistics::filter(m_first->date(), m_last->date(), chosenType()));
}

void TItemCountFm::print()
{
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    ListReport report;
    report.addTitle(u"营业项目统计"_s, 14);
    report.addTitle(chosenType() + u"    "_s + m_first->date().toString(u"yyyy-MM-dd"_s)
                    + u" 至 "_s + m_last->date().toString(u"yyyy-MM-dd"_s));
    report.addColumn({u"名称"_s, u"商品名"_s, 2});
    report.addColumn({u"数量"_s, u"总数量"_s, 1, right});
    report.addColumn({u"金额"_s, u"总合计"_s, 1, right});
    report.addClosingLine(u"消费数量:[SUM(总数量)]    消费金额:[SUM(总合计)]"_s);
    printList(report);
}
