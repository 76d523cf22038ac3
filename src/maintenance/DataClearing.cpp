#include "DataClearing.h"

#include "db/Database.h"
#include "db/SettledTotals.h"
#include "db/Transaction.h"
#include "session/RightTable.h"

using namespace Qt::StringLiterals;

namespace DataClearing {

QList<Records> all()
{
    return {Records::Salaries, Records::Bills, Records::Recharges, Records::Goods,
            Records::Purchases};
}

QString caption(Records records)
{
    switch (records) {
    case Records::Salaries:
        return u"删除发工资记录"_s;
    case Records::Bills:
        return u"删除营业记录"_s;
    case Records::Recharges:
        return u"删除充值记录"_s;
    case Records::Goods:
        return u"商品库"_s;
    case Records::Purchases:
        break;
    }
    return u"进货表"_s;
}

QStringList tables(Records records)
{
    switch (records) {
    case Records::Salaries:
        return {u"员工工资表"_s};
    case Records::Bills:
        return {u"结帐管理"_s, u"jzmx"_s};
    case Records::Recharges:
        return {u"会员充值"_s};
    case Records::Goods:
        return {u"商品库"_s};
    case Records::Purchases:
        break;
    }
    return {u"进货表"_s};
}

namespace {

// Every table clearing writes, in the order the program's writers take
// them: a salary payment writes its record before it marks the lines
// paid, a settlement its bill before the lines, and the lines' triggers
// change the daily totals last. Recharges, goods and purchases share no
// writer with those; a new item is stored before its first purchase.
const QStringList LockOrder = {u"员工工资表"_s, u"结帐管理"_s, u"jzmx"_s, u"项目日汇总"_s,
                               u"提成日汇总"_s, u"会员充值"_s, u"商品库"_s, u"进货表"_s};

// On PostgreSQL every statement reads what was committed when it began: a
// settlement committed between the deletion of the bills and that of the
// lines would keep its bill and lose its lines. So every table is locked
// before the first deletion, in the order above, so that a writer is
// either wholly before the clearing or wholly after it. "share row
// exclusive" is the weakest mode that stops every writer (their "row
// exclusive") and a second clearing, while the windows of the other
// workstations go on reading; "exclusive" would also refuse the row locks
// of "select … for update", which nothing needs to refuse here. SQLite
// needs nothing: its first deletion takes the one write lock there is.
void lockForClearing(Database &database, const QStringList &emptied)
{
    if (!database.dialect().isPostgres())
        return;
    QStringList locked;
    for (const QString &table : LockOrder) {
        const bool totals = table.endsWith(u"日汇总"_s);
        if (emptied.contains(table) || (totals && emptied.contains(u"jzmx"_s)))
            locked.append(table);
    }
    for (const QString &table : std::as_const(locked))
        database.exec(u"lock table "_s + table + u" in share row exclusive mode"_s);
}

// SQLite as some systems build it (Debian's) overwrites every page a
// deletion frees: emptying a million settled lines then writes the whole
// table and its indexes once more, seconds with the window blocked. While
// clearing, the connection overwrites only what costs no extra writing,
// as SQLite does by default; the setting is the connection's and is put
// back after.
class FreedPagesKept
{
public:
    explicit FreedPagesKept(Database &database) : m_database(database)
    {
        if (m_database.dialect().isPostgres())
            return;
        m_previous = m_database.scalar(u"pragma secure_delete"_s).toString();
        m_database.exec(u"pragma secure_delete = fast"_s);
    }
    ~FreedPagesKept()
    {
        if (m_previous.isEmpty())
            return;
        try {
            m_database.exec(u"pragma secure_delete = "_s + (m_previous == u"1"   ? u"on"_s
                                                              : m_previous == u"2" ? u"fast"_s
                                                                                   : u"off"_s));
        } catch (const DbError &) {
            // The connection's own setting; the clearing's outcome stands.
        }
    }
    FreedPagesKept(const FreedPagesKept &) = delete;
    FreedPagesKept &operator=(const FreedPagesKept &) = delete;

private:
    Database &m_database;
    QString m_previous;
};

} // namespace

void clear(const Operator &who, Database &database, const QList<Records> &chosen)
{
    RightTable::require(who, Guarded::ClearData);
    QStringList emptied;
    for (const Records records : all()) {
        if (chosen.contains(records))
            emptied += tables(records);
    }
    const FreedPagesKept freed(database);
    Transaction transaction(database);
    lockForClearing(database, emptied);
    // The lines' triggers would take every cleared line off its day's
    // totals one by one (a million lines: most of a minute on SQLite, the
    // window blocked); the totals are emptied with the lines instead.
    const bool lines = emptied.contains(u"jzmx"_s);
    if (lines)
        SettledTotals::setAside(database);
    for (const QString &table : std::as_const(emptied))
        database.execute(u"delete from "_s + table);
    if (lines) {
        SettledTotals::emptyWithLines(database);
        SettledTotals::putBack(database);
    }
    database.announce(EveryChange);
    transaction.commit();
}

} // namespace DataClearing
