#include "TCheckOutInfoFm.h"

#include "common/Money.h"
#include "common/ui/ButtonRow.h"

#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TCheckOutInfoFm::TCheckOutInfoFm(Money due, Money received, Money cardDeduction, QWidget *parent)
    : QDialog(parent)
    , m_ok(new QPushButton(u"确定"_s, this))
    , m_cancel(new QPushButton(u"取消"_s, this))
{
    setWindowTitle(u"请再次确认!"_s);
    // No close box: the operator answers with one of the two buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    QFont large = font();
    large.setPointSizeF(large.pointSizeF() * 2.2);
    large.setBold(true);
    auto *amounts = new QFormLayout;
    amounts->setHorizontalSpacing(24);
    amounts->setVerticalSpacing(12);
    const auto addAmount = [&](const QString &caption, Money value) {
        auto *label = new QLabel(caption, this);
        auto *shown = new QLabel(value.toString(), this);
        label->setFont(large);
        shown->setFont(large);
        shown->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        shown->setMinimumWidth(shown->fontMetrics().horizontalAdvance(u"0000000.00"_s));
        amounts->addRow(label, shown);
    };
    addAmount(u"应收金额:"_s, due);
    addAmount(u"实收金额:"_s, received);
    addAmount(u"卡内扣除:"_s, cardDeduction);

    m_ok->setDefault(true);
    m_cancel->setAutoDefault(false);
    connect(m_ok, &QPushButton::clicked, this, [this] {
        m_confirmed = true;
        accept();
    });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 16);
    layout->addLayout(amounts);
    layout->addSpacing(16);
    layout->addLayout(buttonRow({m_ok, m_cancel}));
}

bool TCheckOutInfoFm::confirm()
{
    m_confirmed = false;
    m_ok->setFocus();
    exec();
    return m_confirmed;
}
