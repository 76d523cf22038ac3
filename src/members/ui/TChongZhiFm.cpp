#include "TChongZhiFm.h"

#include "common/Refusal.h"
#include "common/ui/Attempt.h"
#include "common/ui/ButtonRow.h"
#include "session/Session.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QLineEdit *shownOnly(QWidget *parent)
{
    auto *box = new QLineEdit(parent);
    box->setReadOnly(true);
    return box;
}

// The amount box takes digits, the point and the editing keys; any other
// character typed is dropped. Keys that type nothing (arrows, Delete) move
// and edit as usual.
bool dropsKey(const QKeyEvent &key)
{
    switch (key.key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return false;
    default:
        break;
    }
    const QString text = key.text();
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c != u'.' && !(c >= u'0' && c <= u'9'))
            return true;
    }
    return false;
}

} // namespace

TChongZhiFm::TChongZhiFm(Session &session, const QString &card, QWidget *parent)
    : QDialog(parent)
    , m_session(session)
    , m_card(shownOnly(this))
    , m_balance(shownOnly(this))
    , m_name(shownOnly(this))
    , m_type(shownOnly(this))
    , m_amount(new QLineEdit(this))
    , m_note(new QLineEdit(this))
    , m_negative(new QCheckBox(u"充负数"_s, this))
    , m_operator(new QLabel(u"营业员: "_s + session.context.OperatorName, this))
    , m_recharge(new QPushButton(u"充值"_s, this))
    , m_return(new QPushButton(u"返回"_s, this))
{
    setWindowTitle(u"会员充值"_s);

    QFont large = m_operator->font();
    large.setPointSizeF(large.pointSizeF() * 1.6);
    large.setBold(true);
    m_operator->setFont(large);

    auto *form = new QFormLayout;
    form->addRow(u"会员卡号"_s, m_card);
    form->addRow(u"卡内金额"_s, m_balance);
    form->addRow(u"会员姓名"_s, m_name);
    form->addRow(u"会员类型"_s, m_type);
    form->addRow(u"充值金额"_s, m_amount);
    form->addRow(QString(), m_negative);
    form->addRow(u"备注:"_s, m_note);

    m_amount->installEventFilter(this);
    m_recharge->setAutoDefault(false);
    m_return->setAutoDefault(false);
    connect(m_recharge, &QPushButton::clicked, this, &TChongZhiFm::recharge);
    connect(m_return, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_operator);
    layout->addLayout(form);
    layout->addLayout(buttonRow({m_recharge, m_return}));
    // Wide enough for an amount of fourteen digits and a note.
    setMinimumWidth(380);

    if (!card.isEmpty()) {
        // The list's row may be old: the window shows the member as stored now.
        const auto read = fetch(m_session.prompt, [&] {
            const auto member =
                Recharge(m_session.db(), m_session.context.signedIn(), m_session.clock).find(card);
            if (!member)
                throw Refusal(u"没有找到该会员，可能已被删除！"_s);
            return *member;
        });
        if (!read)
            return;
        m_member = *read;
        m_card->setText(m_member.card);
        m_balance->setText(m_member.balance.toString());
        m_name->setText(m_member.name);
        m_type->setText(m_member.type);
    }
    m_loaded = true;
    m_amount->setFocus();
}

bool TChongZhiFm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_amount) {
        // Enter in the amount box recharges.
        if (event->type() == QEvent::FocusIn)
            m_recharge->setDefault(true);
        if (event->type() == QEvent::KeyPress && dropsKey(*static_cast<QKeyEvent *>(event)))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool TChongZhiFm::confirm(const Recharge::Preview &preview)
{
    const QString card = m_member.card + u"（"_s + m_member.name + u"）"_s;
    QString text = preview.amount < Money()
        ? u"确定从会员卡 "_s + card + u"扣除 "_s + (Money() - preview.amount).toString() + u" 元吗？"_s
        : u"确定向会员卡 "_s + card + u"充值 "_s + preview.amount.toString() + u" 元吗？"_s;
    text += u"\n卡内余额 "_s + m_member.balance.toString() + u" 元，之后为 "_s
        + preview.after.toString() + u" 元。"_s;
    if (preview.belowZero)
        text += u"\n注意：卡内余额将低于零。"_s;
    return m_session.prompt.question(text, u"会员充值"_s);
}

void TChongZhiFm::recharge()
{
    const auto preview = fetch(m_session.prompt, [&] {
        return Recharge::preview(m_member, m_amount->text(), m_negative->isChecked());
    });
    if (!preview || !confirm(*preview))
        return;
    // Below zero only where the operator has just agreed to it.
    const Recharge::BelowZero agreed =
        preview->belowZero ? Recharge::BelowZero::Allow : Recharge::BelowZero::Refuse;
    std::optional<Money> balance;
    const bool done = attempt(m_session.prompt, [&] {
        Recharge logic(m_session.db(), m_session.context.signedIn(), m_session.clock);
        const auto add = [&](Recharge::BelowZero belowZero) {
            balance = logic.add(m_member, m_amount->text(), m_negative->isChecked(), m_note->text(),
                                belowZero);
        };
        try {
            add(agreed);
        } catch (const Recharge::WouldGoBelowZero &refusal) {
            // The card holds less than the window showed: a settlement or
            // a recharge elsewhere meanwhile.
            if (m_session.prompt.question(refusal.text() + u"确定仍要扣除吗？"_s, u"会员充值"_s))
                add(Recharge::BelowZero::Allow);
        }
    });
    if (!done || !balance)
        return;
    m_balance->setText(balance->toString());
    m_session.prompt.message(u"充值成功！"_s);
    accept();
}
