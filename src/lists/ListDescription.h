#pragma once

#include "SearchBar.h"

#include <QList>
#include <QString>

#include <optional>

// One column of a list window's grid: its heading, the database column it
// shows, and what its footer shows.
struct ListColumn
{
    enum class Footer { None, Count, Sum };

    QString caption;
    QString column;
    Footer footer = Footer::None;
};

// What a list window reads and shows, described rather than coded: the
// statement without its conditions, the table whose columns a search may
// name, the order, and the grid's columns. The result keeps every column
// of the statement, so that "Excel" exports them all.
struct ListDescription
{
    QString table;
    // "select * from 会员管理"
    QString select;
    // "order by 商品名", or empty for the database's order.
    QString order;
    QList<ListColumn> columns;
    // "group by 商品名" for a list of totals, or empty. It follows the
    // search's conditions, which then pick the rows that are totalled; the
    // columns may name the statement's own totals ("sum(数量) as 总数量").
    QString group = {};
    // The search bar the list window builds above the grid; none without.
    std::optional<SearchBar> bar = {};
};
