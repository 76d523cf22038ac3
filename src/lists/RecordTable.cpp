#include "RecordTable.h"

#include "common/Money.h"
#include "common/Refusal.h"
#include "db/Amounts.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "db/Transaction.h"

#include <QSqlQuery>

#include <optional>

using namespace Qt::StringLiterals;

const QString RecordTable::StaleText = u"该记录已被其他工作站修改或删除，请刷新后重试。"_s;
const QString RecordTable::GoneText = u"该记录已被其他工作站删除，请刷新后重试。"_s;

namespace {

bool isAmount(RecordField::Kind kind)
{
    return kind == RecordField::Kind::Money || kind == RecordField::Kind::Number;
}

// QLineEdit hands over a null text when empty, and a null text binds as
// NULL; a text column keeps '' instead.
QString nonNullText(const QVariant &value)
{
    const QString text = value.toString();
    return text.isNull() ? u""_s : text;
}

} // namespace

RecordTable::RecordTable(Database &db, RecordTableDescription described, Operator who)
    : m_db(db)
    , m_description(std::move(described))
    , m_operator(std::move(who))
{
}

void RecordTable::checkRight() const
{
    if (m_description.writeGuard)
        RightTable::require(m_operator, *m_description.writeGuard);
}

QString RecordTable::columnList() const
{
    QStringList columns;
    for (const RecordField &field : m_description.fields)
        columns.append(field.column);
    return columns.join(u", "_s);
}

std::vector<RecordRow> RecordTable::readAll()
{
    QString sql = u"select "_s + m_description.keyColumn + u", "_s + columnList() + u" from "_s + m_description.table;
    if (!m_description.orderBy.isEmpty())
        sql += u" order by "_s + m_description.orderBy;
    QSqlQuery query = m_db.exec(sql);
    std::vector<RecordRow> rows;
    const int fieldCount = static_cast<int>(m_description.fields.size());
    while (query.next()) {
        RecordRow row;
        row.key = query.value(0);
        for (int i = 0; i < fieldCount; ++i)
            row.values.append(query.value(i + 1));
        rows.push_back(std::move(row));
    }
    return rows;
}

QVariantList RecordTable::boundValues(const QVariantList &entered) const
{
    QVariantList bound;
    for (std::size_t i = 0; i < m_description.fields.size(); ++i) {
        const RecordField &field = m_description.fields[i];
        const QVariant value = entered.value(static_cast<int>(i));
        if (field.kind == RecordField::Kind::YesNo) {
            bound.append(value.toBool());
        } else if (isAmount(field.kind)) {
            const QString text = value.toString().trimmed();
            if (text.isEmpty()) {
                bound.append(QVariant());
                continue;
            }
            const std::optional<Money> amount = Money::parseEntry(text);
            if (!amount)
                throw Refusal(field.caption + u" 不是有效的数字！"_s);
            bound.append(QVariant::fromValue(*amount));
        } else {
            bound.append(nonNullText(value));
        }
    }
    return bound;
}

bool RecordTable::duplicates(const QVariantList &bound, const QVariant &ownKey, const RecordRow *shown)
{
    for (const QString &column : m_description.uniqueColumns) {
        const int index = m_description.indexOf(column);
        if (index < 0 || bound.at(index).isNull())
            continue;
        if (shown && shown->values.value(index).toString() == bound.at(index).toString())
            continue;
        QString sql = u"select 1 from "_s + m_description.table + u" where "_s + column + u" = ?"_s;
        QVariantList values{bound.at(index)};
        if (!ownKey.isNull()) {
            sql += u" and not ("_s + m_description.keyColumn + u" = ?)"_s;
            values.append(ownKey);
        }
        if (m_db.exists(sql, values))
            return true;
    }
    return false;
}

void RecordTable::refuseRepeats(const QVariantList &bound, const QVariant &ownKey, const RecordRow *shown)
{
    // SQLite lets one writer at a time commit, and a write after this read
    // fails if another save came in between; PostgreSQL needs the lock.
    if (m_db.dialect().isPostgres())
        m_db.execute(u"lock table "_s + m_description.table + u" in share row exclusive mode"_s);
    if (duplicates(bound, ownKey, shown))
        throw Refusal(m_description.duplicateText);
}

