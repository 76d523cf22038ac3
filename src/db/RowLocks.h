#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

class Database;

// The program's one lock order. A write transaction takes the locks it
// needs in this order and never back: two workstations then never each hold
// what the other waits for. A transaction that takes a lower rank after a
// higher one is refused with DbError and rolled back, whichever backend runs.
//
//   rooms → plates → member → bill number → employee → lines → goods
//         → purchases → totals
//
// Plates before the member and the bill: every visit starts from its plates
// (opening, booking, settlement, cancellation, reversal). The bill number
// is chosen under its own lock after them, the lines are written under the
// number, the stock and the daily totals follow from the lines.
enum class LockRank {
    Rooms = 1, // 包厢
    Plates,    // 号牌管理
    Members,   // 会员管理
    BillNumber, // the choice of a bill number, 结帐管理
    Employees, // 员工管理
    Lines,     // xfmx, jzmx
    Goods,     // 商品库
    Purchases, // 进货表
    Totals,    // 项目日汇总, 提成日汇总
};

// Locks rows for the running write transaction, in key order: on PostgreSQL
// "select … for update", which waits for a transaction that holds a row and
// then sees its committed state; on SQLite the write transaction already
// holds the whole database (BEGIN IMMEDIATE), so only the rows are read.
namespace RowLocks {

// The rank's name, for messages.
QString rankName(LockRank rank);

// Records that the transaction now works at `rank`: throws DbError when it
// holds a higher rank already or when no write transaction is running.
// For what has no row to lock beforehand (an insert).
void enter(Database &database, LockRank rank);

// Locks the rows of `table` whose `keyColumn` is one of `keys`, in key
// order, and returns the keys of the rows locked, in that order. `condition`
// (with its bound `values`) narrows the rows locked, as
// "号牌状态=?" does for plates that must still be occupied.
QStringList lock(Database &database, LockRank rank, const QString &table,
                 const QString &keyColumn, const QStringList &keys,
                 const QString &condition = {}, const QVariantList &values = {});
// The same for rows chosen by a condition alone, as "所属包厢=?".
QStringList lockWhere(Database &database, LockRank rank, const QString &table,
                      const QString &keyColumn, const QString &condition,
                      const QVariantList &values);

// A lock on something that is no row, as the choice of a bill number:
// a transaction-level advisory lock on PostgreSQL. The server keeps one set
// of advisory locks for all schemas of a database, so the lock is keyed by
// the schema too: shops in two schemas of one database never wait for each
// other's `key`.
void lockName(Database &database, LockRank rank, qint32 key);

} // namespace RowLocks
