#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>
#include <QVariant>

// A table of plain values, answering only the display role, the way a
// query result reaches the exporter.
class VariantTableModel final : public QAbstractTableModel
{
public:
    VariantTableModel(QStringList headers, QList<QVariantList> rows)
        : m_headers(std::move(headers)), m_rows(std::move(rows))
    {
    }

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_headers.size());
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        return m_rows.at(index.row()).value(index.column());
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
            return {};
        return m_headers.value(section);
    }

private:
    QStringList m_headers;
    QList<QVariantList> m_rows;
};
