#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>
#include <QVariant>

#include <functional>

class QSqlQuery;

// The rows of a "select *" as list windows show and export them: every
// column under its database name. In the edit role amounts are numbers
// (PostgreSQL hands numeric over as text) and date-times are date-times; the display role shows them as the program
// writes them ("28.05", "2024-03-01 08:00:00"). A value in an amount column
// that is not a number ("abc" kept by SQLite, NaN, infinity) shows as its
// raw text in both roles.
class ResultTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    // Reads every row of an executed query.
    void load(QSqlQuery &query);
    // Reads the rows a page at a time: the first page now, each further one
    // when a view scrolls to the end or a print or export asks for every
    // row. `page` runs the statement for `count` rows from `offset`.
    using PageReader = std::function<QSqlQuery(int offset, int count)>;
    void loadPaged(PageReader page, int pageSize);
    void clear();

    bool canFetchMore(const QModelIndex &parent = {}) const override;
    void fetchMore(const QModelIndex &parent = {}) override;

    const QStringList &columns() const { return m_columns; }
    int columnOf(const QString &name) const;
    // The raw value as the database gave it.
    QVariant value(int row, const QString &column) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

signals:
    // A further page could not be read; no more are asked for.
    void fetchFailed(const QString &text);

private:
    // Reads the query's columns, when the model has none yet.
    void takeColumns(const QSqlQuery &query);
    // Appends the query's rows; the number appended.
    int appendRows(QSqlQuery &query);

    PageReader m_page;
    int m_pageSize = 0;
    bool m_more = false;
    QStringList m_columns;
    QList<bool> m_numeric;
    QList<QVariantList> m_rows;
};
