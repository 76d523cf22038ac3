// What the operator does in the add-consumption window: booking a line,
// the goods searches, the deposit and going on to checkout.
#include "TAddConsumeFm.h"

#include "TFwsXzFm.h"
#include "common/ui/Attempt.h"
#include "session/Session.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>

using namespace Qt::StringLiterals;

namespace {

const QString ChooseGoods = u"请先选择商品"_s;
const QString ConfirmNegative = u"您选择了\"负数\",请确定."_s;
const QString NeedsService = u"是"_s;

} // namespace

void TAddConsumeFm::addLine()
{
    Prompt &prompt = m_session.prompt;
    const int row = m_goods->currentRow();
    // A search that found nothing leaves no goods to book.
    if (row < 0 || row >= m_items.size()) {
        prompt.message(ChooseGoods);
        return;
    }
    if (m_quantity->text().trimmed().isEmpty()) {
        prompt.message(QString::fromUtf16(ConsumptionBooking::QuantityMissing));
        m_quantity->setFocus();
        return;
    }
    const bool negative = m_negative->isChecked();
    if (negative && !prompt.question(ConfirmNegative))
        return;
    const auto typed =
        fetch(prompt, [this] { return ConsumptionBooking::quantity(m_quantity->text(), false); });
    if (!typed)
        return;
    m_quantity->setText(typed->toString());
    const Money quantity = negative ? Money() - *typed : *typed;

    const GoodsCatalogue::Item item = m_items.at(row);
    std::optional<ConsumptionBooking::Employee> employee;
    if (item.needsService == NeedsService && !chooseEmployee(employee))
        return;
    if (!attempt(prompt, [&] { m_booking.book(m_plate, item.id, quantity, employee); }))
        return;

    showLines();
    // The row shows the stock the line has just changed.
    if (const auto goods = fetch(prompt, [this, &item] { return m_booking.goods(item.id); })) {
        if (row < m_items.size() && m_items.at(row).id == item.id) {
            m_items[row] = goods->item;
            showGoodsRow(row);
        }
    }
    m_quantity->setText(u"1"_s);
    m_negative->setChecked(false);
}

bool TAddConsumeFm::chooseEmployee(std::optional<ConsumptionBooking::Employee> &employee)
{
    TFwsXzFm chooser(m_session, this);
    chooser.exec();
    if (chooser.outcome() != TFwsXzFm::Outcome::Chosen)
        return false;
    employee = chooser.employee();
    return true;
}

void TAddConsumeFm::searchByName()
{
    const QString text = m_name->text().trimmed();
    if (text.isEmpty())
        return;
    if (const auto items = fetch(m_session.prompt, [this, &text] { return m_booking.search(text); }))
        showGoods(*items);
    // Ready to type the quantity over, while the cursor stays in the search.
    m_quantity->selectAll();
}

void TAddConsumeFm::searchByCode()
{
    const QString code = m_code->text().trimmed();
    if (code.isEmpty())
        return;
    const auto items = fetch(m_session.prompt, [this, &code] { return m_booking.byCode(code); });
    if (!items) {
        // Nothing found: nothing left in the list that a later "增加" could book by mistake.
        showGoods({});
        return;
    }
    showGoods(*items);
    addLine();
}

void TAddConsumeFm::showType(QListWidgetItem *item)
{
    if (!item)
        return;
    const QString type = item->text();
    if (const auto items = fetch(m_session.prompt, [this, &type] { return m_booking.ofType(type); }))
        showGoods(*items);
}

void TAddConsumeFm::editDeposit()
{
    const QString shown = m_depositValue->text();
    // Cancelling keeps what was shown, and that is stored again.
    const QString typed =
        m_session.prompt.input(u"押金金额"_s, u"请输入押金金额: "_s, shown).value_or(shown);
    if (const auto stored = fetch(m_session.prompt,
                                  [this, &typed] { return m_booking.setDeposit(m_plate, typed); }))
        m_depositValue->setText(*stored);
}

void TAddConsumeFm::requestCheckout()
{
    m_checkoutRequested = true;
    accept();
}
