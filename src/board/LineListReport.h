#pragma once

#include "report/ListReport.h"

class OpenLinesModel;

// The printed list behind the board's "打印下表": one row per open line of
// the grid with plate, goods, price, quantity, discount, total, serving
// employee and operator, closed by the print date and time and the sums of
// quantity and total.
namespace LineListReport {

ListReport make(OpenLinesModel &lines);

} // namespace LineListReport
