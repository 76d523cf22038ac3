#include "TFwsTcMxFm.h"

#include "db/ResultTableModel.h"
#include "lists/ui/SearchBarWidget.h"
#include "report/ListReport.h"
#include "staff/StaffLists.h"

#include <QToolBar>

using namespace Qt::StringLiterals;

TFwsTcMxFm::TFwsTcMxFm(Session &session, QWidget *parent)
    : ListWindow(session, StaffLists::commissionLines(), parent)
{
    setWindowTitle(u"服务生提成明细"_s);
    toolbar()->hide();
    onBarButton(u"print"_s, [this] { print(); });
    onBarButton(u"exit"_s, [this] { reject(); });
    resize(960, 600);

    load();
}

QComboBox *TFwsTcMxFm::fieldBox() const
{
    return searchBar()->fieldBox();
}

QLineEdit *TFwsTcMxFm::valueBox() const
{
    return searchBar()->valueBox();
}

void TFwsTcMxFm::print()
{
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    ListReport report;
    report.addTitle(u"服务生提成明细"_s, 14);
    // PostgreSQL names the row key in lower case.
    report.addColumn({u"ID"_s, rows()->columnOf(u"ID"_s), 0.8});
    report.addColumn({u"编号"_s, u"员工编号"_s, 0.8});
    report.addColumn({u"姓名"_s, u"员工姓名"_s, 1});
    report.addColumn({u"时间"_s, u"消费时间"_s, 1.8});
    report.addColumn({u"单据号"_s, u"单据号"_s, 1.6});
    report.addColumn({u"提成金额"_s, u"提成金额"_s, 1, right, true});
    report.addClosingLine(u"打印时间:[DATE]"_s);
    printList(report);
}
