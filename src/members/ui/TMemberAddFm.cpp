#include "TMemberAddFm.h"

#include "common/Clock.h"
#include "common/ui/Attempt.h"
#include "common/ui/ButtonRow.h"
#include "members/MemberStore.h"
#include "operators/OperatorStore.h"
#include "session/Session.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TMemberAddFm::TMemberAddFm(Session &session, QWidget *parent)
    : QDialog(parent)
    , m_session(session)
    , m_card(new QLineEdit(this))
    , m_name(new QLineEdit(this))
    , m_type(new QComboBox(this))
    , m_sex(new QComboBox(this))
    , m_birth(new QDateEdit(this))
    , m_phone(new QLineEdit(this))
    , m_note(new QPlainTextEdit(this))
    , m_save(new QPushButton(u"保存"_s, this))
    , m_clear(new QPushButton(u"清空"_s, this))
{
    setWindowTitle(u"添加会员   (初始密码默认"_s
                   + QString::fromUtf16(OperatorStore::DefaultPassword) + u')');

    m_type->setEditable(true);
    m_type->setInsertPolicy(QComboBox::NoInsert);
    if (const auto types = fetch(m_session.prompt, [this] {
            return MemberStore(m_session.db(), m_session.context.Rights).typeNames();
        })) {
        m_type->addItems(*types);
    }
    m_type->setCurrentIndex(m_type->count() > 0 ? 0 : -1);
    m_sex->setEditable(true);
    m_sex->setInsertPolicy(QComboBox::NoInsert);
    m_sex->addItems({u"男"_s, u"女"_s});
    m_birth->setCalendarPopup(true);
    m_birth->setDisplayFormat(u"yyyy-MM-dd"_s);
    m_birth->setDate(m_session.clock.now().date());
    m_note->setPlainText(u"无"_s);
    m_note->setTabChangesFocus(true);
    m_note->setFixedHeight(m_note->fontMetrics().height() * 4);

    auto *group = new QGroupBox(u"会员基本资料"_s, this);
    auto *form = new QFormLayout(group);
    form->addRow(u"会员卡号"_s, m_card);
    form->addRow(u"会员姓名"_s, m_name);
    form->addRow(u"会员类型"_s, m_type);
    form->addRow(u"会员性别"_s, m_sex);
    form->addRow(u"出生日期"_s, m_birth);
    form->addRow(u"联系电话"_s, m_phone);
    form->addRow(u"备   注"_s, m_note);

    auto *leave = new QPushButton(u"退出"_s, this);
    connect(m_save, &QPushButton::clicked, this, &TMemberAddFm::save);
    connect(m_clear, &QPushButton::clicked, this, &TMemberAddFm::clearInput);
    connect(leave, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttonRow({m_save, m_clear, leave}));
    m_card->setFocus();
}

void TMemberAddFm::save()
{
    MemberStore::Member member;
    member.card = m_card->text();
    member.name = m_name->text();
    member.type = m_type->currentText();
    member.sex = m_sex->currentText();
    member.birth = m_birth->date();
    member.phone = m_phone->text();
    member.note = m_note->toPlainText();
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
    m_card->clear();
    m_name->clear();
    m_phone->clear();
    m_sex->setCurrentIndex(0);
    m_sex->setEditText(u"男"_s);
    m_note->setPlainText(u"无"_s);
    m_card->setFocus();
}
