#include "ResultTableModel.h"

#include "Amounts.h"
#include "common/DateFormat.h"

#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

void ResultTableModel::takeColumns(const QSqlQuery &query)
{
    const QSqlRecord record = query.record();
    for (int i = 0; i < record.count(); ++i) {
        m_columns.append(record.fieldName(i));
        m_numeric.append(record.field(i).metaType().id() == QMetaType::Double);
    }
}

int ResultTableModel::appendRows(QSqlQuery &query)
{
    int appended = 0;
    while (query.next()) {
        QVariantList row;
        row.reserve(m_columns.size());
        for (int i = 0; i < m_columns.size(); ++i)
            row.append(query.value(i));
        m_rows.append(row);
        ++appended;
    }
    return appended;
}

void ResultTableModel::load(QSqlQuery &query)
{
    beginResetModel();
    m_page = {};
    m_more = false;
    m_columns.clear();
    m_numeric.clear();
    m_rows.clear();
    takeColumns(query);
    appendRows(query);
    endResetModel();
}

void ResultTableModel::loadPaged(PageReader page, int pageSize)
{
    // The first page is read before anything changes: when it fails, the
    // rows shown stay as they were.
    QSqlQuery first = page(0, pageSize);
    beginResetModel();
    m_page = std::move(page);
    m_pageSize = pageSize;
    m_columns.clear();
    m_numeric.clear();
    m_rows.clear();
    takeColumns(first);
    m_more = appendRows(first) == pageSize;
    endResetModel();
}

bool ResultTableModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && m_more;
}

void ResultTableModel::fetchMore(const QModelIndex &parent)
{
    if (parent.isValid() || !m_more)
        return;
    // Called by views and exporters that cannot take an exception: a
    // failure ends the paging and is reported by a signal.
    m_more = false;
    QSqlQuery next;
    try {
        next = m_page(static_cast<int>(m_rows.size()), m_pageSize);
    } catch (const std::exception &error) {
        emit fetchFailed(QString::fromUtf8(error.what()));
        return;
    }
    const int first = static_cast<int>(m_rows.size());
    // Read first, so that views hear of exactly the rows that arrive.
    QList<QVariantList> page;
    while (next.next()) {
        QVariantList row;
        row.reserve(m_columns.size());
        for (int i = 0; i < m_columns.size(); ++i)
            row.append(next.value(i));
        page.append(row);
    }
    if (page.isEmpty())
        return;
    beginInsertRows({}, first, first + static_cast<int>(page.size()) - 1);
    m_rows.append(page);
    endInsertRows();
    m_more = page.size() == m_pageSize;
}

void ResultTableModel::clear()
{
    beginResetModel();
    m_page = {};
    m_more = false;
    m_columns.clear();
    m_numeric.clear();
    m_rows.clear();
    endResetModel();
}

int ResultTableModel::columnOf(const QString &name) const
{
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_columns.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QVariant ResultTableModel::value(int row, const QString &column) const
{
    const int index = columnOf(column);
    if (row < 0 || row >= m_rows.size() || index < 0)
        return {};
    return m_rows.at(row).at(index);
}

int ResultTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int ResultTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant ResultTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size() || index.column() >= m_columns.size())
        return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    const QVariant value = m_rows.at(index.row()).at(index.column());
    if (value.isNull())
        return role == Qt::DisplayRole ? QVariant(QString()) : QVariant();
    const bool display = role == Qt::DisplayRole;
    if (value.typeId() == QMetaType::Double
        || (m_numeric.at(index.column()) && value.typeId() == QMetaType::QString)) {
        // Painting must never fail: what is not an amount shows as stored.
        if (const auto amount = tryReadAmount(value))
            return display ? QVariant(amount->toString()) : QVariant(amount->toDouble());
        return QVariant(value.toString());
    }
    if (value.typeId() == QMetaType::QDateTime) {
        return display ? QVariant(DateFormat::dateTimeText(value.toDateTime())) : value;
    }
    return display ? QVariant(value.toString()) : value;
}

QVariant ResultTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section >= m_columns.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    return m_columns.at(section);
}
