#include "SettledTotals.h"

#include "Database.h"
#include "Dialect.h"
#include "Transaction.h"

#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace SettledTotals {

namespace {

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
// other column (TcYf above all: a salary payment) leaves them as they are.
constexpr auto CountedColumns = u"消费时间, 商品名, 商品类型, 数量, 合计, 员工编号, 提成金额";

const Summary &summaryOf(const QString &table)
{
    for (const Summary &summary : Summaries) {
        if (table == QString::fromUtf16(summary.table))
            return summary;
    }
    return Summaries[0];
}

QStringList split(const char16_t *names)
{
    return QString::fromUtf16(names).split(u", "_s);
}

QString tableOf(const Summary &summary)
{
    return QString::fromUtf16(summary.table);
}

QString dayOf(const Dialect &dialect, const QString &moment)
{
    if (dialect.isPostgres())
        return u"date_trunc('day', "_s + moment + u')';
    return u"datetime(date("_s + moment + u"))"_s;
}

// The row's key: its day and its key columns, each written so that a
// missing value ("-") differs from every value, the empty text too, and no
// two keys run into each other (a text goes with its length).
QString keyOf(const Dialect &dialect, const Summary &summary, const QString &row)
{
    const QString moment = row + u"消费时间"_s;
    QString key = dialect.isPostgres() ? u"coalesce(to_char("_s + moment + u", 'YYYY-MM-DD'), '-')"_s
                                       : u"coalesce(date("_s + moment + u"), '-')"_s;
    for (const QString &column : split(summary.keys)) {
        key += u" || '|' || coalesce(length("_s + row + column + u") || ':' || "_s + row + column
               + u", '-')"_s;
    }
    return key;
}

// The summary's columns in the order the statements below fill them.
QString columnList(const Summary &summary)
{
    return u"(日期, "_s + QString::fromUtf16(summary.keys) + u", 行数, "_s
           + QString::fromUtf16(summary.amounts) + u", 键)"_s;
}

// The values one line adds (sign "") or takes away (sign "-"), the line's
// columns prefixed with `row` ("new.", "old." or nothing), named as the
// summary's columns.
QString lineValues(const Dialect &dialect, const Summary &summary, const QString &row,
                   const QString &sign)
{
    QStringList values{dayOf(dialect, row + u"消费时间"_s) + u" as 日期"_s};
    for (const QString &key : split(summary.keys))
        values.append(row + key + u" as "_s + key);
    values.append(sign + u"1 as 行数"_s);
    for (const QString &amount : split(summary.amounts))
        values.append(sign + u"coalesce("_s + row + amount + u", 0) as "_s + amount);
    values.append(keyOf(dialect, summary, row) + u" as 键"_s);
    return values.join(u", "_s);
}

QString linesOf(const Dialect &dialect, const Summary &summary, const QString &table,
                const QString &sign)
{
    return u"select "_s + lineValues(dialect, summary, QString(), sign) + u" from "_s + table;
}

// Adds the net change of the lines a select of lineValues gives, key by
// key, to the summary: a key whose change comes to nothing is not touched
// (nor locked); the others in key order, as every writer locks them, one
// statement per change of jzmx.
QString addGrouped(const Summary &summary, const QString &from)
{
    const QString table = tableOf(summary);
    QString sums;
    QString changed = u"sum(行数) <> 0"_s;
    QString merge = u" on conflict (键) do update set 行数 = "_s + table + u".行数 + excluded.行数"_s;
    for (const QString &amount : split(summary.amounts)) {
        sums += u", round(sum("_s + amount + u"), 4)"_s;
        changed += u" or round(sum("_s + amount + u"), 4) <> 0"_s;
        merge += u", "_s + amount + u" = round("_s + table + u'.' + amount + u" + excluded."_s
                 + amount + u", 4)"_s;
    }
    const QString keys = QString::fromUtf16(summary.keys);
    // 键 stands for the day and the keys; "where true" keeps SQLite from
    // reading the "on conflict" as a join's "on".
    return u"insert into "_s + table + u' ' + columnList(summary) + u" select 日期, "_s + keys
           + u", sum(行数)"_s + sums + u", 键 from ("_s + from
           + u") as lines where true group by 键, 日期, "_s + keys + u" having "_s + changed
           + u" order by 键"_s + merge;
}

// SQLite: one line's upsert into each summary.
QString sqliteUpsert(const Dialect &dialect, const QString &row, const QString &sign)
{
    QString statements;
    for (const Summary &summary : Summaries) {
        QString merge = u" on conflict (键) do update set 行数 = "_s + tableOf(summary)
                        + u".行数 + excluded.行数"_s;
        for (const QString &amount : split(summary.amounts)) {
            merge += u", "_s + amount + u" = round("_s + tableOf(summary) + u'.' + amount
                     + u" + excluded."_s + amount + u", 4)"_s;
        }
        QString values = lineValues(dialect, summary, row, sign);
        statements += u"insert into "_s + tableOf(summary) + u' ' + columnList(summary)
                      + u" select "_s + values + u" where true"_s + merge + u"; "_s;
    }
    return statements;
}

// A change of a line as the change of its old values away and its new ones
// in, added up per key.
QString changeOf(const Dialect &dialect, const Summary &summary)
{
    return u"select "_s + lineValues(dialect, summary, u"old."_s, u"-"_s) + u" union all select "_s
           + lineValues(dialect, summary, u"new."_s, QString());
}

// "old.消费时间 is distinct from new.消费时间 or …"
QString countedChange(const Dialect &dialect)
{
    QStringList changes;
    for (const QString &column : split(CountedColumns)) {
        if (dialect.isPostgres())
            changes.append(u"(old."_s + column + u" is distinct from new."_s + column + u')');
        else
            changes.append(u"old."_s + column + u" is not new."_s + column);
    }
    return changes.join(u" or "_s);
}

QString event(const QString &trigger)
{
    return trigger.section(u'_', -1);
}

} // namespace

