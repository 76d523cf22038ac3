#include "TAdminChangePassFm.h"

#include "common/Prompt.h"
#include "common/ui/Attempt.h"
#include "common/ui/ButtonRow.h"
#include "common/ui/MaskedInput.h"
#include "operators/OperatorStore.h"
#include "session/Session.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TAdminChangePassFm::TAdminChangePassFm(Session &session, QWidget *parent)
    : QDialog(parent)
    , m_session(session)
    , m_old(new QLineEdit(this))
    , m_new(new QLineEdit(this))
    , m_confirm(new QLineEdit(this))
{
    setWindowTitle(u"更改密码"_s);
    for (QLineEdit *box : {m_old, m_new, m_confirm})
        MaskedInput::setUp(box);

    auto *form = new QFormLayout;
    form->addRow(u"管理员:"_s, new QLabel(session.context.OperatorName, this));
    form->addRow(u"旧密码:"_s, m_old);
    form->addRow(u"新密码:"_s, m_new);
    form->addRow(u"确认新密码:"_s, m_confirm);

    auto *save = new QPushButton(u"保存"_s, this);
    auto *close = new QPushButton(u"关闭"_s, this);
    save->setDefault(true);
    connect(save, &QPushButton::clicked, this, &TAdminChangePassFm::savePassword);
    connect(close, &QPushButton::clicked, this, &TAdminChangePassFm::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttonRow({save, close}));
}

void TAdminChangePassFm::savePassword()
{
    const bool changed = attempt(m_session.prompt, [this] {
        OperatorStore(m_session.db()).changePassword(m_session.context.OperatorName, m_old->text(),
                                                     m_new->text(), m_confirm->text());
    });
    if (!changed)
        return;
    m_session.prompt.message(u"修改成功！"_s);
    accept();
}
