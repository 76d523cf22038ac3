#include "THYConsumeCXFm.h"

#include "members/MemberConsumption.h"
#include "session/Session.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolBar>

using namespace Qt::StringLiterals;

THYConsumeCXFm::THYConsumeCXFm(Session &session, QWidget *parent)
    : ListWindow(session, MemberConsumption::list(), parent)
    , m_field(new QComboBox(this))
    , m_value(new QLineEdit(this))
    , m_search(new QPushButton(u"查询"_s, this))
    , m_print(new QPushButton(u"打印"_s, this))
{
    setWindowTitle(u"会员消费查询"_s);
    setWindowState(windowState() | Qt::WindowMaximized);
    toolbar()->hide();

    m_field->setEditable(true);
    m_field->setInsertPolicy(QComboBox::NoInsert);
    m_field->addItems({u"会员卡号"_s, u"会员姓名"_s, u"营业员"_s, u"状态"_s});
    m_field->setCurrentIndex(0);

    auto *leave = new QPushButton(u"退出"_s, this);
    m_search->setDefault(true);
    m_print->setAutoDefault(false);
    leave->setAutoDefault(false);
    connect(m_search, &QPushButton::clicked, this, &THYConsumeCXFm::search);
    connect(m_print, &QPushButton::clicked, this, [this] { printList(report()); });
    connect(leave, &QPushButton::clicked, this, &QDialog::reject);

    auto *bar = new QWidget(this);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 4, 0, 0);
    row->addWidget(m_field);
    row->addWidget(new QLabel(u"中包含"_s, bar));
    row->addWidget(m_value, 1);
    row->addWidget(m_search);
    row->addWidget(m_print);
    row->addWidget(leave);
    row->addStretch(1);
    setSearchBar(bar);

    load();
    m_value->setFocus();
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

void THYConsumeCXFm::search()
{
    const auto filter = MemberConsumption::search(m_field->currentText(), m_value->text());
    if (filter)
        load(*filter);
}
