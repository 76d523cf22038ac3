#pragma once

class Database;

// Version 5's daily totals, frozen with the step that made them: the
// tables 项目日汇总 and 提成日汇总 with their unique index over 日期 and
// the keys, counted from the lines jzmx holds, and the triggers (on
// PostgreSQL with their function jzmx_汇总) that kept them in step.
namespace SettledTotalsV5 {

void add(Database &database);

} // namespace SettledTotalsV5
