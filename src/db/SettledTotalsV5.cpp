#include "SettledTotalsV5.h"

#include "Database.h"
#include "Dialect.h"
#include "SchemaCatalogue.h"

using namespace Qt::StringLiterals;

// The daily totals exactly as version 5 made them, kept apart from the
// current ones (SettledTotals) so that the step that made them stays as it
// was released. Version 6 replaces the triggers, the function and the
// tables' key.
namespace SettledTotalsV5 {

namespace {

// One writer of the totals at a time on PostgreSQL, taken by the first
// change of jzmx and held to the end of its transaction: two settlements
// of plate groups add to the same days' rows statement by statement, and
// would otherwise lock them in opposite orders.
constexpr auto PostgresLock = u"20240901";

struct Summary
{
    const char16_t *table;
    const char16_t *keys;     // besides 日期
    const char16_t *amounts;  // summed
};

const Summary Summaries[] = {
    {u"项目日汇总", u"商品名, 商品类型", u"数量, 合计"},
    {u"提成日汇总", u"员工编号", u"提成金额"},
};

// What a change of these columns does to the totals; a change of any
// other column leaves them as they are.
constexpr auto CountedColumns = u"消费时间, 商品名, 商品类型, 数量, 合计, 员工编号, 提成金额";

QStringList split(const char16_t *names)
{
    return QString::fromUtf16(names).split(u", "_s);
}

QString dayOf(const Dialect &dialect, const QString &moment)
{
    if (dialect.isPostgres())
        return u"date_trunc('day', "_s + moment + u')';
    return u"datetime(date("_s + moment + u"))"_s;
}

// "on conflict (日期, …) do update set 行数 = 行数 + excluded.行数, …"
QString merge(const Summary &summary)
{
    const QString table = QString::fromUtf16(summary.table);
    QString sql = u" on conflict (日期, "_s + QString::fromUtf16(summary.keys)
                  + u") do update set 行数 = "_s + table + u".行数 + excluded.行数"_s;
    for (const QString &amount : split(summary.amounts)) {
        sql += u", "_s + amount + u" = round("_s + table + u'.' + amount + u" + excluded."_s
               + amount + u", 4)"_s;
    }
    return sql;
}

// The summary's columns in the order the statements below fill them.
QString columnList(const Summary &summary)
{
    return u"(日期, "_s + QString::fromUtf16(summary.keys) + u", 行数, "_s
           + QString::fromUtf16(summary.amounts) + u')';
}

// The values one line adds (sign "") or takes away (sign "-"), the line's
// columns prefixed with `row` ("new.", "old." or nothing); `named` gives
// them the summary's column names, for a select.
QString lineValues(const Dialect &dialect, const Summary &summary, const QString &row,
                   const QString &sign, bool named)
{
    const auto as = [named](const QString &name) { return named ? u" as "_s + name : QString(); };
    QStringList values{dayOf(dialect, row + u"消费时间"_s) + as(u"日期"_s)};
    for (const QString &key : split(summary.keys))
        values.append(row + key);
    values.append(sign + u'1' + as(u"行数"_s));
    for (const QString &amount : split(summary.amounts))
        values.append(sign + u"coalesce("_s + row + amount + u", 0)"_s + as(amount));
    return values.join(u", "_s);
}

// The values of every line of a table (jzmx, or PostgreSQL's transition
// tables), as lineValues.
QString linesOf(const Dialect &dialect, const Summary &summary, const QString &table,
                const QString &sign)
{
    return u"select "_s + lineValues(dialect, summary, QString(), sign, true) + u" from "_s + table;
}

// Adds up the lines a select of linesOf gives, day by day, into the
// summary.
QString addGrouped(const Summary &summary, const QString &from)
{
    const QString keys = QString::fromUtf16(summary.keys);
    QString sums;
    for (const QString &amount : split(summary.amounts))
        sums += u", round(sum("_s + amount + u"), 4)"_s;
    // Grouped, so no statement meets one row twice; in key order, as the
    // days' rows are locked. "where true" keeps SQLite from reading the
    // "on conflict" as a join's "on".
    return u"insert into "_s + QString::fromUtf16(summary.table) + u' ' + columnList(summary)
           + u" select 日期, "_s + keys + u", sum(行数)"_s + sums + u" from ("_s + from
           + u") as lines where true group by 日期, "_s + keys + u" order by 日期, "_s + keys
           + merge(summary);
}

// SQLite: the statements of a row trigger's body.
QString sqliteUpsert(const Dialect &dialect, const QString &row, const QString &sign)
{
    QString statements;
    for (const Summary &summary : Summaries) {
        statements += u"insert into "_s + QString::fromUtf16(summary.table) + u' '
                      + columnList(summary) + u" values ("_s
                      + lineValues(dialect, summary, row, sign, false) + u')' + merge(summary)
                      + u"; "_s;
    }
    return statements;
}

// PostgreSQL: statement by statement, so a settlement's lines are added up
// once, and clearing the history takes one pass, not a call per line.
QString postgresBody(const Dialect &dialect, bool added, bool removed)
{
    QString statements;
    for (const Summary &summary : Summaries) {
        QStringList parts;
        if (added)
            parts.append(linesOf(dialect, summary, u"added"_s, QString()));
        if (removed)
            parts.append(linesOf(dialect, summary, u"removed"_s, u"-"_s));
        statements += addGrouped(summary, parts.join(u" union all "_s)) + u"; "_s;
    }
    return statements;
}

QString event(const QString &trigger)
{
    return trigger.section(u'_', -1);
}

} // namespace

namespace {

QStringList triggerNames()
{
    return {u"jzmx_汇总_insert"_s, u"jzmx_汇总_delete"_s, u"jzmx_汇总_update"_s};
}

QString functionBody(const Dialect &dialect)
{
    QString body = u" begin if tg_op = 'INSERT' then if not exists (select 1 from added) then "
                   "return null; end if; elsif tg_op = 'DELETE' then if not exists (select 1 from "
                   "removed) then return null; end if; elsif not exists (select 1 from added) then "
                   "return null; end if; "_s;
    body += u"perform pg_advisory_xact_lock("_s + QString::fromUtf16(PostgresLock) + u"); "_s;
    body += u"if tg_op = 'INSERT' then "_s + postgresBody(dialect, true, false)
            + u"elsif tg_op = 'DELETE' then "_s + postgresBody(dialect, false, true) + u"else "_s
            + postgresBody(dialect, true, true) + u"end if; "_s;
    body += u"return null; end "_s;
    return body;
}

QString triggerStatement(const Dialect &dialect, const QString &name)
{
    const QString kind = event(name);
    if (dialect.isPostgres()) {
        const QString tables = kind == u"insert"   ? u"new table as added"_s
                               : kind == u"delete" ? u"old table as removed"_s
                                                   : u"old table as removed new table as added"_s;
        return u"create trigger "_s + name + u" after "_s + kind + u" on jzmx referencing "_s
               + tables + u" for each statement execute function jzmx_汇总()"_s;
    }
    QString body;
    if (kind == u"insert")
        body = sqliteUpsert(dialect, u"new."_s, QString());
    else if (kind == u"delete")
        body = sqliteUpsert(dialect, u"old."_s, u"-"_s);
    else
        body = sqliteUpsert(dialect, u"old."_s, u"-"_s) + sqliteUpsert(dialect, u"new."_s, QString());
    QString on = kind + u" on jzmx"_s;
    if (kind == u"update")
        on = u"update of "_s + QString::fromUtf16(CountedColumns) + u" on jzmx"_s;
    return u"create trigger "_s + name + u" after "_s + on + u" begin "_s + body + u"end"_s;
}

QString columns(const Summary &summary)
{
    QString definition = u"日期 {TS}"_s;
    for (const QString &key : split(summary.keys))
        definition += u", "_s + key + u" {TEXT}"_s;
    definition += u", 行数 {INT} not null default 0"_s;
    for (const QString &amount : split(summary.amounts))
        definition += u", "_s + amount + u" {MONEY} not null default 0"_s;
    return definition;
}

} // namespace

void add(Database &database)
{
    const Dialect &dialect = database.dialect();
    for (const Summary &summary : Summaries) {
        const QString table = QString::fromUtf16(summary.table);
        database.exec(u"create table if not exists "_s + table + u" ("_s
                      + SchemaCatalogue::fill(dialect, columns(summary)) + u')');
        database.exec(u"create unique index if not exists ux_"_s + table + u" on "_s + table
                      + u" (日期, "_s + QString::fromUtf16(summary.keys) + u')');
    }
    // What the lines hold now.
    for (const Summary &summary : Summaries) {
        database.execute(u"delete from "_s + QString::fromUtf16(summary.table));
        database.exec(addGrouped(summary, linesOf(dialect, summary, u"jzmx"_s, QString())));
    }
    if (dialect.isPostgres()) {
        database.exec(u"create or replace function jzmx_汇总() returns trigger language plpgsql "
                      "as $body$"_s
                      + functionBody(dialect) + u"$body$"_s);
    }
    for (const QString &name : triggerNames()) {
        database.exec(u"drop trigger if exists "_s + name
                      + (dialect.isPostgres() ? u" on jzmx"_s : QString()));
        database.exec(triggerStatement(dialect, name));
    }
}

} // namespace SettledTotalsV5
