// What the checkout window's fields, lists and buttons do.

#include "ReceiptPrint.h"
#include "TCheckOutFm.h"
#include "TCheckOutInfoFm.h"

#include "common/Refusal.h"
#include "common/ui/Attempt.h"
#include "session/Session.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

using namespace Qt::StringLiterals;

void TCheckOutFm::lookUpCard()
{
    const auto password =
        fetch(m_session.prompt, [this] { return m_checkout.lookUpCard(m_cardEntry->text()); });
    if (!password) {
        m_cardEntry->setFocus();
        m_cardEntry->selectAll();
        return;
    }
    // A member still on the default password needs only a second Enter.
    if (!password->isEmpty())
        m_password->setText(*password);
    m_password->setFocus();
}

void TCheckOutFm::identifyMember()
{
    QString notice;
    const bool identified = attempt(m_session.prompt, [this, &notice] {
        notice = m_checkout.identify(m_cardEntry->text(), m_password->text());
    });
    if (!identified) {
        m_password->clear();
        m_cardEntry->setFocus();
        m_cardEntry->selectAll();
    }
    showLines();
    showAmounts();
    if (!notice.isEmpty())
        m_session.prompt.message(notice);
}

void TCheckOutFm::applyRate()
{
    attempt(m_session.prompt, [this] { m_checkout.applyRate(m_rate->text()); });
    showLines();
    showAmounts();
}

void TCheckOutFm::choosePayment(int index)
{
    const QString method = m_payment->itemText(index);
    attempt(m_session.prompt, [this, &method] { m_checkout.choosePayment(method); });
    showAmounts();
}

void TCheckOutFm::moveIn(QListWidgetItem *item)
{
    if (!item)
        return;
    const QString plate = item->text();
    attempt(m_session.prompt, [this, &plate] { m_checkout.moveIn(plate); });
    showPlates();
    showLines();
    showAmounts();
}

void TCheckOutFm::moveOut(QListWidgetItem *item)
{
    if (!item)
        return;
    const QString plate = item->text();
    attempt(m_session.prompt, [this, &plate] { m_checkout.moveOut(plate); });
    showPlates();
    showLines();
    showAmounts();
}

bool TCheckOutFm::takeReceived()
{
    return attempt(m_session.prompt, [this] { m_checkout.setReceived(m_received->text()); });
}

void TCheckOutFm::printReceipt()
{
    if (!takeReceived())
        return;
    const Checkout::Member &member = m_checkout.member();
    ReceiptText::Bill bill;
    bill.billNumber = m_checkout.billNumber();
    bill.plate = m_checkout.plate();
    bill.plates = m_checkout.group();
    bill.entryTime = m_checkout.entryTime();
    bill.memberName = member.name;
    bill.consumption = m_checkout.consumption();
    bill.due = m_checkout.due();
    bill.cardDeduction = m_checkout.cardDeduction();
    bill.received = m_checkout.received();
    bill.cardBalance = member.balance;
    bill.points = member.points;
    bill.rateText = m_checkout.rateText();
    bill.paymentMethod = m_checkout.paymentMethod();
    ReceiptPrint::print(m_session, bill, m_preview->isChecked(), this);
}

void TCheckOutFm::settlePaid()
{
    const Money deposit = Money::parse(m_checkout.deposit()).value_or(Money());
    if (deposit > Money()
        && !m_session.prompt.question(u"有押金:"_s + m_checkout.deposit()
                                      + u"元,请注意核对!"_s)) {
        return;
    }
    if (!m_checkout.hasMember() && m_checkout.paymentMethod() == QStringView(Checkout::ByCard)) {
        m_session.prompt.message(QString::fromUtf16(Checkout::CardNeedsMember));
        return;
    }
    if (!takeReceived())
        return;
    const bool confirmed = m_confirmation
        ? m_confirmation(m_checkout.due(), m_checkout.received(), m_checkout.cardDeduction())
        : TCheckOutInfoFm(m_checkout.due(), m_checkout.received(), m_checkout.cardDeduction(),
                          this)
              .confirm();
    if (!confirmed)
        return;
    settle(Settlement::Status::Paid);
}

void TCheckOutFm::settleWaived()
{
    if (askUnpaid(Settlement::Status::Waived))
        settle(Settlement::Status::Waived);
}

void TCheckOutFm::settleCancelled()
{
    if (askUnpaid(Settlement::Status::Cancelled))
        settle(Settlement::Status::Cancelled);
}

bool TCheckOutFm::askUnpaid(Settlement::Status status)
{
    // F3 sits next to F2: a whole bill goes unpaid only on a second answer,
    // and an operator without the right is told so before being asked.
    if (!attempt(m_session.prompt, [this, status] { m_settlement.checkRight(status); }))
        return false;
    const QString action = Settlement::statusText(status);
    return m_session.prompt.question(u"确定"_s + action + u"吗？号牌 "_s
                                         + m_checkout.group().join(u"、"_s) + u"，金额 "_s
                                         + m_checkout.due().toString() + u" 元将不收取。"_s,
                                     action);
}

void TCheckOutFm::settle(Settlement::Status status)
{
    const bool settled = attempt(m_session.prompt, [this, status] {
        m_settledNumber = m_settlement.JieZhangHs(m_checkout, status);
    });
    if (!settled || m_settledNumber.isEmpty())
        return;
    if (m_settledNumber != m_checkout.billNumber()) {
        m_session.prompt.message(u"单据号"_s + m_checkout.billNumber()
                                 + u"已被其他收银台使用，本单的单据号改为"_s + m_settledNumber
                                 + u"。"_s);
    }
    if (status == Settlement::Status::Paid)
        m_session.prompt.message(u"谢谢光临！"_s);
    accept();
}
