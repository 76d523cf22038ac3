#include "OpenLinesModel.h"

#include "common/DateFormat.h"
#include "db/Amounts.h"

using namespace Qt::StringLiterals;

void OpenLinesModel::setLines(QList<OpenLine> lines, std::optional<QString> plate)
{
    beginResetModel();
    m_lines = std::move(lines);
    m_plate = std::move(plate);
    endResetModel();
}

Money OpenLinesModel::quantitySum() const
{
    Money sum;
    for (const OpenLine &line : m_lines)
        sum += readAmount(line.quantity, u"xfmx"_s, u"数量"_s);
    return sum;
}

Money OpenLinesModel::totalSum() const
{
    Money sum;
    for (const OpenLine &line : m_lines)
        sum += readAmount(line.total, u"xfmx"_s, u"合计"_s);
    return sum;
}

int OpenLinesModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_lines.size());
}

int OpenLinesModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString OpenLinesModel::columnName(int column)
{
    switch (column) {
    case Goods: return u"商品名"_s;
    case Price: return u"单价"_s;
    case DiscountRate: return u"打折率"_s;
    case Quantity: return u"数量"_s;
    case Total: return u"合计"_s;
    case Time: return u"消费时间"_s;
    case EmployeeNumber: return u"员工编号"_s;
    case EmployeeName: return u"员工姓名"_s;
    case Operator: return u"营业员"_s;
    case Plate: return u"号牌"_s;
    case Discount: return u"折扣"_s;
    default: return {};
    }
}

QVariant OpenLinesModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_lines.size())
        return {};
    if (role == Qt::TextAlignmentRole) {
        const int column = index.column();
        const bool number = column == Price || column == Quantity || column == Total
            || column == Discount;
        return QVariant::fromValue(Qt::Alignment(number ? Qt::AlignRight | Qt::AlignVCenter
                                                        : Qt::AlignLeft | Qt::AlignVCenter));
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    const OpenLine &line = m_lines.at(index.row());
    const bool display = role == Qt::DisplayRole;
    auto amount = [display](const QVariant &value) -> QVariant {
        // NULL is 0, as everywhere amounts are read.
        const auto number = value.isNull() ? std::optional(Money()) : tryReadAmount(value);
        if (!number)
            return value.toString();
        return display ? QVariant(number->toString()) : QVariant(number->toDouble());
    };
    switch (index.column()) {
    case Goods: return line.goods;
    case Price: return amount(line.price);
    case DiscountRate: return QVariant();
    case Quantity: return amount(line.quantity);
    case Total: return amount(line.total);
    case Time:
        if (!line.time.isValid())
            return QVariant();
        return display ? QVariant(DateFormat::dateTimeText(line.time)) : QVariant(line.time);
    case EmployeeNumber: return line.employeeNumber;
    case EmployeeName: return line.employeeName;
    case Operator: return line.operatorName;
    case Plate: return line.plate;
    case Discount: return amount(line.discount);
    default: return {};
    }
}

QVariant OpenLinesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return columnName(section);
}

OpenLinesGrid::OpenLinesGrid(OpenLinesModel *lines, QObject *parent)
    : QSortFilterProxyModel(parent)
{
    setSourceModel(lines);
}

bool OpenLinesGrid::filterAcceptsColumn(int sourceColumn, const QModelIndex &) const
{
    return sourceColumn < OpenLinesModel::GridColumns;
}
