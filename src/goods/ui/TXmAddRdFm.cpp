#include "TXmAddRdFm.h"

#include "GoodsInput.h"
#include "common/Prompt.h"
#include "common/ui/Attempt.h"
#include "common/ui/ButtonRow.h"
#include "goods/GoodsCatalogue.h"
#include "goods/StockPurchases.h"
#include "session/Session.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TXmAddRdFm::TXmAddRdFm(Session &session, int itemId, QWidget *parent)
    : QDialog(parent)
    , m_session(session)
    , m_itemId(itemId)
    , m_name(new QLineEdit(this))
    , m_pinyin(new QLineEdit(this))
    , m_price(new QLineEdit(this))
    , m_quantity(new QLineEdit(this))
    , m_total(new QLineEdit(this))
    , m_stock(new QLineEdit(this))
    , m_note(new QPlainTextEdit(this))
    , m_ok(new QPushButton(u"确定"_s, this))
{
    setWindowTitle(u"进货---"_s);
    for (QLineEdit *shown : {m_name, m_pinyin, m_total, m_stock})
        shown->setReadOnly(true);
    GoodsInput::amountOnly(m_price);
    GoodsInput::digitsOnly(m_quantity);
    m_note->setTabChangesFocus(true);

    const auto item = fetch(session.prompt, [&session, itemId] {
        return GoodsCatalogue(session.db(), session.context.signedIn(), session.clock).item(itemId);
    });
    if (item) {
        m_name->setText(item->name);
        m_pinyin->setText(item->pinyin);
        m_stock->setText(item->stock.toString());
    }
    m_ok->setEnabled(item.has_value());

    auto *form = new QFormLayout;
    form->addRow(u"商品名"_s, m_name);
    form->addRow(u"拼音"_s, m_pinyin);
    form->addRow(u"进货单价"_s, m_price);
    form->addRow(u"数量"_s, m_quantity);
    form->addRow(u"总进价"_s, m_total);
    form->addRow(u"当前库存"_s, m_stock);
    form->addRow(u"备注"_s, m_note);

    auto *close = new QPushButton(u"关闭"_s, this);
    m_ok->setDefault(true);
    close->setAutoDefault(false);
    connect(m_ok, &QPushButton::clicked, this, &TXmAddRdFm::record);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_price, &QLineEdit::textChanged, this, &TXmAddRdFm::showTotal);
    connect(m_quantity, &QLineEdit::textChanged, this, &TXmAddRdFm::showTotal);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttonRow({m_ok, close}));
}

void TXmAddRdFm::showTotal()
{
    // While either box is empty or half typed, the last total stays.
    if (const auto total = StockPurchases::total(m_price->text(), m_quantity->text()))
        m_total->setText(total->toString());
}

void TXmAddRdFm::record()
{
    const StockPurchases::Entry entry{m_itemId, m_price->text(), m_quantity->text(),
                                      m_note->toPlainText()};
    bool recorded = false;
    const bool ran = attempt(m_session.prompt, [this, &entry, &recorded] {
        recorded = StockPurchases(m_session.db(), m_session.context.signedIn(), m_session.clock).record(entry);
    });
    if (!ran || !recorded)
        return;
    m_session.prompt.message(u"完成!"_s);
    accept();
}
