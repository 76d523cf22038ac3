#pragma once

#include "ListFilter.h"
#include "ListDescription.h"

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
    ListQuery(Database &database, ListDescription description);

    const ListDescription &description() const { return m_description; }

    // The rows of the list with the filter's conditions, in the list's order.
    QSqlQuery run(const ListFilter &filter = {});
    // `count` of those rows, from the `offset`th on.
    QSqlQuery page(const ListFilter &filter, int offset, int count);

    // The rows into a model, so that windows never hold a cursor: all at
    // once, or a page at a time as a view scrolls. A paged model reads
    // through this query, which must outlive its loading.
    void load(ResultTableModel &rows, const ListFilter &filter = {});
    void loadPaged(ResultTableModel &rows, const ListFilter &filter, int pageSize);

    // The column as the table spells it; refuses a name that is none of the
    // table's columns with "没有这个查询字段: <name>".
    QString checkedColumn(const QString &name);

    struct Footers
    {
        int rows = 0;
        // One text per grid column: the row count, the exact sum in its
        // shortest form, or empty.
        QStringList texts;
    };
    // The footers of the rows the filter finds, counted and summed by the
    // database in one statement, whatever part of the rows a grid has
    // read. An amount that is no number throws DbError naming the table,
    // the column and the value.
    Footers footers(const ListFilter &filter = {});

private:
    // The statement and its values, without the order.
    QString statement(const ListFilter &filter, QVariantList *values);

    Database &m_database;
    ListDescription m_description;
    QStringList m_tableColumns;
};
