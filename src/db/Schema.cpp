#include "Schema.h"

#include "Database.h"
#include "DbError.h"
#include "Transaction.h"

#include <QSqlQuery>
#include <QSqlRecord>

using namespace Qt::StringLiterals;

namespace {

struct Table
{
    const char16_t *name;
    const char16_t *columns;
};

// Column kinds in braces are filled in by the dialect. xfmx and jzmx keep
// the same columns in the same order: settlement copies lines by position.
constexpr auto LineColumns = u"号牌 {TEXT}, 主号牌 {TEXT}, 商品名 {TEXT}, 商品类型 {TEXT}, "
                             u"单价 {MONEY}, 实际单价 {MONEY}, 数量 {NUM}, 合计 {MONEY}, 折扣 {NUM}, "
                             u"参与打折 {TEXT}, 提成金额 {MONEY}, TcYf {TEXT}, 员工编号 {TEXT}, "
                             u"员工姓名 {TEXT}, 消费时间 {TS}, 营业员 {TEXT}, 单据号 {TEXT}, "
                             u"会员卡号 {TEXT}, 顾客姓名 {TEXT}, 状态 {TEXT}";

const Table Tables[] = {
    {u"号牌管理",
     u"number {ID}, 号牌 {TEXT} not null unique, 所属包厢 {TEXT}, 号牌状态 {TEXT}, 顾客姓名 {TEXT}, "
     u"押金金额 {MONEY} default 0, 合计金额 {NUM} default 0, 进店时间 {TS}, 备注 {TEXT}, 主号牌 {TEXT}"},
    {u"包厢",
     u"包厢 {TEXT} not null unique, 门票价格 {MONEY} default 0, 最低消费 {NUM} default 0, "
     u"初始费用 {NUM} default 0, 计费方式 {TEXT}"},
    {u"计费设置", u"计费方式 {TEXT}"},
    {u"xfmx", nullptr}, // ID {ID}, then the line columns
    {u"jzmx", nullptr}, // ID {INT}, then the line columns
    {u"结帐管理",
     u"id {ID}, 单据号 {TEXT}, 号牌 {TEXT}, 进店时间 {TS}, 离店时间 {TS}, 结帐时间 {TS}, "
     u"应收金额 {MONEY} default 0, 实收金额 {MONEY} default 0, 卡内扣除 {MONEY} default 0, "
     u"结帐方式 {TEXT}, 状态 {TEXT}, 会员卡号 {TEXT}, 顾客姓名 {TEXT}, 备注 {TEXT}, 营业员 {TEXT}"},
    {u"会员管理",
     u"会员卡号 {TEXT} not null unique, 会员姓名 {TEXT}, 密码 {TEXT}, 会员类型 {TEXT}, 会员性别 {TEXT}, "
     u"出生日期 {TS}, 联系电话 {TEXT}, 备注 {TEXT}, 当前状态 {TEXT}, 卡内金额 {MONEY} default 0, "
     u"当前积分 {NUM} default 0, 登记日期 {TS} {NOW}"},
    {u"会员类型", u"id {ID}, 类型名称 {TEXT}, 初始积分 {NUM} default 0, 打折率 {NUM} default 1"},
    {u"会员充值",
     u"id {ID}, 会员卡号 {TEXT}, 会员姓名 {TEXT}, 会员类型 {TEXT}, 充值金额 {MONEY} default 0, "
     u"充值日期 {TS}, 备注 {TEXT}, 营业员 {TEXT}"},
    {u"商品库",
     u"id {ID}, 编号 {TEXT}, 商品名 {TEXT}, 拼音 {TEXT}, 商品类型 {TEXT}, 单价 {MONEY} default 0, "
     u"提成金额 {MONEY} default 0, 库存 {NUM} default 0, 是否需要服务 {TEXT}, 作者 {TEXT}, "
     u"出版社 {TEXT}, 出版年 {TEXT}, 简介 {TEXT}"},
    {u"商品类型",
     u"名称 {TEXT} not null unique, 库存 {BOOL}, 参与打折 {TEXT} default 'n', 是否需要服务 {BOOL}"},
    {u"进货表",
     u"id {ID}, 商品名 {TEXT}, 拼音 {TEXT}, 进货单价 {MONEY} default 0, 数量 {INT} default 0, "
     u"总进价 {MONEY} default 0, 日期 {TS}, 备注 {TEXT}, 管理员 {TEXT}"},
    {u"员工管理",
     u"员工编号 {TEXT}, 员工姓名 {TEXT}, 性别 {TEXT}, 证件号码 {TEXT}, 联系电话 {TEXT}, 备注 {TEXT}, "
     u"员工等级 {TEXT}"},
    {u"员工等级", u"等级编号 {ID}, 等级名称 {TEXT} not null unique, 工资 {MONEY} default 0"},
    {u"员工工资表",
     u"id {ID}, 员工编号 {TEXT}, 员工姓名 {TEXT}, 员工等级 {TEXT}, 日期 {TS}, 工资 {MONEY} default 0, "
     u"提成 {MONEY} default 0, 合计 {MONEY} default 0, 备注 {TEXT}, 登记人 {TEXT}"},
    {u"管理员", nullptr}, // id (the list order), 用户名, 密码, one yes/no column per right
    {u"日志", u"事件 {TEXT}, 日期 {TS}, 管理员 {TEXT}, 说明 {TEXT}"},
    {u"sysinfo", u"name {TEXT}, tel {TEXT}, \"add\" {TEXT}"},
};

// Every column that a query filters, joins or groups on.
const char16_t *const Indexes[][2] = {
    {u"号牌管理", u"所属包厢"}, {u"号牌管理", u"主号牌"}, {u"号牌管理", u"号牌状态"},
    {u"xfmx", u"号牌"}, {u"xfmx", u"主号牌"}, {u"xfmx", u"单据号"}, {u"xfmx", u"消费时间"},
    {u"xfmx", u"员工编号"}, {u"xfmx", u"商品名"},
    {u"jzmx", u"ID"}, {u"jzmx", u"号牌"}, {u"jzmx", u"主号牌"}, {u"jzmx", u"单据号"},
    {u"jzmx", u"消费时间"}, {u"jzmx", u"员工编号"}, {u"jzmx", u"商品名"}, {u"jzmx", u"会员卡号"},
    {u"结帐管理", u"结帐时间"}, {u"结帐管理", u"号牌"},
    {u"结帐管理", u"会员卡号"},
    {u"会员管理", u"会员类型"}, {u"会员管理", u"会员姓名"},
    {u"会员充值", u"会员卡号"}, {u"会员充值", u"充值日期"},
    {u"商品库", u"商品名"}, {u"商品库", u"拼音"}, {u"商品库", u"编号"}, {u"商品库", u"商品类型"},
    {u"进货表", u"商品名"}, {u"进货表", u"日期"},
    {u"员工管理", u"员工编号"}, {u"员工管理", u"员工等级"},
    {u"员工工资表", u"员工编号"}, {u"员工工资表", u"日期"},
    {u"日志", u"日期"},
};

QString fill(const Dialect &dialect, QString columns)
{
    columns.replace(u"{ID}"_s, dialect.identityKey());
    columns.replace(u"{TEXT}"_s, dialect.textType());
    columns.replace(u"{MONEY}"_s, dialect.moneyType());
    columns.replace(u"{NUM}"_s, dialect.numberType());
    columns.replace(u"{INT}"_s, dialect.integerType());
    columns.replace(u"{BOOL}"_s, dialect.booleanType());
    columns.replace(u"{TS}"_s, dialect.timestampType());
    columns.replace(u"{NOW}"_s, dialect.nowDefault());
    return columns;
}

QString columnsOf(const Table &table)
{
    const QString name = QString::fromUtf16(table.name);
    if (name == u"xfmx")
        return u"ID {ID}, "_s + QString::fromUtf16(LineColumns);
    if (name == u"jzmx")
        return u"ID {INT}, "_s + QString::fromUtf16(LineColumns);
    if (name == u"管理员") {
        QString columns = u"id {ID}, 用户名 {TEXT} not null unique, 密码 {TEXT}"_s;
        for (const QString &right : Schema::rightColumns())
            columns += u", "_s + right + u" {BOOL}"_s;
        return columns;
    }
    return QString::fromUtf16(table.columns);
}

void createVersion1(Database &database)
{
    const Dialect &dialect = database.dialect();
    for (const Table &table : Tables) {
        const QString name = QString::fromUtf16(table.name);
        if (database.hasTable(name))
            continue;
        database.exec(u"create table "_s + name + u" ("_s + fill(dialect, columnsOf(table)) + u")"_s);
    }
    for (const auto &index : Indexes) {
        const QString table = QString::fromUtf16(index[0]);
        const QString column = QString::fromUtf16(index[1]);
        database.exec(u"create index if not exists ix_"_s + table + u'_' + column + u" on "_s + table
                      + u" ("_s + column + u')');
    }
}

// Version 2: rooms keep the order they were set up in. Without a column of
// its own, PostgreSQL handed a room back at the end of the list after any
// update of it, and the board's tabs moved.
void addRoomOrder(Database &database)
{
    if (database.hasColumn(u"包厢"_s, u"排序"_s))
        return;
    database.exec(u"alter table 包厢 add column 排序 integer not null default 0"_s);
    if (database.dialect().isPostgres()) {
        database.exec(u"update 包厢 set 排序 = o.n from "
                      "(select ctid, row_number() over (order by ctid) as n from 包厢) o "
                      "where 包厢.ctid = o.ctid"_s);
    } else {
        database.exec(u"update 包厢 set 排序 = rowid"_s);
    }
}

// Bill numbers become unique. Numbers made from month, hour, minute and
// second repeated across the days of a month; each later bill of such a
// pair is renumbered "number-id", and the settled lines it owns (those
// booked between its entry and its checkout) follow it. Lines outside
// every window stay with the first bill.
void makeBillNumbersUnique(Database &database)
{
    QList<std::pair<int, QString>> repeated;
    QSqlQuery query = database.exec(
        u"select id, 单据号 from 结帐管理 where 单据号 in "
        "(select 单据号 from 结帐管理 group by 单据号 having count(*) > 1) order by 单据号, id"_s);
    QString previous;
    while (query.next()) {
        const QString number = query.value(1).toString();
        if (number == previous)
            repeated.append({query.value(0).toInt(), number});
        previous = number;
    }
    for (const auto &[id, number] : repeated) {
        const QString renumbered = number + u'-' + QString::number(id);
        const QSqlRecord bill = database.firstRow(
            u"select 进店时间, 结帐时间 from 结帐管理 where id=?"_s, {id});
        database.execute(u"update 结帐管理 set 单据号=? where id=?"_s, {renumbered, id});
        const QVariant from = bill.value(0);
        const QVariant to = bill.value(1);
        if (!from.isNull() && !to.isNull()) {
            database.execute(u"update jzmx set 单据号=? where 单据号=? and 消费时间 >= ? "
                             "and 消费时间 <= ?"_s,
                             {renumbered, number, from, to});
        }
    }
    database.exec(u"drop index if exists ix_结帐管理_单据号"_s);
    database.exec(u"create unique index if not exists ux_结帐管理_单据号 on 结帐管理 (单据号)"_s);
}

// Version 4: what the bill windows filter and sort on. The bill list reads
// its pages latest checkout first, ties broken by id; the bill line search
// asks for an employee's lines, by number or name, over a time range among
// a million lines, where either index alone leaves tens of thousands of
// rows to look at.
void addBillIndexes(Database &database)
{
    database.exec(u"create index if not exists ix_结帐管理_结帐时间_id on 结帐管理 (结帐时间, id)"_s);
    database.exec(u"create index if not exists ix_jzmx_员工编号_消费时间 on jzmx (员工编号, 消费时间)"_s);
    database.exec(u"create index if not exists ix_jzmx_员工姓名_消费时间 on jzmx (员工姓名, 消费时间)"_s);
}

// Version 5: the item statistics and the commission totals add up the
// settled lines of a range of days. Read from jzmx itself, that is a pass
// over every line of the range: with a million lines, seconds on a busy
// machine. So jzmx keeps its totals per day beside it, in 项目日汇总 (per
// goods name and type) and 提成日汇总 (per employee), and the windows add
// up days instead of lines. Triggers keep them in step with every insert,
// change and deletion of a settled line, whichever part of the program or
// which workstation makes it. 日期 is the midnight of the line's own
// 消费时间, null for a line without one; 行数 counts the lines, so a group
// whose lines were all taken back (行数 0) is known to be empty.
//
// An employee's commission (unpaid lines for a salary, every line for the
// commission details and their footers) is read from an index that holds
// all it needs, in the details' order, without visiting the lines.
namespace SettledTotals {

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
QString columns(const Summary &summary)
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
    return u"insert into "_s + QString::fromUtf16(summary.table) + u' ' + columns(summary)
           + u" select 日期, "_s + keys + u", sum(行数)"_s + sums + u" from ("_s + from
           + u") as lines where true group by 日期, "_s + keys + u" order by 日期, "_s + keys
           + merge(summary);
}

void createTables(Database &database)
{
    const Dialect &dialect = database.dialect();
    for (const Summary &summary : Summaries) {
        const QString table = QString::fromUtf16(summary.table);
        QString definition = u"日期 {TS}"_s;
        for (const QString &key : split(summary.keys))
            definition += u", "_s + key + u" {TEXT}"_s;
        definition += u", 行数 {INT} not null default 0"_s;
        for (const QString &amount : split(summary.amounts))
            definition += u", "_s + amount + u" {MONEY} not null default 0"_s;
        database.exec(u"create table if not exists "_s + table + u" ("_s + fill(dialect, definition)
                      + u')');
        database.exec(u"create unique index if not exists ux_"_s + table + u" on "_s + table
                      + u" (日期, "_s + QString::fromUtf16(summary.keys) + u')');
        // What the lines hold now.
        database.execute(u"delete from "_s + table);
        database.exec(addGrouped(summary, linesOf(dialect, summary, u"jzmx"_s, QString())));
    }
}

void createSqliteTriggers(Database &database)
{
    const Dialect &dialect = database.dialect();
    const auto upsert = [&](const QString &row, const QString &sign) {
        QString statements;
        for (const Summary &summary : Summaries) {
            statements += u"insert into "_s + QString::fromUtf16(summary.table) + u' '
                          + columns(summary) + u" values ("_s
                          + lineValues(dialect, summary, row, sign, false) + u')' + merge(summary)
                          + u"; "_s;
        }
        return statements;
    };
    database.exec(u"create trigger if not exists jzmx_汇总_insert after insert on jzmx begin "_s
                  + upsert(u"new."_s, QString()) + u"end"_s);
    database.exec(u"create trigger if not exists jzmx_汇总_delete after delete on jzmx begin "_s
                  + upsert(u"old."_s, u"-"_s) + u"end"_s);
    database.exec(u"create trigger if not exists jzmx_汇总_update after update of 消费时间, 商品名, "
                  "商品类型, 数量, 合计, 员工编号, 提成金额 on jzmx begin "_s
                  + upsert(u"old."_s, u"-"_s) + upsert(u"new."_s, QString()) + u"end"_s);
}

void createPostgresTriggers(Database &database)
{
    const Dialect &dialect = database.dialect();
    // Statement by statement: a settlement's lines are added up once, and
    // clearing the history takes one pass, not a call per line.
    const auto body = [&](bool added, bool removed) {
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
    };
    QString function =
        u"create or replace function jzmx_汇总() returns trigger language plpgsql as $body$ begin "_s;
    function += u"if tg_op = 'INSERT' then if not exists (select 1 from added) then return null; "
                "end if; elsif tg_op = 'DELETE' then if not exists (select 1 from removed) then "
                "return null; end if; elsif not exists (select 1 from added) then return null; end if; "_s;
    function += u"perform pg_advisory_xact_lock("_s + QString::fromUtf16(PostgresLock) + u"); "_s;
    function += u"if tg_op = 'INSERT' then "_s + body(true, false) + u"elsif tg_op = 'DELETE' then "_s
                + body(false, true) + u"else "_s + body(true, true) + u"end if; "_s;
    function += u"return null; end $body$"_s;
    database.exec(function);
    const std::pair<const char16_t *, const char16_t *> triggers[] = {
        {u"insert", u"new table as added"},
        {u"delete", u"old table as removed"},
        {u"update", u"old table as removed new table as added"},
    };
    for (const auto &[event, tables] : triggers) {
        const QString name = u"jzmx_汇总_"_s + QString::fromUtf16(event);
        database.exec(u"drop trigger if exists "_s + name + u" on jzmx"_s);
        database.exec(u"create trigger "_s + name + u" after "_s + QString::fromUtf16(event)
                      + u" on jzmx referencing "_s + QString::fromUtf16(tables)
                      + u" for each statement execute function jzmx_汇总()"_s);
    }
}

} // namespace SettledTotals

