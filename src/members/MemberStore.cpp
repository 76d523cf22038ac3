#include "MemberStore.h"

#include "common/DateFormat.h"
#include "common/Refusal.h"
#include "db/Amounts.h"
#include "db/Changes.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "operators/OperatorStore.h"
#include "session/RightTable.h"

#include <QDateTime>
#include <QSqlRecord>

using namespace Qt::StringLiterals;

namespace {

const auto DuplicateCard = u"会员卡号有重复，请换其他号码！"_s;
const auto MemberGone = u"没有找到该会员，可能已被删除！"_s;
const auto MemberChanged = u"该会员资料已被其他操作修改，请重新打开后再修改！"_s;

// The columns the edit window changes, as they are named in 会员管理.
const char16_t *const EditableColumns[] = {u"会员卡号", u"会员姓名", u"会员性别", u"会员类型",
                                           u"出生日期", u"登记日期", u"联系电话", u"备注"};

bool blank(const QString &text)
{
    return text.trimmed().isEmpty();
}

QVariant textOrNull(const QString &text)
{
    return text.isEmpty() ? QVariant() : QVariant(text);
}

QVariant dayOrNull(QDate day)
{
    return day.isValid() ? QVariant(day.startOfDay()) : QVariant();
}

} // namespace

MemberStore::MemberStore(Database &database, const Rights &rights)
    : m_database(database)
    , m_rights(rights)
{
}

ListDescription MemberStore::list()
{
    const auto column = [](const QString &name,
                           ListColumn::Footer footer = ListColumn::Footer::None) {
        return ListColumn{name, name, footer};
    };
    // One column holding the whole value.
    SearchBar bar;
    bar.fields = SearchBar::fieldsOf(
        {u"会员卡号"_s, u"会员姓名"_s, u"会员类型"_s, u"联系电话"_s, u"备注"_s},
        ListFilter::Match::Equals);
    bar.matchLabel = u"中含有"_s;
    bar.incomplete = SearchBar::Incomplete::Refused;
    bar.incompleteText = u"请填写查询条件!"_s;
    bar.buttons = {{u"查找"_s, QString::fromUtf16(SearchBar::Search)}};
    bar.nothingFound = u"没有找到符合条件的数据."_s;
    return {u"会员管理"_s,
            u"select * from 会员管理"_s,
            QString(),
            {column(u"会员卡号"_s, ListColumn::Footer::Count), column(u"会员姓名"_s),
             column(u"会员类型"_s), column(u"会员性别"_s),
             column(u"卡内金额"_s, ListColumn::Footer::Sum), column(u"当前积分"_s),
             column(u"当前状态"_s), column(u"出生日期"_s), column(u"联系电话"_s),
             column(u"备注"_s), column(u"登记日期"_s)},
            {},
            bar};
}

MemberStore::Member MemberStore::load(const QString &card)
{
    const QSqlRecord row = m_database.firstRow(u"select * from 会员管理 where 会员卡号=?"_s, {card});
    if (row.isEmpty())
        throw Refusal(MemberGone);
    Member member;
    member.card = row.value(u"会员卡号"_s).toString();
    member.name = row.value(u"会员姓名"_s).toString();
    member.type = row.value(u"会员类型"_s).toString();
    member.sex = row.value(u"会员性别"_s).toString();
    member.birth = DateFormat::fromVariant(row.value(u"出生日期"_s)).date();
    member.registered = DateFormat::fromVariant(row.value(u"登记日期"_s)).date();
    member.phone = row.value(u"联系电话"_s).toString();
    member.note = row.value(u"备注"_s).toString();
    member.state = row.value(u"当前状态"_s).toString();
    member.balance = readAmount(row.value(u"卡内金额"_s), u"会员管理"_s, u"卡内金额"_s);
    member.points = readAmount(row.value(u"当前积分"_s), u"会员管理"_s, u"当前积分"_s);
    for (const char16_t *column : EditableColumns) {
        const QString name = QString::fromUtf16(column);
        member.stored.insert(name, row.value(name));
    }
    return member;
}

QStringList MemberStore::typeNames()
{
    return m_database.strings(u"select 类型名称 from 会员类型 order by id"_s);
}

bool MemberStore::cardTaken(const QString &card)
{
    return m_database.exists(u"select 1 from 会员管理 where 会员卡号=?"_s, {card});
}