QStringList tableNames()
{
    QStringList names;
    for (const Summary &summary : Summaries)
        names.append(tableOf(summary));
    return names;
}

QString columns(const QString &table)
{
    const Summary &summary = summaryOf(table);
    QString definition = u"日期 {TS}"_s;
    for (const QString &key : split(summary.keys))
        definition += u", "_s + key + u" {TEXT}"_s;
    definition += u", 行数 {INT} not null default 0"_s;
    for (const QString &amount : split(summary.amounts))
        definition += u", "_s + amount + u" {MONEY} not null default 0"_s;
    return definition + u", 键 {TEXT} not null"_s;
}

QString keyIndexName(const QString &table)
{
    return u"ux_"_s + table + u"_键"_s;
}

QString dayIndexName(const QString &table)
{
    return u"ix_"_s + table + u"_日期"_s;
}

QStringList triggerNames()
{
    return {u"jzmx_汇总_insert"_s, u"jzmx_汇总_delete"_s, u"jzmx_汇总_update"_s};
}

QString functionName()
{
    return u"jzmx_汇总"_s;
}

QString functionBody(const Dialect &dialect)
{
    // Lines inserted or deleted come statement by statement (a settlement's
    // lines, a reversal's, all at once); a changed line comes on its own,
    // and only when a counted column changed.
    QString body = u" begin if tg_level = 'ROW' then "_s;
    for (const Summary &summary : Summaries)
        body += addGrouped(summary, changeOf(dialect, summary)) + u"; "_s;
    body += u"elsif tg_op = 'INSERT' then "_s;
    for (const Summary &summary : Summaries)
        body += addGrouped(summary, linesOf(dialect, summary, u"added"_s, QString())) + u"; "_s;
    body += u"else "_s;
    for (const Summary &summary : Summaries)
        body += addGrouped(summary, linesOf(dialect, summary, u"removed"_s, u"-"_s)) + u"; "_s;
    body += u"end if; return null; end "_s;
    return body;
}

QString triggerStatement(const Dialect &dialect, const QString &name)
{
    const QString kind = event(name);
    if (dialect.isPostgres()) {
        if (kind == u"update") {
            return u"create trigger "_s + name + u" after update on jzmx for each row when (("_s
                   + countedChange(dialect) + u")) execute function "_s + functionName() + u"()"_s;
        }
        const QString table = kind == u"insert" ? u"new table as added"_s : u"old table as removed"_s;
        return u"create trigger "_s + name + u" after "_s + kind + u" on jzmx referencing "_s
               + table + u" for each statement execute function "_s + functionName() + u"()"_s;
    }
    if (kind == u"insert") {
        return u"create trigger "_s + name + u" after insert on jzmx begin "_s
               + sqliteUpsert(dialect, u"new."_s, QString()) + u"end"_s;
    }
    if (kind == u"delete") {
        return u"create trigger "_s + name + u" after delete on jzmx begin "_s
               + sqliteUpsert(dialect, u"old."_s, u"-"_s) + u"end"_s;
    }
    QString body;
    for (const Summary &summary : Summaries)
        body += addGrouped(summary, changeOf(dialect, summary)) + u"; "_s;
    return u"create trigger "_s + name + u" after update of "_s + QString::fromUtf16(CountedColumns)
           + u" on jzmx when "_s + countedChange(dialect) + u" begin "_s + body + u"end"_s;
}

