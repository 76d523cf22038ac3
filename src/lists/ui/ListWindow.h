#pragma once

#include "lists/ListFilter.h"
#include "lists/ListQuery.h"
#include "db/Changes.h"

#include <QDialog>

#include <QHash>

#include <functional>
#include <memory>
#include <optional>

class FooterBar;
class ListColumnsModel;
class ListReport;
class QAction;
class QTableView;
class QToolBar;
class QVBoxLayout;
class ResultTableModel;
class SearchBarWidget;
struct Session;

// The window every list of the program is: a toolbar of its own buttons, the
// search bar its description has, a grid of the list's columns with a footer
// of counts and sums, printing and Excel. A list window is its
// ListDescription plus its buttons; this class does the rest.
class ListWindow : public QDialog
{
    Q_OBJECT

public:
    ListWindow(Session &session, ListDescription description, QWidget *parent = nullptr);
    ~ListWindow() override;

    // Reads the list with the filter and keeps the filter for refresh().
    // The number of rows the filter finds, or nothing when it failed (the
    // failure shown; the grid keeps what it showed).
    std::optional<int> load(const ListFilter &filter = {});
    // Reads again with the filter of the last load.
    std::optional<int> refresh();
    const ListFilter &filter() const { return m_filter; }

    // The current row's value of a database column; null without a row.
    QVariant currentValue(const QString &column) const;
    bool hasCurrentRow() const;
    // Makes the first row whose column holds the value current.
    bool selectRow(const QString &column, const QVariant &value);

    QToolBar *toolbar() const { return m_toolbar; }
    QAction *action(const QString &caption) const;
    QTableView *grid() const { return m_grid; }
    FooterBar *footer() const { return m_footer; }
    // Every column of the result, as "Excel" exports it.
    ResultTableModel *rows() const { return m_rows; }
    ListQuery &query() { return m_query; }
    // The bar the description asks for; null without one.
    SearchBarWidget *searchBar() const { return m_bar; }

public slots:
    // The bar's search: the list with the conditions its boxes ask for. A
    // refusal is shown and the grid keeps its rows; a search that finds no
    // row says so where the bar has words for it.
    void search();

public:

    // Prints the report over the full result, in the print preview.
    void printList(ListReport report);
    // Exports every column of the result.
    void exportList();

protected:
    // A toolbar button; its caption names it for action().
    QAction *addButton(const QString &caption, std::function<void()> handler);
    // A panel of the window's own above the grid, for a list without a
    // described search bar.
    void setSearchBar(QWidget *bar);
    // What the bar's button with this id does.
    void onBarButton(const QString &id, std::function<void()> handler);
    // The conditions of a search from the bar; nothing when it does nothing.
    // Throws Refusal. A window with choices beyond the bar adds them here.
    virtual std::optional<ListFilter> searchFilter() const;
    // Reads the list again, keeping its current row and scroll position,
    // whenever the change feed announces one of `changes` (committed here
    // or at another workstation) while the window is shown and has loaded.
    void followChanges(Changes changes);

    Session &m_session;

private:
    // Rows read at a time as the grid scrolls.
    static constexpr int PageSize = 500;

    ListQuery m_query;
    ListFilter m_filter;
    ResultTableModel *m_rows;
    ListColumnsModel *m_columns;
    QToolBar *m_toolbar;
    QVBoxLayout *m_layout;
    QTableView *m_grid;
    FooterBar *m_footer;
    SearchBarWidget *m_bar = nullptr;
    QHash<QString, std::function<void()>> m_barHandlers;
    bool m_loaded = false;
};
