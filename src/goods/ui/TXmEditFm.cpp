#include "TXmEditFm.h"

#include "GoodsInput.h"
#include "common/Prompt.h"
#include "common/ui/Attempt.h"
#include "common/ui/ButtonRow.h"
#include "goods/PinYin.h"
#include "session/RightTable.h"
#include "session/Session.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

using namespace Qt::StringLiterals;

TXmEditFm::TXmEditFm(Session &session, int itemId, QWidget *parent)
    : QDialog(parent)
    , m_session(session)
    , m_mayEdit(RightTable::allows(session.context.Rights, Guarded::EditGoods))
    , m_fields(new QWidget(this))
    , m_name(new QLineEdit(m_fields))
    , m_type(new QComboBox(m_fields))
    , m_service(new QComboBox(m_fields))
    , m_code(new QLineEdit(m_fields))
    , m_price(new QLineEdit(m_fields))
    , m_commission(new QLineEdit(m_fields))
    , m_stock(new QLineEdit(m_fields))
    , m_pinyin(new QLineEdit(m_fields))
    , m_save(new QPushButton(u"保存"_s, this))
    , m_cancel(new QPushButton(u"取消修改"_s, this))
    , m_close(new QPushButton(u"关闭"_s, this))
{
    setWindowTitle(u"修改"_s);
    GoodsInput::digitsOnly(m_code);
    GoodsInput::amountOnly(m_price);
    GoodsInput::amountOnly(m_commission);
    GoodsInput::stockOnly(m_stock);
    m_service->addItems({u"是"_s, u"否"_s});

    const auto read = fetch(session.prompt, [&session, itemId] {
        GoodsCatalogue catalogue(session.db(), session.context.signedIn(), session.clock);
        return std::make_pair(catalogue.item(itemId), catalogue.typeNames());
    });
    if (read) {
        m_shown = read->first;
        m_type->addItems(read->second);
        // A type deleted since keeps its name on the item; show it as it is.
        if (m_type->findText(m_shown.type) < 0)
            m_type->addItem(m_shown.type);
        m_type->setCurrentText(m_shown.type);
        if (m_service->findText(m_shown.needsService) < 0)
            m_service->addItem(m_shown.needsService);
        m_service->setCurrentText(m_shown.needsService);
        m_name->setText(m_shown.name);
        m_code->setText(m_shown.code);
        m_price->setText(m_shown.price.toString());
        m_commission->setText(m_shown.commission.toString());
        m_stock->setText(m_shown.stock.toString());
        m_pinyin->setText(m_shown.pinyin);
    }
    // Connected after filling, so opening the screen keeps a pinyin the
    // operator had written by hand.
    connect(m_name, &QLineEdit::textChanged, this, &TXmEditFm::DBEdit1Change);

    auto *form = new QFormLayout(m_fields);
    form->setContentsMargins(0, 0, 0, 0);
    form->addRow(u"商品名:"_s, m_name);
    form->addRow(u"类型:"_s, m_type);
    form->addRow(u"是否需要服务:"_s, m_service);
    form->addRow(u"编号:"_s, m_code);
    form->addRow(u"单价:"_s, m_price);
    form->addRow(u"提成金额:"_s, m_commission);
    form->addRow(u"库存:"_s, m_stock);
    form->addRow(u"拼音:"_s, m_pinyin);

    const bool editable = m_mayEdit && read.has_value();
    m_fields->setEnabled(editable);
    m_save->setEnabled(editable);
    m_cancel->setEnabled(editable);
    m_save->setDefault(true);
    m_cancel->setAutoDefault(false);
    m_close->setAutoDefault(false);
    connect(m_save, &QPushButton::clicked, this, &TXmEditFm::save);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_fields);
    layout->addLayout(buttonRow({m_save, m_cancel, m_close}));
}

void TXmEditFm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_mayEdit && !m_refusalShown) {
        m_refusalShown = true;
        m_session.prompt.message(RightTable::guard(Guarded::EditGoods).refusal);
    }
}

void TXmEditFm::DBEdit1Change()
{
    m_pinyin->setText(PinYinInitials(m_name->text()));
}

void TXmEditFm::save()
{
    const GoodsCatalogue::Change change{m_code->text(),           m_name->text(),
                                        m_pinyin->text(),         m_type->currentText(),
                                        m_service->currentText(), m_price->text(),
                                        m_commission->text(),     m_stock->text()};
    const bool saved = attempt(m_session.prompt, [this, &change] {
        GoodsCatalogue(m_session.db(), m_session.context.signedIn(), m_session.clock).update(m_shown, change);
    });
    if (saved)
        accept();
}
