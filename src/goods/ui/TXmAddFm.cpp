#include "TXmAddFm.h"

#include "GoodsInput.h"
#include "common/Prompt.h"
#include "common/ui/Attempt.h"
#include "common/ui/ButtonRow.h"
#include "goods/GoodsCatalogue.h"
#include "goods/PinYin.h"
#include "session/Session.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TXmAddFm::TXmAddFm(Session &session, QWidget *parent)
    : QDialog(parent)
    , m_session(session)
    , m_name(new QLineEdit(this))
    , m_code(new QLineEdit(this))
    , m_commission(new QLineEdit(this))
    , m_type(new QComboBox(this))
    , m_service(new QComboBox(this))
    , m_price(new QLineEdit(this))
    , m_pinyin(new QLineEdit(this))
    , m_purchasePriceLabel(new QLabel(u"进价:"_s, this))
    , m_purchasePrice(new QLineEdit(this))
    , m_quantityLabel(new QLabel(u"数量:"_s, this))
    , m_quantity(new QLineEdit(this))
    , m_save(new QPushButton(u"保存"_s, this))
{
    setWindowTitle(u"增加消费项目"_s);
    GoodsInput::digitsOnly(m_code);
    GoodsInput::amountOnly(m_commission);
    GoodsInput::amountOnly(m_price);
    GoodsInput::amountOnly(m_purchasePrice);
    GoodsInput::digitsOnly(m_quantity);
    m_service->addItems({u"是"_s, u"否"_s});
    m_service->setCurrentText(u"否"_s);
    if (const auto types = fetch(session.prompt, [&session] {
            return GoodsCatalogue(session.db(), session.context.signedIn(), session.clock).typeNames();
        }))
        m_type->addItems(*types);

    auto *form = new QFormLayout;
    form->addRow(u"商品名:"_s, m_name);
    form->addRow(u"编号:"_s, m_code);
    form->addRow(u"提成金额:"_s, m_commission);
    form->addRow(u"商品类型:"_s, m_type);
    form->addRow(u"是否需要服务:"_s, m_service);
    form->addRow(u"单价:"_s, m_price);
    form->addRow(u"拼音:"_s, m_pinyin);
    form->addRow(m_purchasePriceLabel, m_purchasePrice);
    form->addRow(m_quantityLabel, m_quantity);

    auto *cancel = new QPushButton(u"取消"_s, this);
    m_save->setDefault(true);
    cancel->setAutoDefault(false);
    connect(m_save, &QPushButton::clicked, this, &TXmAddFm::save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_name, &QLineEdit::textChanged, this, &TXmAddFm::PinYinShowHs);
    connect(m_type, &QComboBox::currentTextChanged, this, &TXmAddFm::ShowNumItem);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttonRow({m_save, cancel}));
    ShowNumItem();
}

bool TXmAddFm::stockFieldsShown() const
{
    return m_stockShown;
}

void TXmAddFm::ShowNumItem()
{
    const QString type = m_type->currentText();
    const auto keeps = type.isEmpty() ? std::optional<bool>(false)
                                      : fetch(m_session.prompt, [this, &type] {
                                            return GoodsCatalogue(m_session.db(), m_session.context.signedIn(),
                                                                  m_session.clock)
                                                .keepsStock(type);
                                        });
    m_stockShown = keeps.value_or(false);
    for (QWidget *widget : {static_cast<QWidget *>(m_purchasePriceLabel),
                            static_cast<QWidget *>(m_purchasePrice),
                            static_cast<QWidget *>(m_quantityLabel),
                            static_cast<QWidget *>(m_quantity)})
        widget->setVisible(m_stockShown);
}

void TXmAddFm::PinYinShowHs()
{
    m_pinyin->setText(PinYinInitials(m_name->text()));
}

void TXmAddFm::iniData()
{
    for (QLineEdit *box : {m_name, m_code, m_commission, m_price, m_pinyin, m_purchasePrice, m_quantity})
        box->clear();
    m_service->setCurrentText(u"否"_s);
}

void TXmAddFm::save()
{
    const GoodsCatalogue::NewItem item{m_code->text(),          m_name->text(),
                                       m_pinyin->text(),        m_type->currentText(),
                                       m_service->currentText(), m_price->text(),
                                       m_commission->text(),    m_purchasePrice->text(),
                                       m_quantity->text()};
    const bool added = attempt(m_session.prompt, [this, &item] {
        GoodsCatalogue(m_session.db(), m_session.context.signedIn(), m_session.clock).add(item);
    });
    if (!added)
        return;
    emit saved();
    iniData();
    m_session.prompt.message(u"保存完成!"_s);
    m_name->setFocus();
}