void MemberStore::add(const Member &member)
{
    if (blank(member.card) || blank(member.name))
        throw Refusal(u"会员卡号和会员姓名必须填写！"_s);
    // The card number as typed: " 001" and "001" are two cards.
    if (cardTaken(member.card))
        throw Refusal(DuplicateCard);

    QString columns = u"会员卡号, 会员姓名, 密码, 当前状态, 卡内金额, 当前积分, 会员性别, 会员类型, 出生日期"_s;
    QVariantList values{member.card,
                        member.name,
                        QString::fromUtf16(OperatorStore::DefaultPassword),
                        u"可用"_s,
                        0,
                        0,
                        blank(member.sex) ? u"男"_s : member.sex,
                        blank(member.type) ? u"未设置"_s : member.type,
                        dayOrNull(member.birth)};
    if (!member.phone.isEmpty()) {
        columns += u", 联系电话"_s;
        values.append(member.phone);
    }
    if (!member.note.isEmpty()) {
        columns += u", 备注"_s;
        values.append(member.note);
    }
    QString marks = u"?"_s;
    for (qsizetype i = 1; i < values.size(); ++i)
        marks += u", ?"_s;
    try {
        m_database.execute(u"insert into 会员管理 ("_s + columns + u") values ("_s + marks + u')',
                           values);
        m_database.announce(Change::Members);
    } catch (const DbError &) {
        // Another workstation added the same card since the check; the
        // column's uniqueness refused it.
        if (cardTaken(member.card))
            throw Refusal(DuplicateCard);
        throw;
    }
    m_database.announce(Change::Members);
}

void MemberStore::update(const Member &shown, const Member &edited)
{
    RightTable::require(m_rights, Guarded::EditMember);
    if (blank(edited.card) || blank(edited.name) || blank(edited.type))
        throw Refusal(u"会员卡号和会员姓名和会员类型必须认真填写！"_s);
    const bool newCard = edited.card != shown.card;
    if (newCard && cardTaken(edited.card))
        throw Refusal(DuplicateCard);

    QStringList assignments{u"会员卡号=?"_s};
    QVariantList values{edited.card};
    const auto changeText = [&](const QString &column, const QString &before, const QString &after) {
        if (before != after) {
            assignments.append(column + u"=?"_s);
            values.append(textOrNull(after));
        }
    };
    const auto changeDay = [&](const QString &column, QDate before, QDate after) {
        if (before != after) {
            assignments.append(column + u"=?"_s);
            values.append(dayOrNull(after));
        }
    };
    changeText(u"会员姓名"_s, shown.name, edited.name);
    changeText(u"会员性别"_s, shown.sex, edited.sex);
    changeText(u"会员类型"_s, shown.type, edited.type);
    changeDay(u"出生日期"_s, shown.birth, edited.birth);
    changeDay(u"登记日期"_s, shown.registered, edited.registered);
    changeText(u"联系电话"_s, shown.phone, edited.phone);
    changeText(u"备注"_s, shown.note, edited.note);

    // Only over the row as it was read: a change from another workstation
    // in between is not overwritten unseen.
    QStringList conditions;
    for (const char16_t *column : EditableColumns) {
        const QString name = QString::fromUtf16(column);
        const QVariant before = shown.stored.value(name);
        if (before.isNull()) {
            conditions.append(name + u" is null"_s);
        } else {
            conditions.append(name + u"=?"_s);
            values.append(before);
        }
    }
    int changed = 0;
    try {
        changed = m_database.execute(u"update 会员管理 set "_s + assignments.join(u", "_s)
                                         + u" where "_s + conditions.join(u" and "_s),
                                     values);
    } catch (const DbError &) {
        if (newCard && cardTaken(edited.card))
            throw Refusal(DuplicateCard);
        throw;
    }
    if (changed == 0)
        throw Refusal(cardTaken(shown.card) ? MemberChanged : MemberGone);
    m_database.announce(Change::Members);
}

void MemberStore::checkRemovable() const
{
    RightTable::require(m_rights, Guarded::DeleteMember);
}

void MemberStore::remove(const QString &card)
{
    checkRemovable();
    if (m_database.execute(u"delete from 会员管理 where 会员卡号=?"_s, {card}) > 0)
        m_database.announce(Change::Members);
}
