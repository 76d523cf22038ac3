#include "MemberForm.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>

using namespace Qt::StringLiterals;

namespace {

const QString Male = u"男"_s;
const QString NoNote = u"无"_s;

QComboBox *choiceBox(QWidget *parent)
{
    auto *box = new QComboBox(parent);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    return box;
}

QDateEdit *dateBox(QWidget *parent)
{
    auto *box = new QDateEdit(parent);
    box->setCalendarPopup(true);
    box->setDisplayFormat(u"yyyy-MM-dd"_s);
    return box;
}

// A date box that can show "none": its lowest date stands for an empty
// stored value and shows blank.
QDateEdit *optionalDateBox(QWidget *parent)
{
    auto *box = dateBox(parent);
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

// Tab goes down the rows as the window lays them out, whatever order the
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

QLineEdit *shownOnly(QWidget *parent)
{
    auto *box = new QLineEdit(parent);
    box->setReadOnly(true);
    return box;
}

} // namespace

MemberForm::MemberForm(Kind kind, QWidget *parent)
    : QGroupBox(parent)
    , m_kind(kind)
    , m_card(new QLineEdit(this))
    , m_name(new QLineEdit(this))
    , m_type(choiceBox(this))
    , m_sex(choiceBox(this))
    , m_birth(kind == Kind::NewMember ? dateBox(this) : optionalDateBox(this))
    , m_phone(new QLineEdit(this))
{
    m_sex->addItems({Male, u"女"_s});
    auto *form = new QFormLayout(this);
    if (kind == Kind::NewMember) {
        setTitle(u"会员基本资料"_s);
        m_noteLines = new QPlainTextEdit(NoNote, this);
        m_noteLines->setTabChangesFocus(true);
        m_noteLines->setFixedHeight(m_noteLines->fontMetrics().height() * 4);
        form->addRow(u"会员卡号"_s, m_card);
        form->addRow(u"会员姓名"_s, m_name);
        form->addRow(u"会员类型"_s, m_type);
        form->addRow(u"会员性别"_s, m_sex);
        form->addRow(u"出生日期"_s, m_birth);
        form->addRow(u"联系电话"_s, m_phone);
        form->addRow(u"备   注"_s, m_noteLines);
        return;
    }
    setTitle(u"会员信息"_s);
    m_balance = shownOnly(this);
    m_points = shownOnly(this);
    m_state = shownOnly(this);
    m_registered = optionalDateBox(this);
    m_noteLine = new QLineEdit(this);
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
    form->addRow(u"备注"_s, m_noteLine);
    tabDownTheRows(form);
}

void MemberForm::setTypes(const QStringList &types)
{
    m_type->clear();
    m_type->addItems(types);
    if (m_kind == Kind::NewMember)
        m_type->setCurrentIndex(m_type->count() > 0 ? 0 : -1);
}

void MemberForm::showMember(const MemberStore::Member &member)
{
    if (m_kind != Kind::StoredMember)
        return;
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
    m_noteLine->setText(member.note);
}

MemberStore::Member MemberForm::edited(MemberStore::Member base) const
{
    base.card = m_card->text();
    base.name = m_name->text();
    base.type = m_type->currentText();
    base.sex = m_sex->currentText();
    base.phone = m_phone->text();
    if (m_kind == Kind::StoredMember) {
        base.birth = dayOf(m_birth);
        base.registered = dayOf(m_registered);
        base.note = m_noteLine->text();
    } else {
        base.birth = m_birth->date();
        base.note = m_noteLines->toPlainText();
    }
    return base;
}

void MemberForm::clearInput()
{
    m_card->clear();
    m_name->clear();
    m_phone->clear();
    m_sex->setCurrentIndex(0);
    m_sex->setEditText(Male);
    if (m_noteLines)
        m_noteLines->setPlainText(NoNote);
    m_card->setFocus();
}