QVariant RecordTable::insert(const QVariantList &entered)
{
    checkRight();
    const QVariantList bound = boundValues(entered);
    std::optional<Transaction> checked;
    if (m_description.uniqueByCheck) {
        checked.emplace(m_db);
        refuseRepeats(bound, {}, nullptr);
    }
    // An empty number is left to the column's default (a member type's
    // 打折率 starts at 1), as a new row that was never typed into would be.
    QStringList columns;
    QStringList marks;
    QVariantList values;
    for (std::size_t i = 0; i < m_description.fields.size(); ++i) {
        const QVariant &value = bound.at(static_cast<int>(i));
        if (value.isNull())
            continue;
        columns.append(m_description.fields[i].column);
        marks.append(u"?"_s);
        values.append(value);
    }
    QString sql = u"insert into "_s + m_description.table;
    sql += columns.isEmpty() ? u" default values"_s
                             : u" ("_s + columns.join(u", "_s) + u") values ("_s + marks.join(u", "_s) + u')';
    const bool assigned = m_description.keyIsAssigned();
    if (assigned)
        sql += u" returning "_s + m_description.keyColumn;
    QVariant key;
    try {
        if (assigned)
            key = m_db.scalar(sql, values);
        else
            m_db.execute(sql, values);
    } catch (const DbError &) {
        if (!checked && !m_description.duplicateText.isEmpty() && duplicates(bound, {}))
            throw Refusal(m_description.duplicateText);
        throw;
    }
    m_db.announce(Change::Settings);
    if (checked)
        checked->commit();
    return assigned ? key : bound.at(m_description.indexOf(m_description.keyColumn));
}

QVariant RecordTable::update(const RecordRow &shown, const QVariantList &entered)
{
    checkRight();
    const QVariantList bound = boundValues(entered);
    std::optional<Transaction> checked;
    if (m_description.uniqueByCheck) {
        checked.emplace(m_db);
        refuseRepeats(bound, shown.key, &shown);
    }
    QStringList assignments;
    QStringList conditions{m_description.keyColumn + u" = ?"_s};
    QVariantList values = bound;
    QVariantList conditionValues{shown.key};
    for (std::size_t i = 0; i < m_description.fields.size(); ++i) {
        const RecordField &field = m_description.fields[i];
        assignments.append(field.column + u" = ?"_s);
        if (field.column == m_description.keyColumn)
            continue;
        // The value exactly as it was read, so the comparison is the
        // database's own, whatever form it hands amounts over in.
        const QVariant was = shown.values.value(static_cast<int>(i));
        if (was.isNull()) {
            conditions.append(field.column + u" is null"_s);
        } else {
            conditions.append(field.column + u" = ?"_s);
            conditionValues.append(was);
        }
    }
    values.append(conditionValues);
    const QString sql = u"update "_s + m_description.table + u" set "_s + assignments.join(u", "_s)
                        + u" where "_s + conditions.join(u" and "_s);
    int changed = 0;
    try {
        changed = m_db.execute(sql, values);
    } catch (const DbError &) {
        if (!checked && !m_description.duplicateText.isEmpty() && duplicates(bound, shown.key))
            throw Refusal(m_description.duplicateText);
        throw;
    }
    if (changed == 0)
        throw Refusal(StaleText);
    m_db.announce(Change::Settings);
    if (checked)
        checked->commit();
    const int keyField = m_description.indexOf(m_description.keyColumn);
    return keyField < 0 ? shown.key : bound.at(keyField);
}

void RecordTable::remove(const QVariant &key)
{
    checkRight();
    const int removed = m_db.execute(
        u"delete from "_s + m_description.table + u" where "_s + m_description.keyColumn + u" = ?"_s, {key});
    if (removed == 0)
        throw Refusal(GoneText);
    m_db.announce(Change::Settings);
}

QVariant RecordTable::shownValue(const RecordField &field, const QVariant &stored)
{
    if (field.kind == RecordField::Kind::YesNo)
        return stored.isNull() ? false : stored.toBool();
    if (stored.isNull())
        return u""_s;
    if (isAmount(field.kind)) {
        const std::optional<Money> amount = tryReadAmount(stored);
        if (amount) {
            const bool padded = field.twoDecimals && amount->units() % 100 == 0;
            return padded ? amount->toFixed2() : amount->toString();
        }
    }
    return stored.toString();
}

QVariantList RecordTable::initialValues() const
{
    QVariantList values;
    for (const RecordField &field : m_description.fields) {
        if (field.kind == RecordField::Kind::YesNo)
            values.append(field.initial.toBool());
        else
            values.append(nonNullText(field.initial));
    }
    return values;
}

QVariantList RecordTable::shownValues(const RecordRow &row) const
{
    QVariantList values;
    for (std::size_t i = 0; i < m_description.fields.size(); ++i)
        values.append(shownValue(m_description.fields[i], row.values.value(static_cast<int>(i))));
    return values;
}
