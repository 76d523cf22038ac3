#pragma once

#include "common/Money.h"
#include "stores/LineStore.h"

#include <QAbstractTableModel>
#include <QDateTime>
#include <QSortFilterProxyModel>
#include <QList>
#include <QVariant>

#include <optional>

// The board's open lines. The first GridColumns columns are the grid's (see
// OpenLinesGrid); the two after them carry the plate and the discount factor
// for the printed list. 打折率 has no stored column and reads empty.
//
// Display text uses the shortest money form and "yyyy-MM-dd hh:mm:ss"; the
// edit role holds the typed value (numbers and date-times). An amount that
// is no number reads as its stored text in both.
class OpenLinesModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column {
        Goods, Price, DiscountRate, Quantity, Total, Time, EmployeeNumber, EmployeeName,
        Operator,
        Plate, Discount,
        ColumnCount
    };
    static constexpr int GridColumns = Plate;

    using QAbstractTableModel::QAbstractTableModel;

    // The lines of `plate`, or of every plate when there is none.
    void setLines(QList<OpenLine> lines, std::optional<QString> plate = std::nullopt);
    const QList<OpenLine> &lines() const { return m_lines; }
    // Whose lines these are: one plate's, or nothing for all plates'.
    const std::optional<QString> &plate() const { return m_plate; }

    // Sums over the rows, for the printed list's closing band. An amount
    // that is no number throws DbError naming it.
    Money quantitySum() const;
    Money totalSum() const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    static QString columnName(int column);

private:
    QList<OpenLine> m_lines;
    std::optional<QString> m_plate;
};

// The grid's columns of the open lines: what the board shows and exports.
class OpenLinesGrid : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit OpenLinesGrid(OpenLinesModel *lines, QObject *parent = nullptr);

protected:
    bool filterAcceptsColumn(int sourceColumn, const QModelIndex &sourceParent) const override;
};
