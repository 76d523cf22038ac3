#include "THYConsumeCXFm.h"

#include "lists/ui/SearchBarWidget.h"
#include "members/MemberConsumption.h"

#include <QLineEdit>
#include <QToolBar>

using namespace Qt::StringLiterals;

THYConsumeCXFm::THYConsumeCXFm(Session &session, QWidget *parent)
    : ListWindow(session, MemberConsumption::list(), parent)
{
    setWindowTitle(u"会员消费查询"_s);
    setWindowState(windowState() | Qt::WindowMaximized);
    toolbar()->hide();
    onBarButton(u"print"_s, [this] { printList(report()); });
    onBarButton(u"exit"_s, [this] { reject(); });

    load();
    valueBox()->setFocus();
}

QComboBox *THYConsumeCXFm::fieldBox() const
{
    return searchBar()->fieldBox();
}

QLineEdit *THYConsumeCXFm::valueBox() const
{
    return searchBar()->valueBox();
}

QPushButton *THYConsumeCXFm::searchButton() const
{
    return searchBar()->button(QString::fromUtf16(SearchBar::Search));
}

QPushButton *THYConsumeCXFm::printButton() const
{
    return searchBar()->button(u"print"_s);
}

ListReport THYConsumeCXFm::report()
{
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    ListReport report;
    report.addTitle(u"会员消费查询"_s, 14);
    report.addColumn({u"ID编号"_s, u"id"_s, 0.6});
    report.addColumn({u"单据号"_s, u"单据号"_s, 1.6});
    report.addColumn({u"会员卡号"_s, u"会员卡号"_s});
    report.addColumn({u"顾客姓名"_s, u"顾客姓名"_s});
    report.addColumn({u"消费金额"_s, u"应收金额"_s, 1, right});
    report.addColumn({u"实收金额"_s, u"实收金额"_s, 1, right});
    report.addColumn({u"营业员"_s, u"营业员"_s});
    report.addClosingLine(u"消费金额:[SUM(应收金额)]    实收金额:[SUM(实收金额)]"_s);
    return report;
}
