#include "GoodsForm.h"

#include "GoodsInput.h"
#include "goods/PinYin.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>

using namespace Qt::StringLiterals;

namespace {

const QString No = u"否"_s;

// Tab goes down the rows as the screen lays them out, whatever order the
// boxes were made in.
void tabDownTheRows(const QFormLayout *layout)
{
    QWidget *previous = nullptr;
    for (int row = 0; row < layout->rowCount(); ++row) {
        QWidget *field = layout->itemAt(row, QFormLayout::FieldRole)->widget();
        if (previous)
            QWidget::setTabOrder(previous, field);
        previous = field;
    }
}

} // namespace

GoodsForm::GoodsForm(Kind kind, QWidget *parent)
    : QWidget(parent)
    , m_layout(new QFormLayout(this))
    , m_name(new QLineEdit(this))
    , m_code(new QLineEdit(this))
    , m_commission(new QLineEdit(this))
    , m_type(new QComboBox(this))
    , m_service(new QComboBox(this))
    , m_price(new QLineEdit(this))
    , m_pinyin(new QLineEdit(this))
{
    GoodsInput::digitsOnly(m_code);
    GoodsInput::amountOnly(m_commission);
    GoodsInput::amountOnly(m_price);
    m_service->addItems({u"是"_s, No});
    connect(m_name, &QLineEdit::textChanged, this, &GoodsForm::PinYinShowHs);

    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->addRow(u"商品名:"_s, m_name);
    if (kind == Kind::NewItem) {
        m_purchasePrice = new QLineEdit(this);
        m_quantity = new QLineEdit(this);
        GoodsInput::amountOnly(m_purchasePrice);
        GoodsInput::digitsOnly(m_quantity);
        m_service->setCurrentText(No);
        m_layout->addRow(u"编号:"_s, m_code);
        m_layout->addRow(u"提成金额:"_s, m_commission);
        m_layout->addRow(u"商品类型:"_s, m_type);
        m_layout->addRow(u"是否需要服务:"_s, m_service);
        m_layout->addRow(u"单价:"_s, m_price);
        m_layout->addRow(u"拼音:"_s, m_pinyin);
        m_layout->addRow(u"进价:"_s, m_purchasePrice);
        m_layout->addRow(u"数量:"_s, m_quantity);
    } else {
        // Sales can leave a stock negative or fractional; the edit keeps it so.
        m_stock = new QLineEdit(this);
        GoodsInput::stockOnly(m_stock);
        m_layout->addRow(u"类型:"_s, m_type);
        m_layout->addRow(u"是否需要服务:"_s, m_service);
        m_layout->addRow(u"编号:"_s, m_code);
        m_layout->addRow(u"单价:"_s, m_price);
        m_layout->addRow(u"提成金额:"_s, m_commission);
        m_layout->addRow(u"库存:"_s, m_stock);
        m_layout->addRow(u"拼音:"_s, m_pinyin);
    }
    tabDownTheRows(m_layout);
}

void GoodsForm::setTypes(const QStringList &types)
{
    m_type->clear();
    m_type->addItems(types);
}

void GoodsForm::showItem(const GoodsCatalogue::Item &item)
{
    // A type deleted since keeps its name on the item; show it as it is.
    if (m_type->findText(item.type) < 0)
        m_type->addItem(item.type);
    m_type->setCurrentText(item.type);
    if (m_service->findText(item.needsService) < 0)
        m_service->addItem(item.needsService);
    m_service->setCurrentText(item.needsService);
    m_name->setText(item.name);
    m_code->setText(item.code);
    m_price->setText(item.price.toString());
    m_commission->setText(item.commission.toString());
    if (m_stock)
        m_stock->setText(item.stock.toString());
    // After the name, so a pinyin the operator had written by hand stays.
    m_pinyin->setText(item.pinyin);
}

GoodsCatalogue::NewItem GoodsForm::newItem() const
{
    return {m_code->text(),
            m_name->text(),
            m_pinyin->text(),
            m_type->currentText(),
            m_service->currentText(),
            m_price->text(),
            m_commission->text(),
            m_purchasePrice ? m_purchasePrice->text() : QString(),
            m_quantity ? m_quantity->text() : QString()};
}

GoodsCatalogue::Change GoodsForm::change() const
{
    return {m_code->text(),           m_name->text(),  m_pinyin->text(),
            m_type->currentText(),    m_service->currentText(),
            m_price->text(),          m_commission->text(),
            m_stock ? m_stock->text() : QString()};
}

void GoodsForm::clearInput()
{
    for (QLineEdit *box : {m_name, m_code, m_commission, m_price, m_pinyin, m_purchasePrice,
                           m_quantity, m_stock}) {
        if (box)
            box->clear();
    }
    m_service->setCurrentText(No);
}

void GoodsForm::showStockFields(bool shown)
{
    for (QLineEdit *box : {m_purchasePrice, m_quantity}) {
        if (box)
            m_layout->setRowVisible(box, shown);
    }
}

void GoodsForm::PinYinShowHs()
{
    m_pinyin->setText(PinYinInitials(m_name->text()));
}
