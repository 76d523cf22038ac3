#include "TMemberEditFm.h"

#include "common/ui/Attempt.h"
#include "common/ui/ButtonRow.h"
#include "session/Session.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// A date box that can show "none": its lowest date stands for an empty
// stored value and shows blank.
QDateEdit *dateBox(QWidget *parent)
{
    auto *box = new QDateEdit(parent);
    box->setCalendarPopup(true);
    box->setDisplayFormat(u"yyyy-MM-dd"_s);
    box->setMinimumDate(QDate(1752, 9, 14));
    box->setSpecialValueText(u" "_s);
    return box;
}

void setDay(QDateEdit *box, QDate day)
{
    box->setDate(day.isValid() ? day : box->minimumDate());
}

QDate dayOf(const QDateEdit *box)
{
    return box->date() == box->minimumDate() ? QDate() : box->date();
}

QLineEdit *shownOnly(QWidget *parent)
{
    auto *box = new QLineEdit(parent);
    box->setReadOnly(true);
    return box;
}

} // namespace

TMemberEditFm::TMemberEditFm(Session &session, const QString &card, QWidget *parent)
    : QDialog(parent)
    , m_session(session)
    , m_card(new QLineEdit(this))
    , m_name(new QLineEdit(this))
    , m_sex(new QComboBox(this))
    , m_type(new QComboBox(this))
    , m_balance(shownOnly(this))
    , m_points(shownOnly(this))
    , m_state(shownOnly(this))
    , m_birth(dateBox(this))
    , m_registered(dateBox(this))
    , m_phone(new QLineEdit(this))
    , m_note(new QLineEdit(this))
    , m_save(new QPushButton(u"保存"_s, this))
    , m_cancel(new QPushButton(u"取消"_s, this))
{
    setWindowTitle(u"会员资料修改"_s);

    m_sex->setEditable(true);
    m_sex->setInsertPolicy(QComboBox::NoInsert);
    m_sex->addItems({u"男"_s, u"女"_s});
    m_type->setEditable(true);
    m_type->setInsertPolicy(QComboBox::NoInsert);

    auto *group = new QGroupBox(u"会员信息"_s, this);
    auto *form = new QFormLayout(group);
    form->addRow(u"会员卡号"_s, m_card);
    form->addRow(u"会员姓名"_s, m_name);
    form->addRow(u"会员性别"_s, m_sex);
    form->addRow(u"会员类型"_s, m_type);
    form->addRow(u"卡内金额"_s, m_balance);
    form->addRow(u"当前积分"_s, m_points);
    form->addRow(u"当前状态"_s, m_state);
    form->addRow(u"出生日期"_s, m_birth);
    form->addRow(u"登记日期"_s, m_registered);
    form->addRow(u"联系电话"_s, m_phone);
    form->addRow(u"备注"_s, m_note);

    connect(m_save, &QPushButton::clicked, this, &TMemberEditFm::save);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttonRow({m_save, m_cancel}));

    // The list's row may be old: what is saved must start from the member
    // as stored now, its balance above all.
    const auto read = fetch(m_session.prompt, [&] {
        MemberStore store(m_session.db(), m_session.context.Rights);
        return std::make_pair(store.load(card), store.typeNames());
    });
    if (!read)
        return;
    m_type->addItems(read->second);
    showMember(read->first);
    m_loaded = true;
}

void TMemberEditFm::showMember(const MemberStore::Member &member)
{
    m_shown = member;
    m_card->setText(member.card);
    m_name->setText(member.name);
    m_sex->setEditText(member.sex);
    m_type->setEditText(member.type);
    m_balance->setText(member.balance.toString());
    m_points->setText(member.points.toString());
    m_state->setText(member.state);
    setDay(m_birth, member.birth);
    setDay(m_registered, member.registered);
    m_phone->setText(member.phone);
    m_note->setText(member.note);
}

MemberStore::Member TMemberEditFm::edited() const
{
    MemberStore::Member member = m_shown;
    member.card = m_card->text();
    member.name = m_name->text();
    member.sex = m_sex->currentText();
    member.type = m_type->currentText();
    member.birth = dayOf(m_birth);
    member.registered = dayOf(m_registered);
    member.phone = m_phone->text();
    member.note = m_note->text();
    return member;
}

void TMemberEditFm::save()
{
    const MemberStore::Member member = edited();
    const bool saved = attempt(m_session.prompt, [&] {
        MemberStore(m_session.db(), m_session.context.Rights).update(m_shown, member);
    });
    if (!saved)
        return;
    m_saved = member.card;
    accept();
}
