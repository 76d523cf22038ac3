#include "THYChangePassFm.h"

#include "common/ui/Attempt.h"
#include "common/ui/ButtonRow.h"
#include "common/ui/MaskedInput.h"
#include "members/MemberPasswords.h"
#include "session/Session.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

THYChangePassFm::THYChangePassFm(Session &session, QWidget *parent)
    : QDialog(parent)
    , m_session(session)
    , m_card(new QLineEdit(this))
    , m_old(new QLineEdit(this))
    , m_new(new QLineEdit(this))
    , m_confirm(new QLineEdit(this))
    , m_save(new QPushButton(u"保存"_s, this))
    , m_close(new QPushButton(u"关闭"_s, this))
    , m_reset(new QPushButton(u"密码重置"_s, this))
{
    setWindowTitle(u"会员更改密码"_s);
    for (QLineEdit *box : {m_old, m_new, m_confirm})
        MaskedInput::setUp(box);

    auto *form = new QFormLayout;
    form->addRow(u"会员卡号:"_s, m_card);
    form->addRow(u"旧密码:"_s, m_old);
    form->addRow(u"新密码:"_s, m_new);
    form->addRow(u"确认新密码:"_s, m_confirm);

    m_save->setDefault(true);
    m_close->setAutoDefault(false);
    m_reset->setAutoDefault(false);
    connect(m_save, &QPushButton::clicked, this, &THYChangePassFm::savePassword);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_reset, &QPushButton::clicked, this, &THYChangePassFm::resetPassword);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttonRow({m_save, m_close, m_reset}));
    m_card->setFocus();
}

void THYChangePassFm::savePassword()
{
    const bool changed = attempt(m_session.prompt, [this] {
        MemberPasswords(m_session.db(), m_session.context.signedIn(), m_session.clock)
            .change(m_card->text(), m_old->text(), m_new->text(), m_confirm->text());
    });
    if (!changed)
        return;
    m_session.prompt.message(u"修改成功！"_s);
    accept();
}

void THYChangePassFm::resetPassword()
{
    const QString card = m_card->text();
    attempt(m_session.prompt, [&] {
        MemberPasswords passwords(m_session.db(), m_session.context.signedIn(), m_session.clock);
        passwords.checkResettable();
        if (!m_session.prompt.question(u"您是否要给会员卡号为\" "_s + card
                                       + u"\" 的会员重置初始密码?"_s))
            return;
        // Done without a word; the window stays open for the next card.
        passwords.reset(card);
    });
}
