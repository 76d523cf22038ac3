#include "ListWindow.h"

#include "FooterBar.h"
#include "ListColumnsModel.h"
#include "SearchBarWidget.h"
#include "common/Clock.h"
#include "common/ui/Attempt.h"
#include "common/ui/GridLook.h"
#include "db/ChangeFeed.h"
#include "db/ResultTableModel.h"
#include "export/ui/ExcelExport.h"
#include "report/ListReport.h"
#include "report/ui/ReportPreview.h"
#include "session/Session.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

ListWindow::ListWindow(Session &session, ListDescription description, QWidget *parent)
    : QDialog(parent)
    , m_session(session)
    , m_query(session.db(), std::move(description))
    , m_rows(new ResultTableModel(this))
    , m_columns(new ListColumnsModel(m_query.description().columns, m_rows, this))
    , m_toolbar(new QToolBar(this))
    , m_layout(new QVBoxLayout(this))
    , m_grid(new QTableView(this))
    , m_footer(new FooterBar(m_grid, this))
{
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_grid->setModel(m_columns);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setWordWrap(false);
    GridLook::setUp(m_grid);
    connect(m_rows, &ResultTableModel::fetchFailed, this,
            [this](const QString &text) { m_session.prompt.message(text, {}, Prompt::Kind::Error); });

    m_layout->setContentsMargins(4, 0, 4, 4);
    m_layout->setSpacing(4);
    m_layout->addWidget(m_toolbar);
    if (const std::optional<SearchBar> &bar = m_query.description().bar) {
        m_bar = new SearchBarWidget(*bar, session.clock.now().date(), this);
        connect(m_bar, &SearchBarWidget::pressed, this, [this](const QString &id) {
            if (id == QStringView(SearchBar::Search))
                search();
            else if (const auto handler = m_barHandlers.value(id))
                handler();
        });
        m_layout->addWidget(m_bar);
    }
    m_layout->addWidget(m_grid, 1);
    m_layout->addWidget(m_footer);
    resize(960, 600);
}

ListWindow::~ListWindow() = default;

QAction *ListWindow::addButton(const QString &caption, std::function<void()> handler)
{
    QAction *button = m_toolbar->addAction(caption);
    button->setObjectName(caption);
    connect(button, &QAction::triggered, this, [handler = std::move(handler)] { handler(); });
    return button;
}

QAction *ListWindow::action(const QString &caption) const
{
    for (QAction *button : m_toolbar->actions()) {
        if (button->text() == caption)
            return button;
    }
    return nullptr;
}

void ListWindow::setSearchBar(QWidget *bar)
{
    m_layout->insertWidget(1, bar);
}

void ListWindow::onBarButton(const QString &id, std::function<void()> handler)
{
    m_barHandlers.insert(id, std::move(handler));
}

std::optional<ListFilter> ListWindow::searchFilter() const
{
    return m_bar->description().filter(m_bar->input());
}

void ListWindow::search()
{
    if (!m_bar)
        return;
    const auto filter = fetch(m_session.prompt, [this] { return searchFilter(); });
    if (!filter || !*filter)
        return;
    const std::optional<int> found = load(**filter);
    const QString &nothingFound = m_bar->description().nothingFound;
    if (found && *found == 0 && !nothingFound.isEmpty())
        m_session.prompt.message(nothingFound);
}

std::optional<int> ListWindow::load(const ListFilter &filter)
{
    // Counts and sums come from the database over every row the filter
    // finds; the grid reads the rows a page at a time as it scrolls, so a
    // list of 100,000 members opens as fast as one of ten.
    const std::optional<ListQuery::Footers> footers =
        fetch(m_session.prompt, [&] { return m_query.footers(filter); });
    if (!footers)
        return std::nullopt;
    const bool loaded = attempt(m_session.prompt, [&] {
        m_query.loadPaged(*m_rows, filter, PageSize);
    });
    if (!loaded)
        return std::nullopt;
    m_filter = filter;
    m_loaded = true;
    m_footer->setTexts(footers->texts);
    if (m_rows->rowCount() > 0)
        m_grid->selectRow(0);
    return footers->rows;
}

void ListWindow::followChanges(Changes changes)
{
    if (!m_session.changes)
        return;
    connect(m_session.changes, &ChangeFeed::changed, this, [this, changes](Changes heard) {
        // A list not shown or not read yet has nothing stale to show.
        if (!(heard & changes) || !m_loaded || !isVisible())
            return;
        const int scroll = m_grid->verticalScrollBar()->value();
        if (refresh())
            m_grid->verticalScrollBar()->setValue(scroll);
    });
}

std::optional<int> ListWindow::refresh()
{
    const QVariant current = hasCurrentRow() ? currentValue(m_rows->columns().value(0)) : QVariant();
    const std::optional<int> count = load(m_filter);
    if (count && current.isValid())
        selectRow(m_rows->columns().value(0), current);
    return count;
}

bool ListWindow::hasCurrentRow() const
{
    const QModelIndex current = m_grid->currentIndex();
    return current.isValid() && current.row() < m_rows->rowCount();
}

QVariant ListWindow::currentValue(const QString &column) const
{
    if (!hasCurrentRow())
        return {};
    return m_rows->value(m_grid->currentIndex().row(), column);
}

bool ListWindow::selectRow(const QString &column, const QVariant &value)
{
    for (int row = 0; row < m_rows->rowCount(); ++row) {
        if (m_rows->value(row, column) == value) {
            m_grid->selectRow(row);
            return true;
        }
    }
    return false;
}

void ListWindow::printList(ListReport report)
{
    report.setModel(m_rows);
    ReportPreview::exec(report, m_session.clock, this);
}

void ListWindow::exportList()
{
    if (!m_rows->canFetchMore()) {
        ExcelExport::run(this, m_session.prompt, m_session.opener, *m_rows);
        return;
    }
    // The rows the grid has not read yet come in one statement: page after
    // page, each skipping all the rows before it, a list of 100,000 bills
    // took seconds more to read than to write.
    ResultTableModel whole;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool read = attempt(m_session.prompt, [&] { m_query.load(whole, m_filter); });
    QApplication::restoreOverrideCursor();
    if (read)
        ExcelExport::run(this, m_session.prompt, m_session.opener, whole);
}
