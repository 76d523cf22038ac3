#include "TGongZiRecordFm.h"

#include "lists/ui/SearchBarWidget.h"
#include "report/ListReport.h"
#include "staff/StaffLists.h"

#include <QToolBar>

using namespace Qt::StringLiterals;

TGongZiRecordFm::TGongZiRecordFm(Session &session, QWidget *parent)
    : ListWindow(session, StaffLists::salaryRecords(), parent)
{
    setWindowTitle(u"员工工资表"_s);
    toolbar()->hide();
    onBarButton(u"print"_s, [this] { print(); });
    onBarButton(u"exit"_s, [this] { reject(); });
    resize(960, 600);

    load();
}

QComboBox *TGongZiRecordFm::fieldBox() const
{
    return searchBar()->fieldBox();
}

QLineEdit *TGongZiRecordFm::valueBox() const
{
    return searchBar()->valueBox();
}

void TGongZiRecordFm::print()
{
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    ListReport report;
    report.addTitle(u"员工工资表"_s, 14);
    report.addColumn({u"员工编号"_s, u"员工编号"_s, 0.9});
    report.addColumn({u"员工姓名"_s, u"员工姓名"_s, 1});
    report.addColumn({u"日期"_s, u"日期"_s, 1.8});
    report.addColumn({u"工资"_s, u"工资"_s, 1, right, true});
    report.addColumn({u"提成"_s, u"提成"_s, 1, right, true});
    report.addColumn({u"合计"_s, u"合计"_s, 1, right, true});
    report.addColumn({u"登记人"_s, u"登记人"_s, 1});
    report.addClosingLine(u"[DATE] [TIME]"_s);
    printList(report);
}
