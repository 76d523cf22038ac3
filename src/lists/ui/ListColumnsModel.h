#pragma once

#include "lists/ListDescription.h"

#include <QAbstractTableModel>
#include <QList>

class ResultTableModel;

// The grid's view of a list's rows: the columns the list describes, in its
// order and under its headings, over the full result that "Excel" exports.
class ListColumnsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    ListColumnsModel(const QList<ListColumn> &columns, ResultTableModel *rows,
                     QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // The grid reads further pages of the result as it scrolls.
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

private:
    void mapColumns();

    QList<ListColumn> m_columns;
    ResultTableModel *m_rows;
    // The result column of each grid column; -1 where the result lacks it.
    QList<int> m_sources;
};
