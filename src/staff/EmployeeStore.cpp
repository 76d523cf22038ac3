#include "EmployeeStore.h"

#include "common/Refusal.h"
#include "db/Database.h"
#include "db/Transaction.h"

using namespace Qt::StringLiterals;

namespace {

// A database null, however it arrives: Qt 6 no longer counts a variant
// holding a null QString as null, but the drivers bind it as NULL.
bool isNullValue(const QVariant &value)
{
    return value.isNull() || (value.typeId() == QMetaType::QString && value.toString().isNull());
}

QString textOf(const QVariant &value)
{
    return isNullValue(value) ? QString() : value.toString();
}

} // namespace

QVariantList EmployeeStore::Employee::values() const
{
    // Nothing typed is stored as nothing, as in a column no one wrote.
    QVariantList values;
    for (const QString *text : {&code, &name, &sex, &level, &phone, &idNumber, &note})
        values.append(text->isEmpty() ? QVariant() : QVariant(*text));
    return values;
}

EmployeeStore::Employee EmployeeStore::Employee::fromValues(const QVariantList &values)
{
    return {textOf(values.value(0)), textOf(values.value(1)), textOf(values.value(2)),
            textOf(values.value(3)), textOf(values.value(4)), textOf(values.value(5)),
            textOf(values.value(6))};
}

const QStringList &EmployeeStore::columns()
{
    static const QStringList names{u"员工编号"_s, u"员工姓名"_s, u"性别"_s, u"员工等级"_s,
                                   u"联系电话"_s, u"证件号码"_s, u"备注"_s};
    return names;
}

QString EmployeeStore::deleteQuestion(const QString &name)
{
    return u"您是否要删除\" "_s + name + u'"';
}

QStringList EmployeeStore::levelNames()
{
    // In the order the levels were added, as the level screen lists them.
    return m_database.strings(u"select 等级名称 from 员工等级 order by 等级编号"_s);
}

EmployeeStore::Employee EmployeeStore::checked(const Employee &employee)
{
    Employee result = employee;
    result.code = employee.code.trimmed();
    if (result.code.isEmpty() || employee.name.trimmed().isEmpty()
        || employee.level.trimmed().isEmpty())
        throw Refusal(u"编号 姓名 等级必须填写！"_s);
    return result;
}

void EmployeeStore::refuseTakenCode(const QString &code)
{
    if (m_database.exists(u"select 1 from 员工管理 where trim(员工编号)=?"_s, {code}))
        throw Refusal(u"员工编号 "_s + code + u" 已经存在,请换一个编号!"_s);
}

QString EmployeeStore::oneShownRow(const Shown &shown, QVariantList &values) const
{
    // Each column must still hold what was shown; a null is matched as null.
    QStringList conditions;
    for (int index = 0; index < columns().size(); ++index) {
        const QVariant value = shown.value(index);
        if (isNullValue(value)) {
            conditions.append(columns().at(index) + u" is null"_s);
        } else {
            conditions.append(columns().at(index) + u"=?"_s);
            values.append(value);
        }
    }
    // The table has no key: the database's own row address picks one row,
    // so two identical rows are never changed by one statement.
    const QString row = m_database.dialect().isPostgres() ? u"ctid"_s : u"rowid"_s;
    return row + u" = (select "_s + row + u" from 员工管理 where "_s + conditions.join(u" and "_s)
        + u" limit 1)"_s;
}

void EmployeeStore::add(const Employee &employee)
{
    const Employee entry = checked(employee);
    Transaction transaction(m_database);
    refuseTakenCode(entry.code);
    m_database.execute(u"insert into 员工管理 (员工编号, 员工姓名, 性别, 员工等级, 联系电话, "
                       u"证件号码, 备注) values (?, ?, ?, ?, ?, ?, ?)"_s,
                       entry.values());
    m_database.announce(Change::Employees);
    transaction.commit();
}

void EmployeeStore::update(const Shown &shown, const Employee &changed)
{
    const Employee entry = checked(changed);
    Transaction transaction(m_database);
    // Keeping the code the row already has is no new duplicate, even where
    // older data holds one.
    if (entry.code != textOf(shown.value(0)).trimmed())
        refuseTakenCode(entry.code);
    QVariantList values = entry.values();
    const QString sql = u"update 员工管理 set 员工编号=?, 员工姓名=?, 性别=?, 员工等级=?, "
                        u"联系电话=?, 证件号码=?, 备注=? where "_s
        + oneShownRow(shown, values);
    if (m_database.execute(sql, values) == 0)
        throw Refusal(u"该员工的资料已被其他工作站修改或删除,请刷新后再操作!"_s);
    m_database.announce(Change::Employees);
    transaction.commit();
}

void EmployeeStore::remove(const Shown &shown)
{
    QVariantList values;
    const QString sql = u"delete from 员工管理 where "_s + oneShownRow(shown, values);
    if (m_database.execute(sql, values) == 0)
        throw Refusal(u"该员工的资料已被其他工作站修改或删除,请刷新后再操作!"_s);
    m_database.announce(Change::Employees);
}
