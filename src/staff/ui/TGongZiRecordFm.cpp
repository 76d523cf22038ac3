#include "TGongZiRecordFm.h"

#include "common/ui/Attempt.h"
#include "common/ui/ButtonRow.h"
#include "report/ListReport.h"
#include "session/Session.h"
#include "staff/StaffLists.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolBar>

using namespace Qt::StringLiterals;

TGongZiRecordFm::TGongZiRecordFm(Session &session, QWidget *parent)
    : ListWindow(session, StaffLists::salaryRecords(), parent)
    , m_field(new QComboBox(this))
    , m_value(new QLineEdit(this))
{
    setWindowTitle(u"员工工资表"_s);
    toolbar()->hide();

    m_field->setEditable(true);
    m_field->setInsertPolicy(QComboBox::NoInsert);
    m_field->addItems({u"员工编号"_s, u"员工姓名"_s, u"备注"_s});
    m_field->setCurrentIndex(0);

    auto *bar = new QWidget(this);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 4, 0, 0);
    row->addWidget(new QLabel(u"请选择"_s, bar));
    row->addWidget(m_field);
    row->addWidget(m_value, 1);
    addBarButtons<TGongZiRecordFm>(row, this,
                                   {{u"查询"_s, &TGongZiRecordFm::search},
                                    {u"打印"_s, &TGongZiRecordFm::print},
                                    {u"退出"_s, &TGongZiRecordFm::reject}},
                                   u"查询"_s);
    row->addStretch(1);
    setSearchBar(bar);
    resize(960, 600);

    load();
}

void TGongZiRecordFm::search()
{
    const auto filter = fetch(m_session.prompt, [this] {
        return StaffLists::salaryRecordsWhere(m_field->currentText(), m_value->text());
    });
    if (filter)
        load(*filter);
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
