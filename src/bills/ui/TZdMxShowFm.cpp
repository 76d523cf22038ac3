#include "TZdMxShowFm.h"

#include "bills/LineSearch.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TZdMxShowFm::TZdMxShowFm(Session &session, const Bill &bill, QWidget *parent)
    : ListWindow(session, LineSearch::billList(), parent)
    , m_ok(new QPushButton(u"确定"_s, this))
    , m_excel(new QPushButton(u"Excel"_s, this))
{
    setWindowTitle(u"账单明细显示"_s);
    setWindowState(windowState() | Qt::WindowMaximized);
    toolbar()->hide();

    auto *bar = new QWidget(this);
    auto *layout = new QHBoxLayout(bar);
    layout->setContentsMargins(8, 8, 8, 8);
    auto *amounts = new QGridLayout;
    amounts->setHorizontalSpacing(48);
    const QString texts[] = {
        u"单据号: "_s + bill.number,
        u"号  牌: "_s + bill.plate,
        u"应收金额: "_s + bill.due + u" (元)"_s,
        u"实收金额: "_s + bill.received + u" (元)"_s,
    };
    QFont large = font();
    large.setPointSizeF(large.pointSizeF() * 1.8);
    large.setBold(true);
    for (int i = 0; i < 4; ++i) {
        auto *label = new QLabel(texts[i], bar);
        label->setFont(large);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        amounts->addWidget(label, i % 2, i / 2);
        m_labels.append(label);
    }
    layout->addLayout(amounts);
    layout->addStretch(1);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(m_ok);
    buttons->addWidget(m_excel);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    setSearchBar(bar);

    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &TZdMxShowFm::accept);
    connect(m_excel, &QPushButton::clicked, this, &TZdMxShowFm::exportList);

    load(LineSearch::ofBill(bill.number));
}
