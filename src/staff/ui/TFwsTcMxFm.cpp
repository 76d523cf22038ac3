#include "TFwsTcMxFm.h"

#include "common/ui/Attempt.h"
#include "common/ui/ButtonRow.h"
#include "db/ResultTableModel.h"
#include "report/ListReport.h"
#include "session/Session.h"
#include "staff/StaffLists.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolBar>

using namespace Qt::StringLiterals;

TFwsTcMxFm::TFwsTcMxFm(Session &session, QWidget *parent)
    : ListWindow(session, StaffLists::commissionLines(), parent)
    , m_field(new QComboBox(this))
    , m_value(new QLineEdit(this))
{
    setWindowTitle(u"服务生提成明细"_s);
    toolbar()->hide();

    // Another column of the lines may be typed; it is checked before use.
    m_field->setEditable(true);
    m_field->setInsertPolicy(QComboBox::NoInsert);
    m_field->addItems({u"员工编号"_s, u"员工姓名"_s, u"号牌"_s, u"单据号"_s});
    m_field->setCurrentIndex(0);

    auto *bar = new QWidget(this);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 4, 0, 0);
    row->addWidget(m_field);
    row->addWidget(new QLabel(u"包含"_s, bar));
    row->addWidget(m_value, 1);
    addBarButtons<TFwsTcMxFm>(row, this,
                              {{u"查询"_s, &TFwsTcMxFm::search},
                               {u"打印"_s, &TFwsTcMxFm::print},
                               {u"退出"_s, &TFwsTcMxFm::reject}},
                              u"查询"_s);
    row->addStretch(1);
    setSearchBar(bar);
    resize(960, 600);

    load();
}

void TFwsTcMxFm::search()
{
    const auto filter = fetch(m_session.prompt, [this] {
        return StaffLists::commissionLinesWhere(m_field->currentText(), m_value->text());
    });
    if (!filter)
        return;
    if (load(*filter) == 0)
        m_session.prompt.message(u"没有找到符合条件的记录"_s);
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
