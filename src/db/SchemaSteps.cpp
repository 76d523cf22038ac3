#include "SchemaSteps.h"

#include "Database.h"
#include "SchemaCatalogue.h"
#include "SettledTotals.h"
#include "SettledTotalsV5.h"

#include <QSqlQuery>
#include <QSqlRecord>

using namespace Qt::StringLiterals;

namespace SchemaSteps {

namespace {

struct Table
{
    const char16_t *name;
    const char16_t *columns;
};

constexpr auto V1LineColumns = u"号牌 {TEXT}, 主号牌 {TEXT}, 商品名 {TEXT}, 商品类型 {TEXT}, "
                               u"单价 {MONEY}, 实际单价 {MONEY}, 数量 {NUM}, 合计 {MONEY}, 折扣 {NUM}, "
                               u"参与打折 {TEXT}, 提成金额 {MONEY}, TcYf {TEXT}, 员工编号 {TEXT}, "
                               u"员工姓名 {TEXT}, 消费时间 {TS}, 营业员 {TEXT}, 单据号 {TEXT}, "
                               u"会员卡号 {TEXT}, 顾客姓名 {TEXT}, 状态 {TEXT}";

// The right columns of 管理员 in version 1.
constexpr const char16_t *V1Rights[] = {
    u"收银结算", u"消费管理", u"来宾登记", u"营业查询", u"会员管理", u"数据初始化", u"管理员设置",
    u"会员开户", u"会员充值", u"退回库存", u"商品管理", u"商品类型", u"号牌管理", u"员工管理",
    u"数据备份", u"数据恢复", u"免单", u"撤单", u"会员修改", u"会员删除", u"营业项目修改",
    u"营业项目删除", u"商品进货"};

const Table V1Tables[] = {
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

const char16_t *const V1Indexes[][2] = {
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

QString v1ColumnsOf(const Table &table)
{
    const QString name = QString::fromUtf16(table.name);
    if (name == u"xfmx")
        return u"ID {ID}, "_s + QString::fromUtf16(V1LineColumns);
    if (name == u"jzmx")
        return u"ID {INT}, "_s + QString::fromUtf16(V1LineColumns);
    if (name == u"管理员") {
        QString columns = u"id {ID}, 用户名 {TEXT} not null unique, 密码 {TEXT}"_s;
        for (const char16_t *right : V1Rights)
            columns += u", "_s + QString::fromUtf16(right) + u" {BOOL}"_s;
        return columns;
    }
    return QString::fromUtf16(table.columns);
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

// Version 3: bill numbers become unique. Numbers made from month, hour,
// minute and second repeated across the days of a month; each later bill
// of such a pair is renumbered "number-id", and the settled lines it owns
// (those booked between its entry and its checkout) follow it. Lines
// outside every window stay with the first bill.
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
// machine. So jzmx keeps its totals per day beside it (SettledTotalsV5),
// and the windows add up days instead of lines. Triggers keep them in step
// with every insert, change and deletion of a settled line, whichever part
// of the program or which workstation makes it. 日期 is the midnight of
// the line's own 消费时间, null for a line without one; 行数 counts the
// lines, so a group whose lines were all taken back (行数 0) is known to
// be empty.
//
// An employee's commission (unpaid lines for a salary, every line for the
// commission details and their footers) is read from an index that holds
// all it needs, in the details' order, without visiting the lines.
void addSettledTotals(Database &database)
{
    SettledTotalsV5::add(database);
    database.exec(u"create index if not exists ix_jzmx_commission on jzmx (员工编号, ID, TcYf, 提成金额)"_s);
}

// Version 6: the daily totals stop making workstations wait for each
// other. Version 5's triggers took one lock for every change of jzmx on
// PostgreSQL and held it to the commit, so a checkout waited for a salary
// payment, a reversal or a clearing of any other employee and day; its
// update trigger counted every line a salary payment marked paid again; and
// its key over 日期 and the key columns never merged rows whose key held a
// null. The totals now merge on one key column 键, in which a missing value
// is a value of its own; a change locks only the summary rows of its own
// keys, and a change of no counted column touches no total. The tables are
// derived, so they are made anew and counted again from the lines.
void keySettledTotals(Database &database)
{
    const Dialect &dialect = database.dialect();
    for (const QString &trigger : {u"jzmx_汇总_insert"_s, u"jzmx_汇总_delete"_s, u"jzmx_汇总_update"_s})
        database.exec(u"drop trigger if exists "_s + trigger + (dialect.isPostgres() ? u" on jzmx"_s : QString()));
    const char16_t *const Tables[][2] = {
        {u"项目日汇总", u"日期 {TS}, 商品名 {TEXT}, 商品类型 {TEXT}, 行数 {INT} not null default 0, "
                        u"数量 {MONEY} not null default 0, 合计 {MONEY} not null default 0, "
                        u"键 {TEXT} not null"},
        {u"提成日汇总", u"日期 {TS}, 员工编号 {TEXT}, 行数 {INT} not null default 0, "
                        u"提成金额 {MONEY} not null default 0, 键 {TEXT} not null"},
    };
    for (const auto &table : Tables) {
        const QString name = QString::fromUtf16(table[0]);
        database.exec(u"drop table if exists "_s + name);
        database.exec(u"create table "_s + name + u" ("_s
                      + SchemaCatalogue::fill(dialect, QString::fromUtf16(table[1])) + u')');
        database.exec(u"create unique index ux_"_s + name + u"_键 on "_s + name + u" (键)"_s);
        database.exec(u"create index ix_"_s + name + u"_日期 on "_s + name + u" (日期)"_s);
    }
    SettledTotals::createTriggers(database);
    SettledTotals::rebuild(database);
}

bool hasEveryV1Table(Database &database)
{
    for (const Table &table : V1Tables) {
        if (!database.hasTable(QString::fromUtf16(table.name)))
            return false;
    }
    return true;
}

} // namespace

void createVersion1(Database &database)
{
    const Dialect &dialect = database.dialect();
    for (const Table &table : V1Tables) {
        const QString name = QString::fromUtf16(table.name);
        if (database.hasTable(name))
            continue;
        database.exec(u"create table "_s + name + u" ("_s
                      + SchemaCatalogue::fill(dialect, v1ColumnsOf(table)) + u")"_s);
    }
    for (const auto &index : V1Indexes) {
        const QString table = QString::fromUtf16(index[0]);
        const QString column = QString::fromUtf16(index[1]);
        database.exec(u"create index if not exists ix_"_s + table + u'_' + column + u" on "_s + table
                      + u" ("_s + column + u')');
    }
}

void run(Database &database, int from)
{
    // A database made before the version table existed, or by hand, gets
    // whatever tables it lacks; existing tables are left as they are.
    if (from < 1 || !hasEveryV1Table(database))
        createVersion1(database);
    if (from < 2)
        addRoomOrder(database);
    if (from < 3)
        makeBillNumbersUnique(database);
    if (from < 4)
        addBillIndexes(database);
    if (from < 5)
        addSettledTotals(database);
    if (from < 6)
        keySettledTotals(database);
    // Later versions add their steps here: if (from < 7) { ... }
}

} // namespace SchemaSteps
