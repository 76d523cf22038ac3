#include "LineListReport.h"

#include "OpenLinesModel.h"

using namespace Qt::StringLiterals;

namespace LineListReport {

ListReport make(OpenLinesModel &lines)
{
    ListReport report;
    report.setModel(&lines);
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    report.addColumn({u"号牌"_s, OpenLinesModel::Plate, 1});
    report.addColumn({u"商品名"_s, OpenLinesModel::Goods, 2});
    report.addColumn({u"单价"_s, OpenLinesModel::Price, 1, right});
    report.addColumn({u"数量"_s, OpenLinesModel::Quantity, 0.8, right});
    report.addColumn({u"折"_s, OpenLinesModel::Discount, 0.6, right});
    report.addColumn({u"合计"_s, OpenLinesModel::Total, 1, right});
    report.addColumn({u"服务生"_s, OpenLinesModel::EmployeeName, 1});
    report.addColumn({u"营业员"_s, OpenLinesModel::Operator, 1});
    report.addClosingLine(u"[DATE] [TIME]  数量:[SUM(数量)]  合计:[SUM(合计)] 元"_s);
    return report;
}

} // namespace LineListReport
