#include "TMemberEditFm.h"

#include "MemberForm.h"
#include "common/ui/Attempt.h"
#include "common/ui/ButtonRow.h"
#include "session/Session.h"

#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TMemberEditFm::TMemberEditFm(Session &session, const QString &card, QWidget *parent)
    : QDialog(parent)
    , m_session(session)
    , m_form(new MemberForm(MemberForm::Kind::StoredMember, this))
    , m_save(new QPushButton(u"保存"_s, this))
    , m_cancel(new QPushButton(u"取消"_s, this))
{
    setWindowTitle(u"会员资料修改"_s);
    connect(m_save, &QPushButton::clicked, this, &TMemberEditFm::save);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_form);
    layout->addLayout(buttonRow({m_save, m_cancel}));

    // The list's row may be old: what is saved must start from the member
    // as stored now, its balance above all.
    const auto read = fetch(m_session.prompt, [&] {
        MemberStore store(m_session.db(), m_session.context.Rights);
        return std::make_pair(store.load(card), store.typeNames());
    });
    if (!read)
        return;
    m_form->setTypes(read->second);
    m_shown = read->first;
    m_form->showMember(m_shown);
    m_loaded = true;
}

void TMemberEditFm::save()
{
    const MemberStore::Member member = m_form->edited(m_shown);
    const bool saved = attempt(m_session.prompt, [&] {
        MemberStore(m_session.db(), m_session.context.Rights).update(m_shown, member);
    });
    if (!saved)
        return;
    m_saved = member.card;
    accept();
}
