#include "TMemberAddFm.h"

#include "MemberForm.h"
#include "common/Clock.h"
#include "common/ui/Attempt.h"
#include "common/ui/ButtonRow.h"
#include "members/MemberStore.h"
#include "operators/OperatorStore.h"
#include "session/Session.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TMemberAddFm::TMemberAddFm(Session &session, QWidget *parent)
    : QDialog(parent)
    , m_session(session)
    , m_form(new MemberForm(MemberForm::Kind::NewMember, this))
    , m_save(new QPushButton(u"保存"_s, this))
    , m_clear(new QPushButton(u"清空"_s, this))
{
    setWindowTitle(u"添加会员   (初始密码默认"_s
                   + QString::fromUtf16(OperatorStore::DefaultPassword) + u')');

    const auto types = fetch(m_session.prompt, [this] {
        return MemberStore(m_session.db(), m_session.context.Rights).typeNames();
    });
    m_form->setTypes(types.value_or(QStringList()));
    m_form->birthBox()->setDate(m_session.clock.now().date());

    auto *leave = new QPushButton(u"退出"_s, this);
    connect(m_save, &QPushButton::clicked, this, &TMemberAddFm::save);
    connect(m_clear, &QPushButton::clicked, this, &TMemberAddFm::clearInput);
    connect(leave, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_form);
    layout->addLayout(buttonRow({m_save, m_clear, leave}));
    m_form->cardBox()->setFocus();
}

void TMemberAddFm::save()
{
    const MemberStore::Member member = m_form->edited({});
    const bool saved = attempt(m_session.prompt, [&] {
        MemberStore(m_session.db(), m_session.context.Rights).add(member);
    });
    if (!saved)
        return;
    m_added = member.card;
    m_session.prompt.message(u"保存成功!"_s);
    accept();
}

void TMemberAddFm::clearInput()
{
    m_form->clearInput();
}
