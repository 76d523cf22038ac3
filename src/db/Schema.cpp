#include "Schema.h"

#include "Database.h"
#include "DbError.h"
#include "SchemaCatalogue.h"
#include "SchemaCheck.h"
#include "SchemaSteps.h"
#include "SettledTotals.h"
#include "Transaction.h"

using namespace Qt::StringLiterals;

namespace {

// A database that cannot be made the current shape; the reason names what
// is wrong, not the database.
struct Unfit
{
    QString reason;
};

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

void refuseIfAny(const SchemaCheck::Findings &findings)
{
    if (!findings.refusals.isEmpty())
        throw Unfit{findings.refusals.join(u"；"_s)};
}

// Brings a shop stored at version `from` to the current version and shape,
// in the caller's transaction: the frozen steps it lacks, then the
// catalogue. What the steps could not mend is refused before they run.
QStringList bring(Database &database, int from, SchemaCheck::Missing missing)
{
    if (from < Schema::CurrentVersion) {
        refuseIfAny(SchemaCheck::inspect(database, missing, SchemaCheck::Stage::BeforeSteps));
        SchemaSteps::run(database, from);
    }
    const SchemaCheck::Findings findings =
        SchemaCheck::inspect(database, missing, SchemaCheck::Stage::Current);
    refuseIfAny(findings);
    try {
        SchemaCheck::repair(database, findings);
    } catch (const DbError &error) {
        throw Unfit{error.text()};
    }
    if (from < Schema::CurrentVersion) {
        database.execute(u"delete from schema_version"_s);
        database.execute(u"insert into schema_version (version) values (?)"_s,
                         {Schema::CurrentVersion});
    }
    return findings.built();
}

DbError unfit(Database &database, const Unfit &reason)
{
    return DbError(database.displayName() + u" 不是可用的本店数据库："_s + reason.reason
                   + u"。请改用完好的数据库或备份，或请维护人员检查。"_s);
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
    useWriteAheadLog(database);
    const Dialect &dialect = database.dialect();
    Transaction transaction(database);
    for (const SchemaCatalogue::Table &table : SchemaCatalogue::tables())
        database.exec(table.createStatement(dialect));
    for (const SchemaCatalogue::Index &index : SchemaCatalogue::indexes())
        database.exec(index.createStatement());
    SettledTotals::createTriggers(database);
    database.execute(u"insert into schema_version (version) values (?)"_s, {CurrentVersion});
    transaction.commit();
}

QStringList upgrade(Database &database)
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
    if (stored == CurrentVersion) {
        // The usual start: one look at the catalogue, nothing written.
        const SchemaCheck::Findings findings =
            SchemaCheck::inspect(database, SchemaCheck::Missing::Rebuild, SchemaCheck::Stage::Current);
        if (findings.clean()) {
            useWriteAheadLog(database);
            return {};
        }
        if (!findings.refusals.isEmpty())
            throw unfit(database, Unfit{findings.refusals.join(u"；"_s)});
    }
    return ensure(database);
}

QStringList ensure(Database &database)
{
    if (!hasAnyTable(database)) {
        create(database);
        return {};
    }
    QStringList built;
    try {
        Transaction transaction(database);
        database.exec(u"create table if not exists schema_version (version integer not null)"_s);
        const int from = version(database);
        refuseNewer(database, from);
        built = bring(database, from, SchemaCheck::Missing::Rebuild);
        transaction.commit();
    } catch (const Unfit &reason) {
        throw unfit(database, reason);
    }
    useWriteAheadLog(database);
    return built;
}

QString check(Database &database)
{
    if (!isInstalled(database)) {
        return hasAnyTable(database) ? u"不是本程序的数据库"_s
                                     : u"是空的，不是本程序的数据库"_s;
    }
    const int stored = version(database);
    if (stored > CurrentVersion) {
        return u"由更新版本的程序写成（版本 %1，本程序为版本 %2），本程序不能使用"_s.arg(stored).arg(
            CurrentVersion);
    }
    QString reason;
    Transaction transaction(database);
    try {
        bring(database, stored, SchemaCheck::Missing::Refuse);
    } catch (const Unfit &unfit) {
        reason = unfit.reason;
    } catch (const DbError &error) {
        reason = u"无法升级到本程序的版本："_s + error.text();
    }
    // Whatever the steps did is taken back; an enclosing transaction goes on.
    if (database.transactionDepth() > 1)
        transaction.rollbackAndContinue();
    return reason;
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
    for (const QString &column : SchemaCatalogue::lineColumns().split(u','))
        names.append(column.trimmed().section(u' ', 0, 0));
    return names;
}

QStringList tableNames()
{
    return SchemaCatalogue::shopTables();
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

} // namespace Schema