void createFunction(Database &database)
{
    database.exec(u"create or replace function "_s + functionName()
                  + u"() returns trigger language plpgsql set lock_timeout = '"_s
                  + QString::fromUtf16(LockTimeout) + u"' as $body$"_s
                  + functionBody(database.dialect()) + u"$body$"_s);
}

void createTriggers(Database &database)
{
    const Dialect &dialect = database.dialect();
    if (dialect.isPostgres())
        createFunction(database);
    for (const QString &name : triggerNames()) {
        database.exec(u"drop trigger if exists "_s + name
                      + (dialect.isPostgres() ? u" on jzmx"_s : QString()));
        database.exec(triggerStatement(dialect, name));
    }
}

void setAside(Database &database)
{
    // SQLite takes the triggers out and builds them again, both inside the
    // transaction; PostgreSQL switches them off under the lock the caller
    // holds on jzmx, which nobody else sees before the commit.
    for (const QString &name : triggerNames()) {
        if (database.dialect().isPostgres())
            database.exec(u"alter table jzmx disable trigger "_s + name);
        else
            database.exec(u"drop trigger if exists "_s + name);
    }
}

void putBack(Database &database)
{
    if (!database.dialect().isPostgres()) {
        createTriggers(database);
        return;
    }
    for (const QString &name : triggerNames())
        database.exec(u"alter table jzmx enable trigger "_s + name);
}

void rebuild(Database &database, QDate fromDay)
{
    const Dialect &dialect = database.dialect();
    Transaction transaction(database);
    if (dialect.isPostgres()) {
        // Writers of lines first, as they lock, then the totals: a line
        // settled meanwhile would be counted twice or not at all.
        database.exec(u"lock table jzmx in share row exclusive mode"_s);
        for (const Summary &summary : Summaries)
            database.exec(u"lock table "_s + tableOf(summary) + u" in exclusive mode"_s);
    }
    const QVariantList day = fromDay.isNull() ? QVariantList{}
                                              : QVariantList{QDateTime(fromDay, QTime(0, 0))};
    const QString since = fromDay.isNull() ? QString() : u" where 日期 >= ?"_s;
    for (const Summary &summary : Summaries) {
        database.execute(u"delete from "_s + tableOf(summary) + since, day);
        const QString lines = linesOf(dialect, summary, u"jzmx"_s, QString());
        database.execute(addGrouped(summary, fromDay.isNull()
                                                 ? lines
                                                 : u"select * from ("_s + lines
                                                       + u") as dated where 日期 >= ?"_s),
                         day);
    }
    transaction.commit();
}

void emptyWithLines(Database &database)
{
    for (const Summary &summary : Summaries)
        database.execute(u"delete from "_s + tableOf(summary));
}

QStringList verify(Database &database)
{
    const Dialect &dialect = database.dialect();
    QStringList differences;
    for (const Summary &summary : Summaries) {
        const QStringList amounts = split(summary.amounts);
        // Stored and counted side by side, per key; rows of nothing (all
        // their lines taken back) count as no row.
        QString stored = u"select 键, 行数 as s行数, 0 as c行数"_s;
        QString counted = u"select "_s + keyOf(dialect, summary, QString()) + u", 0, 1"_s;
        QString select = u"select 键, sum(s行数), sum(c行数)"_s;
        QString differ = u"sum(s行数) <> sum(c行数)"_s;
        for (const QString &amount : amounts) {
            stored += u", "_s + amount + u" as s"_s + amount + u", 0 as c"_s + amount;
            counted += u", 0, coalesce("_s + amount + u", 0)"_s;
            select += u", round(sum(s"_s + amount + u"), 4), round(sum(c"_s + amount + u"), 4)"_s;
            differ += u" or round(sum(s"_s + amount + u") - sum(c"_s + amount + u"), 4) <> 0"_s;
        }
        const QString sql = select + u" from ("_s + stored + u" from "_s + tableOf(summary)
                            + u" union all "_s + counted + u" from jzmx) as both_sides "_s
                            + u"group by 键 having "_s + differ + u" order by 键"_s;
        QSqlQuery query = database.exec(sql);
        while (query.next()) {
            QString text = tableOf(summary) + u' ' + query.value(0).toString() + u": 行数 "_s
                           + query.value(1).toString() + u" 应为 "_s + query.value(2).toString();
            for (qsizetype i = 0; i < amounts.size(); ++i) {
                text += u", "_s + amounts.at(i) + u' ' + query.value(3 + 2 * i).toString()
                        + u" 应为 "_s + query.value(4 + 2 * i).toString();
            }
            differences.append(text);
        }
    }
    return differences;
}

QStringList mend(Database &database)
{
    const QStringList differences = verify(database);
    if (!differences.isEmpty())
        rebuild(database);
    return differences;
}

} // namespace SettledTotals
