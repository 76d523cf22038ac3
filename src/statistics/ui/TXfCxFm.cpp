#include "TXfCxFm.h"

#include "BesideGrid.h"
#include "common/ui/Attempt.h"
#include "lists/ui/FooterBar.h"
#include "report/ListReport.h"
#include "session/Session.h"
#include "statistics/CurrentConsumption.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QShowEvent>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// The grid column of 合计, whose footer is the total shown.
constexpr int TotalColumn = 3;

} // namespace

TXfCxFm::TXfCxFm(Session &session, QWidget *parent)
    : ListWindow(session, CurrentConsumption::lines(), parent)
    , m_search(new QLineEdit(this))
    , m_plates(new QListWidget(this))
    , m_plate(new QLabel(this))
    , m_total(new QLabel(this))
{
    setWindowTitle(u"消费查询"_s);
    addButton(u"打印"_s, [this] { print(); });
    addButton(u"Excel"_s, [this] { exportList(); });
    addButton(u"关闭"_s, [this] { reject(); });

    auto *plates = new QGroupBox(u"正在消费的手牌号码"_s, this);
    auto *side = new QVBoxLayout(plates);
    side->addWidget(new QLabel(u"查找手牌"_s, plates));
    side->addWidget(m_search);
    side->addWidget(m_plates, 1);
    plates->setFixedWidth(180);
    placeBesideGrid(*this, plates);

    auto *shown = new QGroupBox(this);
    auto *row = new QHBoxLayout(shown);
    QFont large = m_total->font();
    large.setPointSizeF(large.pointSizeF() * 1.4);
    large.setBold(true);
    m_plate->setFont(large);
    m_total->setFont(large);
    row->addWidget(new QLabel(u"手牌号码:"_s, shown));
    row->addWidget(m_plate);
    row->addSpacing(40);
    row->addWidget(new QLabel(u"消费金额:"_s, shown));
    row->addWidget(m_total);
    row->addStretch(1);
    setSearchBar(shown);

    connect(m_search, &QLineEdit::returnPressed, this, &TXfCxFm::findPlate);
    connect(m_plates, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { showGroupOf(item->text()); });
}

void TXfCxFm::showEvent(QShowEvent *event)
{
    ListWindow::showEvent(event);
    // Read once the window is up, so that "no plate" is said over it; a
    // window restored from the taskbar is no new showing.
    if (!event->spontaneous())
        readPlates();
}

QString TXfCxFm::shownPlate() const
{
    return m_plate->text();
}

QString TXfCxFm::shownTotal() const
{
    return m_total->text();
}

void TXfCxFm::readPlates()
{
    m_plates->clear();
    m_search->clear();
    const auto plates = fetch(m_session.prompt, [this] {
        return CurrentConsumption::occupiedPlates(m_session.db());
    });
    if (!plates)
        return;
    if (plates->isEmpty()) {
        m_session.prompt.message(u"没有正在消费的号牌!"_s);
        return;
    }
    m_plates->addItems(*plates);
    // The first plate with the lines booked on it alone.
    m_plate->setText(plates->first());
    load(CurrentConsumption::ofPlate(plates->first()));
    showTotal();
}

void TXfCxFm::showTotal()
{
    // The footer's sum comes from the database over every line listed; an
    // empty list sums to 0.
    const QString total = footer()->text(TotalColumn);
    m_total->setText(total.isEmpty() ? u"0"_s : total);
}

void TXfCxFm::showGroupOf(const QString &plate)
{
    m_plate->setText(plate);
    m_total->setText(u"0"_s);
    if (load(CurrentConsumption::ofGroup(plate)))
        showTotal();
}

void TXfCxFm::findPlate()
{
    const QString plate = m_search->text().trimmed();
    m_plate->setText(plate);
    m_total->setText(u"0"_s);
    // A main plate without lines leaves the list as it was.
    const ListFilter group = CurrentConsumption::ofGroup(plate);
    const auto found = fetch(m_session.prompt, [&] { return query().footers(group).rows; });
    if (!found || *found == 0)
        return;
    if (load(group))
        showTotal();
}

void TXfCxFm::print()
{
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    ListReport report;
    report.addTitle(u"消费查询"_s, 14);
    report.addTitle(u"手牌号码:"_s + m_plate->text() + u"    消费金额:"_s + m_total->text());
    report.addColumn({u"号牌"_s, u"号牌"_s, 0.8});
    report.addColumn({u"商品名"_s, u"商品名"_s, 1.6});
    report.addColumn({u"单价"_s, u"单价"_s, 0.8, right});
    report.addColumn({u"数量"_s, u"数量"_s, 0.6, right});
    report.addColumn({u"打折率"_s, u"折扣"_s, 0.7, right});
    report.addColumn({u"合计"_s, u"合计"_s, 0.9, right});
    report.addColumn({u"服务生"_s, u"员工姓名"_s, 0.9});
    report.addColumn({u"营业员"_s, u"营业员"_s, 0.9});
    report.addColumn({u"状态"_s, u"状态"_s, 0.7});
    report.addClosingLine(u"数量:[SUM(数量)]    合计:[SUM(合计)]"_s);
    printList(report);
}
