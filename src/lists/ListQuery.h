#pragma once

#include "ListFilter.h"
#include "ListSpec.h"

#include <QSqlQuery>
#include <QStringList>

class Database;
class ResultTableModel;

// Runs the statement of a list window with a search's conditions. A column
// the operator typed is checked against the table's real columns before it
// reaches a statement; values are always bound. Refusals throw Refusal,
// database errors DbError.
class ListQuery
{
public:
    ListQuery(Database &database, ListSpec spec);

    const ListSpec &spec() const { return m_spec; }

    // The rows of the list with the filter's conditions, in the list's order.
    QSqlQuery run(const ListFilter &filter = {});

    // The column as the table spells it; refuses a name that is none of the
    // table's columns with "没有这个查询字段: <name>".
    QString checkedColumn(const QString &name);

    // The footer texts of the grid's columns over the loaded rows: the row
    // count, the exact sum (shortest form), or empty. An amount that is no
    // number throws DbError naming the table, the column and the value.
    static QStringList footers(const ListSpec &spec, const ResultTableModel &rows);

private:
    Database &m_database;
    ListSpec m_spec;
    QStringList m_tableColumns;
};
