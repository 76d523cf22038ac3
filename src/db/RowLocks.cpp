#include "RowLocks.h"

#include "Database.h"
#include "DbError.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace RowLocks {

QString rankName(LockRank rank)
{
    switch (rank) {
    case LockRank::Rooms: return u"包厢"_s;
    case LockRank::Plates: return u"号牌"_s;
    case LockRank::Members: return u"会员"_s;
    case LockRank::BillNumber: return u"单据号"_s;
    case LockRank::Employees: return u"员工"_s;
    case LockRank::Lines: return u"消费明细"_s;
    case LockRank::Goods: return u"商品"_s;
    case LockRank::Purchases: return u"进货"_s;
    case LockRank::Totals: return u"日汇总"_s;
    }
    return {};
}

void enter(Database &database, LockRank rank)
{
    if (!database.inWriteTransaction())
        throw DbError(u"锁定%1时没有写事务，操作已取消。"_s.arg(rankName(rank)));
    const int held = database.lockRank();
    if (held > static_cast<int>(rank)) {
        throw DbError(u"锁定顺序错误：已锁定%1后不能再锁定%2，操作已取消。"_s.arg(
            rankName(static_cast<LockRank>(held)), rankName(rank)));
    }
    database.setLockRank(static_cast<int>(rank));
}

namespace {

QStringList lockRows(Database &database, const QString &table, const QString &keyColumn,
                     const QString &where, const QVariantList &values)
{
    // PostgreSQL locks the rows as it returns them, so in this order.
    QString sql = u"select "_s + keyColumn + u" from "_s + table + u" where "_s + where
        + u" order by "_s + keyColumn;
    if (database.dialect().isPostgres())
        sql += u" for update"_s;
    return database.strings(sql, values);
}

} // namespace

QStringList lock(Database &database, LockRank rank, const QString &table,
                 const QString &keyColumn, const QStringList &keys, const QString &condition,
                 const QVariantList &values)
{
    enter(database, rank);
    if (keys.isEmpty())
        return {};
    QStringList sorted = keys;
    sorted.sort();
    sorted.removeDuplicates();
    QVariantList bound;
    for (const QString &key : std::as_const(sorted))
        bound.append(key);
    QString where = keyColumn + u" in ("_s + QStringList(sorted.size(), u"?"_s).join(u", "_s)
        + u')';
    if (!condition.isEmpty())
        where += u" and ("_s + condition + u')';
    return lockRows(database, table, keyColumn, where, bound + values);
}

QStringList lockWhere(Database &database, LockRank rank, const QString &table,
                      const QString &keyColumn, const QString &condition,
                      const QVariantList &values)
{
    enter(database, rank);
    return lockRows(database, table, keyColumn, condition, values);
}

void lockName(Database &database, LockRank rank, qint32 key)
{
    enter(database, rank);
    // The two-key form, the second key the schema's oid: unique within the
    // database, unlike a hash of its name. Looked up by name, since a cast
    // to regnamespace would fold a mixed-case schema name; a null key would
    // take no lock at all.
    if (database.dialect().isPostgres()) {
        database.exec(u"select pg_advisory_xact_lock(cast(? as integer), "
                      "coalesce((select cast(oid as integer) from pg_namespace "
                      "where nspname = current_schema()), 0))"_s,
                      {key});
    }
}

} // namespace RowLocks
