#include "SchemaCatalogue.h"

#include "Dialect.h"
#include "Schema.h"
#include "SettledTotals.h"

using namespace Qt::StringLiterals;

namespace SchemaCatalogue {

namespace {

// xfmx and jzmx keep the same columns in the same order: settlement copies
// lines by position.
constexpr auto LineColumns = u"号牌 {TEXT}, 主号牌 {TEXT}, 商品名 {TEXT}, 商品类型 {TEXT}, "
                             u"单价 {MONEY}, 实际单价 {MONEY}, 数量 {NUM}, 合计 {MONEY}, 折扣 {NUM}, "
                             u"参与打折 {TEXT}, 提成金额 {MONEY}, TcYf {TEXT}, 员工编号 {TEXT}, "
                             u"员工姓名 {TEXT}, 消费时间 {TS}, 营业员 {TEXT}, 单据号 {TEXT}, "
                             u"会员卡号 {TEXT}, 顾客姓名 {TEXT}, 状态 {TEXT}";

struct Written
{
    const char16_t *name;
    const char16_t *columns;
};

// The shop's tables as they are now. xfmx, jzmx and 管理员 are written out
// below.
const Written ShopTables[] = {
    {u"号牌管理",
     u"number {ID}, 号牌 {TEXT} not null unique, 所属包厢 {TEXT}, 号牌状态 {TEXT}, 顾客姓名 {TEXT}, "
     u"押金金额 {MONEY} default 0, 合计金额 {NUM} default 0, 进店时间 {TS}, 备注 {TEXT}, 主号牌 {TEXT}"},
    // 排序: rooms keep the order they were set up in.
    {u"包厢",
     u"包厢 {TEXT} not null unique, 门票价格 {MONEY} default 0, 最低消费 {NUM} default 0, "
     u"初始费用 {NUM} default 0, 计费方式 {TEXT}, 排序 {INT} not null default 0"},
    {u"计费设置", u"计费方式 {TEXT}"},
    {u"xfmx", nullptr},
    {u"jzmx", nullptr},
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
    {u"管理员", nullptr},
    {u"日志", u"事件 {TEXT}, 日期 {TS}, 管理员 {TEXT}, 说明 {TEXT}"},
    {u"sysinfo", u"name {TEXT}, tel {TEXT}, \"add\" {TEXT}"},
};

// Every column that a query filters, joins or groups on, as ix_<table>_<column>.
const char16_t *const SingleIndexes[][2] = {
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

QString columnsOf(const Written &table)
{
    const QString name = QString::fromUtf16(table.name);
    if (name == u"xfmx")
        return u"ID {ID}, "_s + QString::fromUtf16(LineColumns);
    // A settled line keeps the number it had while open.
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

Table parse(const QString &name, const QString &columns)
{
    Table table;
    table.name = name;
    for (const QString &part : columns.split(u", "_s)) {
        Column column;
        column.definition = part.trimmed();
        column.name = column.definition.section(u' ', 0, 0);
        column.name.remove(u'"');
        table.columns.append(column);
    }
    return table;
}

QList<Table> buildTables()
{
    QList<Table> tables{parse(u"schema_version"_s, u"version {INT} not null"_s)};
    for (const Written &written : ShopTables) {
        tables.append(parse(QString::fromUtf16(written.name), columnsOf(written)));
        if (tables.constLast().name == u"管理员")
            tables.last().rebuildable = false;
    }
    for (const QString &name : SettledTotals::tableNames())
        tables.append(parse(name, SettledTotals::columns(name)));
    return tables;
}

QList<Index> buildIndexes()
{
    QList<Index> indexes;
    for (const auto &single : SingleIndexes) {
        const QString table = QString::fromUtf16(single[0]);
        const QString column = QString::fromUtf16(single[1]);
        indexes.append({u"ix_"_s + table + u'_' + column, table, {column}, false});
    }
    // Bill numbers are unique.
    indexes.append({u"ux_结帐管理_单据号"_s, u"结帐管理"_s, {u"单据号"_s}, true});
    // The bill list reads its pages latest checkout first, ties broken by
    // id; the bill line search asks for an employee's lines, by number or
    // name, over a time range.
    indexes.append({u"ix_结帐管理_结帐时间_id"_s, u"结帐管理"_s, {u"结帐时间"_s, u"id"_s}, false});
    indexes.append({u"ix_jzmx_员工编号_消费时间"_s, u"jzmx"_s, {u"员工编号"_s, u"消费时间"_s}, false});
    indexes.append({u"ix_jzmx_员工姓名_消费时间"_s, u"jzmx"_s, {u"员工姓名"_s, u"消费时间"_s}, false});
    // The daily totals merge on their key; the windows read a range of days.
    for (const QString &table : SettledTotals::tableNames()) {
        indexes.append({SettledTotals::keyIndexName(table), table, {u"键"_s}, true});
        indexes.append({SettledTotals::dayIndexName(table), table, {u"日期"_s}, false});
    }
    // An employee's commission, read without visiting the lines.
    indexes.append({u"ix_jzmx_commission"_s, u"jzmx"_s,
                    {u"员工编号"_s, u"ID"_s, u"TcYf"_s, u"提成金额"_s}, false});
    return indexes;
}

} // namespace

QString Column::storedType(const Dialect &dialect) const
{
    const qsizetype open = definition.indexOf(u'{');
    const QString kind = definition.mid(open + 1, definition.indexOf(u'}', open) - open - 1);
    if (kind == u"ID" || kind == u"INT")
        return u"integer"_s;
    if (kind == u"MONEY" || kind == u"NUM")
        return dialect.isPostgres() ? u"numeric(19,4)"_s : u"numeric"_s;
    if (kind == u"BOOL")
        return u"boolean"_s;
    if (kind == u"TS")
        return dialect.isPostgres() ? u"timestamp(0) without time zone"_s : u"datetime"_s;
    return u"text"_s;
}

QStringList Table::columnNames() const
{
    QStringList names;
    for (const Column &column : columns)
        names.append(column.name);
    return names;
}

QString Table::createStatement(const Dialect &dialect) const
{
    QStringList definitions;
    for (const Column &column : columns)
        definitions.append(column.definition);
    return u"create table "_s + name + u" ("_s + fill(dialect, definitions.join(u", "_s)) + u')';
}

QString Index::createStatement() const
{
    return (unique ? u"create unique index "_s : u"create index "_s) + name + u" on "_s + table
           + u" ("_s + columns.join(u", "_s) + u')';
}

const QList<Table> &tables()
{
    static const QList<Table> all = buildTables();
    return all;
}

const Table *table(const QString &name)
{
    for (const Table &each : tables()) {
        if (each.name == name)
            return &each;
    }
    return nullptr;
}

const QList<Index> &indexes()
{
    static const QList<Index> all = buildIndexes();
    return all;
}

QStringList triggerNames()
{
    return SettledTotals::triggerNames();
}

QStringList shopTables()
{
    QStringList names;
    for (const Written &table : ShopTables)
        names.append(QString::fromUtf16(table.name));
    return names;
}

QString lineColumns()
{
    return QString::fromUtf16(LineColumns);
}

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

} // namespace SchemaCatalogue
