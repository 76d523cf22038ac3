#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

class Database;
class Dialect;

// The settled lines' totals per day beside jzmx: 项目日汇总 (per goods
// name and type) and 提成日汇总 (per employee). They are a cache of jzmx and
// this is their owner: triggers on jzmx (on PostgreSQL through the function
// jzmx_汇总) add the net change of every insert, deletion and change of a
// counted column, merging on the row's key 键, in which a missing value is
// a value of its own; rebuild() counts them again from the lines and
// verify() holds them against the lines.
//
// On PostgreSQL a change locks only the summary rows of its own days, goods
// and employees, and waits for such a row at most LockTimeout before it
// gives up (SQLSTATE 55P03). Marking lines paid changes no counted column
// and touches no total.
namespace SettledTotals {

inline constexpr auto LockTimeout = u"5s";

// The summary tables and their columns, written as the schema catalogue
// writes columns ("日期 {TS}, 商品名 {TEXT}, …, 键 {TEXT} not null").
QStringList tableNames();
QString columns(const QString &table);
// The unique index on 键 that the triggers merge on, and the index on 日期
// that the windows read a range of days from.
QString keyIndexName(const QString &table);
QString dayIndexName(const QString &table);

// jzmx_汇总_insert, jzmx_汇总_delete, jzmx_汇总_update, all on jzmx.
QStringList triggerNames();
// The statement that creates the trigger, as the database gives it back
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

// For clearing, in the caller's transaction, which must keep the lines
// from other writers (on PostgreSQL the clearing's table locks): the
// triggers stop counting until putBack(). Whoever sets them aside rebuilds
// the totals before putting them back.
void setAside(Database &database);
void putBack(Database &database);

// Counts the totals again from the lines, those of fromDay and later (all
// of them, the days of lines without 消费时间 too, when fromDay is null),
// in the caller's transaction. On PostgreSQL the lines are locked against
// writers first.
void rebuild(Database &database, QDate fromDay = {});
// Where the stored totals differ from the lines, one line of text each
// ("项目日汇总 2024-03-01|…: 行数 2 应为 3, …"), empty when they agree.
// One statement, so it reads one moment of a busy server.
QStringList verify(Database &database);
// For clearing, which has emptied jzmx in the caller's transaction: the
// totals go with the lines, without reading them again.
void emptyWithLines(Database &database);
// verify(), and rebuild() when anything differs; returns what differed.
QStringList mend(Database &database);

} // namespace SettledTotals