void addSettledTotals(Database &database)
{
    SettledTotals::createTables(database);
    if (database.dialect().isPostgres())
        SettledTotals::createPostgresTriggers(database);
    else
        SettledTotals::createSqliteTriggers(database);
    database.exec(u"create index if not exists ix_jzmx_commission on jzmx (员工编号, ID, TcYf, 提成金额)"_s);
}

// Whether the database holds any table at all (SQLite's own bookkeeping
// tables aside).
bool hasAnyTable(Database &database)
{
    if (database.dialect().isPostgres()) {
        return database.exists(u"select 1 from information_schema.tables "
                               "where table_schema = current_schema()"_s);
    }
    return database.exists(u"select 1 from sqlite_master "
                           "where type in ('table', 'view') and name not like 'sqlite\\_%' escape '\\'"_s);
}

void refuseNewer(Database &database, int stored)
{
    if (stored > Schema::CurrentVersion)
        throw DbError(u"数据库版本高于程序版本，请升级程序。（"_s + database.displayName() + u"）"_s);
}

// Write-ahead logging lets the board read while the checkout writes. The
// mode is kept in the file, so it is set on the program's own databases
// only, never on a file that start-up went on to refuse.
void useWriteAheadLog(Database &database)
{
    if (!database.dialect().isPostgres() && !database.inTransaction())
        database.exec(u"pragma journal_mode = wal"_s);
}

} // namespace

