#include "ListQuery.h"

#include "common/Money.h"
#include "common/Refusal.h"
#include "db/Amounts.h"
#include "db/Database.h"
#include "db/LikePattern.h"
#include "db/ResultTableModel.h"

#include <QSqlRecord>

using namespace Qt::StringLiterals;

ListQuery::ListQuery(Database &database, ListDescription description)
    : m_database(database)
    , m_description(std::move(description))
{
}

QString ListQuery::checkedColumn(const QString &name)
{
    if (m_tableColumns.isEmpty())
        m_tableColumns = m_database.columns(m_description.table);
    for (const QString &column : std::as_const(m_tableColumns)) {
        if (column.compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return column;
    }
    throw Refusal(u"没有这个查询字段: "_s + name);
}

QString ListQuery::statement(const ListFilter &filter, QVariantList *values)
{
    QStringList conditions;
    for (const ListFilter::Condition &condition : filter.conditions) {
        const QString column = checkedColumn(condition.column);
        switch (condition.match) {
        case ListFilter::Match::Contains:
            conditions.append(column + u" like ? escape '\\'"_s);
            values->append(containsPattern(condition.value.toString()));
            break;
        case ListFilter::Match::Pattern: {
            // Without a wildcard the pattern is the whole value: compared
            // as such, the column's index finds it among a million lines.
            // A backslash stays an ordinary character on both backends.
            const QString pattern = condition.value.toString();
            if (!pattern.contains(u'%') && !pattern.contains(u'_'))
                conditions.append(column + u" = ?"_s);
            else if (m_database.dialect().isPostgres())
                conditions.append(column + u" like ? escape ''"_s);
            else
                conditions.append(column + u" like ?"_s);
            values->append(pattern);
            break;
        }
        case ListFilter::Match::Differs:
            conditions.append(column + u" <> ?"_s);
            values->append(condition.value);
            break;
        case ListFilter::Match::Equals:
            conditions.append(column + u" = ?"_s);
            values->append(condition.value);
            break;
        }
    }
    for (const ListFilter::Range &range : filter.ranges) {
        const QString column = checkedColumn(range.column);
        conditions.append(column + u" >= ? and "_s + column + u" < ?"_s);
        values->append(range.from);
        values->append(range.until);
    }
    QString sql = m_description.select;
    if (!conditions.isEmpty())
        sql += u" where "_s + conditions.join(u" and "_s);
    if (!m_description.group.isEmpty())
        sql += u' ' + m_description.group;
    return sql;
}

QSqlQuery ListQuery::run(const ListFilter &filter)
{
    QVariantList values;
    QString sql = statement(filter, &values);
    if (!m_description.order.isEmpty())
        sql += u' ' + m_description.order;
    return m_database.exec(sql, values);
}

QSqlQuery ListQuery::page(const ListFilter &filter, int offset, int count)
{
    QVariantList values;
    QString sql = statement(filter, &values);
    if (!m_description.order.isEmpty())
        sql += u' ' + m_description.order;
    sql += u" limit ? offset ?"_s;
    values.append(count);
    values.append(offset);
    return m_database.exec(sql, values);
}

void ListQuery::load(ResultTableModel &rows, const ListFilter &filter)
{
    QSqlQuery query = run(filter);
    rows.load(query);
}

void ListQuery::loadPaged(ResultTableModel &rows, const ListFilter &filter, int pageSize)
{
    rows.loadPaged([this, filter](int offset, int count) { return page(filter, offset, count); },
                   pageSize);
}

ListQuery::Footers ListQuery::footers(const ListFilter &filter)
{
    QVariantList values;
    const QString rows = u"("_s + statement(filter, &values) + u") as listed"_s;
    const bool postgres = m_database.dialect().isPostgres();
    QString totals = u"select count(*)"_s;
    QVariantList totalValues = values;
    for (const ListColumn &column : m_description.columns) {
        if (column.footer != ListColumn::Footer::Sum)
            continue;
        // The totals of a grouped list are the statement's own columns,
        // numbers made by sum(); the columns of a plain list are checked.
        const bool grouped = !m_description.group.isEmpty();
        const QString name = grouped ? column.column : checkedColumn(column.column);
        if (postgres) {
            totals += u", sum("_s + name + u')';
            continue;
        }
        // SQLite adds REAL values as doubles; whole ten-thousandths add up
        // exactly. A grouped list's totals are numbers already; in a plain
        // list, first, a value that is no amount stops the sum and is
        // named, instead of counting as 0.
        if (grouped) {
            totals += u", sum(cast(round("_s + name + u" * 10000) as integer))"_s;
            continue;
        }
        const QSqlRecord bad = m_database.firstRow(
            u"select "_s + name + u" from "_s + rows + u" where (typeof("_s + name
                + u") = 'text' and trim("_s + name + u") <> '') or abs("_s + name
                + u") >= 9.2e14 limit 1"_s,
            values);
        if (!bad.isEmpty())
            readAmount(bad.value(0), m_description.table, column.column);
        totals += u", sum(cast(round("_s + name + u" * 10000) as integer))"_s;
    }
    const QSqlRecord row = m_database.firstRow(totals + u" from "_s + rows, totalValues);

    Footers footers;
    footers.rows = row.value(0).toInt();
    int sumIndex = 1;
    for (const ListColumn &column : m_description.columns) {
        switch (column.footer) {
        case ListColumn::Footer::Count:
            footers.texts.append(QString::number(footers.rows));
            break;
        case ListColumn::Footer::Sum: {
            const QVariant sum = row.value(sumIndex++);
            const Money total = postgres ? readAmount(sum, m_description.table, column.column)
                                         : Money::fromUnits(sum.toLongLong());
            footers.texts.append(total.toString());
            break;
        }
        case ListColumn::Footer::None:
            footers.texts.append(QString());
            break;
        }
    }
    return footers;
}
