#include "ListQuery.h"

#include "common/Money.h"
#include "common/Refusal.h"
#include "db/Amounts.h"
#include "db/Database.h"
#include "db/ResultTableModel.h"

using namespace Qt::StringLiterals;

namespace {

// LIKE treats "%" and "_" as wildcards; with "\" as the escape they are
// ordinary characters again.
QString likePattern(const QString &value)
{
    QString escaped = value;
    escaped.replace(u'\\', u"\\\\"_s);
    escaped.replace(u'%', u"\\%"_s);
    escaped.replace(u'_', u"\\_"_s);
    return u'%' + escaped + u'%';
}

} // namespace

ListQuery::ListQuery(Database &database, ListSpec spec)
    : m_database(database)
    , m_spec(std::move(spec))
{
}

QString ListQuery::checkedColumn(const QString &name)
{
    if (m_tableColumns.isEmpty())
        m_tableColumns = m_database.columns(m_spec.table);
    for (const QString &column : std::as_const(m_tableColumns)) {
        if (column.compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return column;
    }
    throw Refusal(u"没有这个查询字段: "_s + name);
}

QSqlQuery ListQuery::run(const ListFilter &filter)
{
    QStringList conditions;
    QVariantList values;
    for (const ListFilter::Condition &condition : filter.conditions) {
        const QString column = checkedColumn(condition.column);
        if (condition.match == ListFilter::Match::Contains) {
            conditions.append(column + u" like ? escape '\\'"_s);
            values.append(likePattern(condition.value.toString()));
        } else {
            conditions.append(column + u" = ?"_s);
            values.append(condition.value);
        }
    }
    for (const ListFilter::Range &range : filter.ranges) {
        const QString column = checkedColumn(range.column);
        conditions.append(column + u" >= ? and "_s + column + u" < ?"_s);
        values.append(range.from);
        values.append(range.until);
    }
    QString sql = m_spec.select;
    if (!conditions.isEmpty())
        sql += u" where "_s + conditions.join(u" and "_s);
    if (!m_spec.order.isEmpty())
        sql += u' ' + m_spec.order;
    return m_database.exec(sql, values);
}

QStringList ListQuery::footers(const ListSpec &spec, const ResultTableModel &rows)
{
    QStringList texts;
    for (const ListColumn &column : spec.columns) {
        switch (column.footer) {
        case ListColumn::Footer::Count:
            texts.append(QString::number(rows.rowCount()));
            break;
        case ListColumn::Footer::Sum: {
            Money total;
            for (int row = 0; row < rows.rowCount(); ++row)
                total += readAmount(rows.value(row, column.column), spec.table, column.column);
            texts.append(total.toString());
            break;
        }
        case ListColumn::Footer::None:
            texts.append(QString());
            break;
        }
    }
    return texts;
}