namespace Schema {

bool isInstalled(Database &database)
{
    return database.hasTable(u"schema_version"_s);
}

void create(Database &database)
{
    if (hasAnyTable(database)) {
        throw DbError(database.displayName()
                      + u" 中已经有别的数据表，不能在其中新建本程序的数据库。"_s);
    }
    ensure(database);
}

void upgrade(Database &database)
{
    if (!isInstalled(database)) {
        if (!hasAnyTable(database)) {
            throw DbError(database.displayName()
                          + u" 是空的，没有本店的数据。请先用 salondesk-setup 建立数据库。"_s);
        }
        throw DbError(database.displayName() + u" 不是本程序的数据库。"_s);
    }
    const int stored = version(database);
    refuseNewer(database, stored);
    useWriteAheadLog(database);
    if (stored == CurrentVersion && isComplete(database))
        return;
    ensure(database);
}

QStringList rightColumns()
{
    return {u"收银结算"_s, u"消费管理"_s, u"来宾登记"_s, u"营业查询"_s, u"会员管理"_s,
            u"数据初始化"_s, u"管理员设置"_s, u"会员开户"_s, u"会员充值"_s, u"退回库存"_s,
            u"商品管理"_s, u"商品类型"_s, u"号牌管理"_s, u"员工管理"_s, u"数据备份"_s,
            u"数据恢复"_s, u"免单"_s, u"撤单"_s, u"会员修改"_s, u"会员删除"_s,
            u"营业项目修改"_s, u"营业项目删除"_s, u"商品进货"_s};
}

QStringList lineColumns()
{
    QStringList names;
    for (const QString &column : QString::fromUtf16(LineColumns).split(u',')) {
        names.append(column.trimmed().section(u' ', 0, 0));
    }
    return names;
}

QStringList tableNames()
{
    QStringList names;
    for (const Table &table : Tables)
        names.append(QString::fromUtf16(table.name));
    return names;
}

int version(Database &database)
{
    if (!database.hasTable(u"schema_version"_s))
        return 0;
    return database.scalar(u"select max(version) from schema_version"_s).toInt();
}

bool isComplete(Database &database)
{
    for (const QString &table : tableNames()) {
        if (!database.hasTable(table))
            return false;
    }
    return true;
}

void ensure(Database &database)
{
    useWriteAheadLog(database);
    Transaction transaction(database);
    database.exec(u"create table if not exists schema_version (version integer not null)"_s);
    const int from = version(database);
    refuseNewer(database, from);
    // A database made before the version table existed, or by hand, gets
    // whatever tables it lacks; existing tables are left as they are.
    if (from < 1 || !isComplete(database))
        createVersion1(database);
    if (from < 2)
        addRoomOrder(database);
    if (from < 3)
        makeBillNumbersUnique(database);
    if (from < 4)
        addBillIndexes(database);
    if (from < 5)
        addSettledTotals(database);
    // Later versions add their steps here: if (from < 6) { ... }
    if (from < CurrentVersion) {
        database.execute(u"delete from schema_version"_s);
        database.execute(u"insert into schema_version (version) values (?)"_s, {CurrentVersion});
    }
    transaction.commit();
}

} // namespace Schema
