#pragma once

#include <QString>
#include <QStringList>

class Database;
class Dialect;

// The settled lines' totals per day beside jzmx: 项目日汇总 (per goods
// name and type) and 提成日汇总 (per employee), kept in step by triggers on
// jzmx (on PostgreSQL through the function jzmx_汇总). These objects are
// derived from jzmx and are the program's own: they can be built again at
// any time, and their totals recounted from the lines.
namespace SettledTotals {

// The summary tables and their columns, written as the schema catalogue
// writes columns ("日期 {TS}, 商品名 {TEXT}, …").
QStringList tableNames();
QString columns(const QString &table);
// The unique index each summary table is merged on: ux_<table> over 日期
// and the table's keys.
QString indexName(const QString &table);
QStringList indexColumns(const QString &table);

// jzmx_汇总_insert, jzmx_汇总_delete, jzmx_汇总_update, all on jzmx.
QStringList triggerNames();
// The statement that creates the trigger, as the database keeps it
// (SQLite keeps the text; PostgreSQL's pg_get_triggerdef gives back the
// same words).
QString triggerStatement(const Dialect &dialect, const QString &name);
// PostgreSQL: the trigger function and the text of its body (prosrc).
QString functionName();
QString functionBody(const Dialect &dialect);

// Creates the function (PostgreSQL) and the triggers, replacing those of
// the same names.
void createTriggers(Database &database);
void createFunction(Database &database);
// Recounts both summary tables from the lines jzmx holds now.
void recount(Database &database);

} // namespace SettledTotals
