#include "TItemCountFm.h"

#include "BesideGrid.h"
#include "common/ui/Attempt.h"
#include "lists/ui/SearchBarWidget.h"
#include "report/ListReport.h"
#include "session/Session.h"
#include "statistics/ItemStatistics.h"

#include <QDateEdit>
#include <QListWidget>
#include <QToolBar>

using namespace Qt::StringLiterals;

TItemCountFm::TItemCountFm(Session &session, QWidget *parent)
    : ListWindow(session, ItemStatistics::description(), parent)
    , m_types(new QListWidget(this))
{
    setWindowTitle(u"营业项目统计"_s);
    toolbar()->hide();
    onBarButton(u"close"_s, [this] { reject(); });
    onBarButton(u"print"_s, [this] { print(); });
    onBarButton(u"excel"_s, [this] { exportList(); });

    m_types->setFixedWidth(150);
    placeBesideGrid(*this, m_types);
    connect(m_types, &QListWidget::itemClicked, this, &TItemCountFm::FreshDate);
    resize(760, 560);

    if (const auto types = fetch(m_session.prompt, [this] {
            return ItemStatistics::typeChoices(m_session.db());
        }))
        m_types->addItems(*types);
    m_types->setFocus();
    FreshDate();
}

QDateEdit *TItemCountFm::firstDate() const
{
    return searchBar()->firstDate();
}

QDateEdit *TItemCountFm::lastDate() const
{
    return searchBar()->lastDate();
}

QString TItemCountFm::chosenType() const
{
    const QList<QListWidgetItem *> selected = m_types->selectedItems();
    if (selected.isEmpty())
        return QString::fromUtf16(ItemStatistics::AllTypes);
    return selected.first()->text().trimmed();
}

std::optional<ListFilter> TItemCountFm::searchFilter() const
{
    return ItemStatistics::filter(firstDate()->date(), lastDate()->date(), chosenType());
}

void TItemCountFm::FreshDate()
{
    search();
}

void TItemCountFm::print()
{
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    ListReport report;
    report.addTitle(u"营业项目统计"_s, 14);
    report.addTitle(chosenType() + u"    "_s + firstDate()->date().toString(u"yyyy-MM-dd"_s)
                    + u" 至 "_s + lastDate()->date().toString(u"yyyy-MM-dd"_s));
    report.addColumn({u"名称"_s, u"商品名"_s, 2});
    report.addColumn({u"数量"_s, u"总数量"_s, 1, right});
    report.addColumn({u"金额"_s, u"总合计"_s, 1, right});
    report.addClosingLine(u"消费数量:[SUM(总数量)]    消费金额:[SUM(总合计)]"_s);
    printList(report);
}
