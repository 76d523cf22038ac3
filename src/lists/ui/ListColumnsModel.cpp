#include "ListColumnsModel.h"

#include "db/ResultTableModel.h"

ListColumnsModel::ListColumnsModel(const QList<ListColumn> &columns, ResultTableModel *rows,
                                   QObject *parent)
    : QAbstractTableModel(parent)
    , m_columns(columns)
    , m_rows(rows)
{
    mapColumns();
    connect(m_rows, &QAbstractItemModel::modelAboutToBeReset, this,
            [this] { beginResetModel(); });
    connect(m_rows, &QAbstractItemModel::modelReset, this, [this] {
        mapColumns();
        endResetModel();
    });
    connect(m_rows, &QAbstractItemModel::rowsAboutToBeInserted, this,
            [this](const QModelIndex &, int first, int last) { beginInsertRows({}, first, last); });
    connect(m_rows, &QAbstractItemModel::rowsInserted, this, [this] { endInsertRows(); });
}

bool ListColumnsModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && m_rows->canFetchMore();
}

void ListColumnsModel::fetchMore(const QModelIndex &parent)
{
    if (!parent.isValid())
        m_rows->fetchMore();
}

void ListColumnsModel::mapColumns()
{
    m_sources.clear();
    for (const ListColumn &column : std::as_const(m_columns))
        m_sources.append(m_rows->columnOf(column.column));
}

int ListColumnsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows->rowCount();
}

int ListColumnsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant ListColumnsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.column() >= m_sources.size())
        return {};
    const int source = m_sources.at(index.column());
    if (source < 0)
        return {};
    const QModelIndex cell = m_rows->index(index.row(), source);
    if (role == Qt::TextAlignmentRole) {
        // Numbers line up on the right, as amounts do on paper.
        const QVariant value = m_rows->data(cell, Qt::EditRole);
        const bool number = value.typeId() == QMetaType::Double
            || value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong;
        return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
    }
    return m_rows->data(cell, role);
}

QVariant ListColumnsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < m_columns.size())
        return m_columns.at(section).caption;
    return QAbstractTableModel::headerData(section, orientation, role);
}
