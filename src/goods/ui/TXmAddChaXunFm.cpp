#include "TXmAddChaXunFm.h"

#include "goods/GoodsLists.h"
#include "lists/ui/SearchBarWidget.h"
#include "report/ListReport.h"

#include <QToolBar>

using namespace Qt::StringLiterals;

TXmAddChaXunFm::TXmAddChaXunFm(Session &session, QWidget *parent)
    : ListWindow(session, GoodsLists::purchases(), parent)
{
    setWindowTitle(u"进货表统计"_s);
    toolbar()->hide();
    onBarButton(u"close"_s, [this] { reject(); });
    onBarButton(u"print"_s, [this] { print(); });
    onBarButton(u"excel"_s, [this] { exportList(); });
    search();
}

QLineEdit *TXmAddChaXunFm::nameBox() const
{
    return searchBar()->valueBox();
}

QCheckBox *TXmAddChaXunFm::dateBox() const
{
    return searchBar()->rangeTick();
}

QDateEdit *TXmAddChaXunFm::firstDate() const
{
    return searchBar()->firstDate();
}

QDateEdit *TXmAddChaXunFm::lastDate() const
{
    return searchBar()->lastDate();
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
