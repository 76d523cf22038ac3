#include "OperatorStore.h"

#include "FirstOperator.h"
#include "SignIn.h"
#include "common/Refusal.h"
#include "db/Database.h"
#include "db/Transaction.h"

#include <QSqlRecord>

using namespace Qt::StringLiterals;

namespace {

void requireName(const QString &name)
{
    if (name.trimmed().isEmpty())
        throw Refusal(u"用户名必须填写！"_s);
}

QString superOperator()
{
    return QString::fromUtf16(Operators::SuperOperator);
}

} // namespace

QList<std::pair<QString, QString>> OperatorStore::editableRights()
{
    return {
        {u"管理员设置"_s, u"管理员管理"_s}, {u"会员管理"_s, u"会员管理"_s},
        {u"商品管理"_s, u"商品管理"_s},     {u"号牌管理"_s, u"号牌管理"_s},
        {u"来宾登记"_s, u"来宾登记"_s},     {u"收银结算"_s, u"收银结算"_s},
        {u"数据初始化"_s, u"数据初始化"_s}, {u"消费管理"_s, u"消费管理"_s},
        {u"营业查询"_s, u"营业查询"_s},     {u"员工管理"_s, u"员工管理"_s},
        {u"数据备份"_s, u"数据备份"_s},     {u"数据恢复"_s, u"数据恢复"_s},
        {u"撤单"_s, u"撤单"_s},             {u"免单"_s, u"免单"_s},
        {u"营业项目修改"_s, u"营业项目修改"_s}, {u"营业项目删除"_s, u"营业项目删除"_s},
        {u"会员修改"_s, u"会员修改"_s},     {u"会员删除"_s, u"会员删除"_s},
        {u"商品进货"_s, u"商品进货"_s},     {u"商品类型"_s, u"商品类型"_s},
    };
}

QStringList OperatorStore::names()
{
    return m_database.strings(u"select 用户名 from 管理员 order by id"_s);
}

OperatorStore::Operator OperatorStore::load(const QString &name)
{
    const QSqlRecord row = m_database.firstRow(u"select * from 管理员 where 用户名=?"_s, {name});
    Operator entry;
    entry.name = row.value(u"用户名"_s).toString();
    for (const auto &[column, caption] : editableRights()) {
        Q_UNUSED(caption)
        entry.rights.insert(column, row.value(column).toBool());
    }
    return entry;
}

void OperatorStore::add(const Operator &entry)
{
    requireName(entry.name);
    QString columns = u"用户名, 密码, 退回库存"_s;
    QString marks = u"?, ?, ?"_s;
    QVariantList values{entry.name, QString::fromUtf16(DefaultPassword),
                        entry.rights.value(u"退回库存"_s, false)};
    for (const auto &[column, caption] : editableRights()) {
        Q_UNUSED(caption)
        columns += u", "_s + column;
        marks += u", ?"_s;
        values.append(entry.rights.value(column, false));
    }
    m_database.execute(u"insert into 管理员 ("_s + columns + u") values ("_s + marks + u')', values);
    m_database.announce(Change::Settings);
}

void OperatorStore::update(const Operator &shown, const Operator &entry)
{
    requireName(entry.name);
    QString assignments = u"用户名=?"_s;
    QString condition = u"用户名=?"_s;
    QVariantList values{entry.name};
    QVariantList conditionValues{shown.name};
    for (const auto &[column, caption] : editableRights()) {
        Q_UNUSED(caption)
        assignments += u", "_s + column + u"=?"_s;
        values.append(entry.rights.value(column, false));
        condition += u" and coalesce("_s + column + u", false)=?"_s;
        conditionValues.append(shown.rights.value(column, false));
    }
    // Only the row as the window showed it is saved; another workstation's
    // rename, change of rights or deletion since then stays as it is.
    const int changed = m_database.execute(u"update 管理员 set "_s + assignments + u" where "_s
                                               + condition,
                                           values + conditionValues);
    if (changed != 1)
        throw Refusal(u"该管理员已被其他工作站修改或删除，请刷新后重试。"_s);
    m_database.announce(Change::Settings);
}

void OperatorStore::checkRemovable(const QString &name)
{
    if (m_database.scalar(u"select count(*) from 管理员"_s).toInt() <= 1)
        throw Refusal(u"至少留有一个管理员！！"_s);
    if (name == superOperator())
        throw Refusal(u"超级管理员 用户不能删除！"_s);
}

void OperatorStore::remove(const QString &name)
{
    Transaction transaction(m_database);
    // The count and the delete are one statement. SQLite runs it under the
    // database's write lock; PostgreSQL lets each statement see only what
    // was committed when it started, so two workstations deleting the last
    // two operators would each count two. Locking every operator row first
    // makes the second wait for the first and count again.
    if (m_database.dialect().isPostgres())
        m_database.exec(u"select id from 管理员 order by id for update"_s);
    const int removed = m_database.execute(
        u"delete from 管理员 where 用户名=? and 用户名<>? and (select count(*) from 管理员) > 1"_s,
        {name, superOperator()});
    if (removed == 1) {
        m_database.announce(Change::Settings);
        transaction.commit();
        return;
    }
    if (!m_database.exists(u"select 1 from 管理员 where 用户名=?"_s, {name}))
        throw Refusal(u"该管理员已被其他工作站删除！"_s);
    checkRemovable(name);
    throw Refusal(u"该管理员已被其他工作站删除！"_s);
}

void OperatorStore::changePassword(const QString &operatorName, const QString &oldPassword,
                                   const QString &newPassword, const QString &confirmation)
{
    // The name as typed at sign-in, matched the way sign-in matched it.
    const QSqlRecord row = SignIn::findOperator(m_database, operatorName, oldPassword);
    if (row.isEmpty())
        throw Refusal(u"旧密码输入错误！"_s);
    if (newPassword != confirmation)
        throw Refusal(u"两次输入的新密码不一致！"_s);
    // The old password is part of the condition, so a password changed in
    // between from another workstation is not overwritten blindly.
    const int changed = m_database.execute(u"update 管理员 set 密码=? where id=? and 密码=?"_s,
                                           {newPassword, row.value(u"id"_s), oldPassword});
    if (changed != 1)
        throw Refusal(u"旧密码输入错误！"_s);
}
