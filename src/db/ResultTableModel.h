#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>
#include <QVariant>

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
    void clear();

    const QStringList &columns() const { return m_columns; }
    int columnOf(const QString &name) const;
    // The raw value as the database gave it.
    QVariant value(int row, const QString &column) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QStringList m_columns;
    QList<bool> m_numeric;
    QList<QVariantList> m_rows;
};
