#include "BillReversal.h"

#include "board/PlateState.h"
#include "common/Clock.h"
#include "common/Money.h"
#include "common/Refusal.h"
#include "db/Amounts.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "db/Transaction.h"

#include <QHash>
#include <QSqlRecord>

using namespace Qt::StringLiterals;

namespace {

// Every column of a line but ID, as settlement moved them.
QString lineColumns()
{
    return Schema::lineColumns().join(u", "_s);
}

// The same columns as the lines come back: under the bill's plate (bound
// first), at list price (the next checkout discounts again from there),
// without the stamps of the settled bill, which the next checkout writes
// anew, and with the state bound second.
QString restoredColumns()
{
    const QHash<QString, QString> replaced{
        {u"主号牌"_s, u"?"_s},      {u"实际单价"_s, u"单价"_s}, {u"单据号"_s, u"null"_s},
        {u"会员卡号"_s, u"null"_s}, {u"顾客姓名"_s, u"null"_s}, {u"状态"_s, u"?"_s}};
    QStringList columns;
    for (const QString &column : Schema::lineColumns())
        columns.append(replaced.value(column, column));
    return columns.join(u", "_s);
}

} // namespace

QString BillReversal::notFound(const QString &plate)
{
    return u"没有找到 "_s + plate + u" 这个牌号,故无法完成撤销操作!"_s;
}

QString BillReversal::notFree(const QString &plate)
{
    return u"牌号 "_s + plate + u" 当前状态不是可用状态,故无法完成撤销操作!"_s;
}

QString BillReversal::gone()
{
    return u"这笔结帐已在别处撤销,故无法完成撤销操作!"_s;
}

QStringList BillReversal::reverse(int billId)
{
    // Read before the transaction: a bill row is never changed once
    // written, and on SQLite a transaction that reads first cannot wait for
    // another workstation's write. Whether the bill is still there is
    // decided by the delete below.
    const QSqlRecord bill = m_database.firstRow(
        u"select 单据号, 号牌, 状态, 会员卡号, 实收金额, 卡内扣除 from 结帐管理 where id=?"_s,
        {billId});
    if (bill.isEmpty())
        throw Refusal(gone());
    const QString number = bill.value(0).toString();
    const QString mainPlate = bill.value(1).toString();
    const QString card = bill.value(3).toString();
    // Settlement takes money on paid bills only; a waived or cancelled
    // bill took nothing and gives nothing back.
    const bool paid = bill.value(2).toString() == u"已结";
    const Money received = readAmount(bill.value(4), u"结帐管理"_s, u"实收金额"_s);
    const Money fromCard = readAmount(bill.value(5), u"结帐管理"_s, u"卡内扣除"_s);

    Transaction transaction(m_database);
    if (m_beforeWrite)
        m_beforeWrite();
    // The bill row first, on its id: of two workstations reversing the same
    // bill, the second waits for the first and then finds nothing to delete.
    if (m_database.execute(u"delete from 结帐管理 where id=?"_s, {billId}) != 1)
        throw Refusal(gone());

    QStringList plates =
        m_database.strings(u"select distinct 号牌 from jzmx where 单据号=?"_s, {number});
    if (!plates.contains(mainPlate))
        plates.append(mainPlate);
    // The order settlement locks plates in, so the two never wait for each other.
    plates.sort();
    reopen(plates, mainPlate);
    restoreLines(number, mainPlate);

    const bool member = !card.isEmpty() && card != u"非会员";
    if (paid && member) {
        // On the row, so a recharge or a checkout elsewhere meanwhile still
        // counts. A member deleted since has nothing to get back.
        if (fromCard != Money()) {
            m_database.execute(
                u"update 会员管理 set 卡内金额=round(coalesce(卡内金额, 0) + cast(? as numeric), 4) "
                "where 会员卡号=?"_s,
                {fromCard.toVariant(), card});
        }
        if (received != Money()) {
            m_database.execute(
                u"update 会员管理 set 当前积分=round(coalesce(当前积分, 0) - cast(? as numeric), 4) "
                "where 会员卡号=?"_s,
                {received.toVariant(), card});
        }
    }
    m_database.announce(Change::Plates | Change::Lines | Change::Bills | Change::Members);
    transaction.commit();
    return plates;
}

void BillReversal::reopen(const QStringList &plates, const QString &mainPlate)
{
    const QDateTime now = m_clock.now();
    for (const QString &plate : plates) {
        // Free is part of the update: a plate opened for a new customer at
        // another workstation meanwhile changes no row.
        const int changed = m_database.execute(
            u"update 号牌管理 set 号牌状态=?, 顾客姓名=?, 押金金额=?, 合计金额=?, 进店时间=?, 主号牌=? "
            "where 号牌=? and 号牌状态=?"_s,
            {QString::fromUtf16(PlateState::Occupied), u"散客"_s, Money().toVariant(),
             Money().toVariant(), now, mainPlate, plate, QString::fromUtf16(PlateState::Free)});
        if (changed == 1)
            continue;
        if (!m_database.exists(u"select 1 from 号牌管理 where 号牌=?"_s, {plate}))
            throw Refusal(notFound(plate));
        throw Refusal(notFree(plate));
    }
}

void BillReversal::restoreLines(const QString &billNumber, const QString &mainPlate)
{
    const bool postgres = m_database.dialect().isPostgres();
    // Each line keeps its number: the receipt, the commissions and an
    // earlier printout all name it. PostgreSQL takes a number of our own
    // into an identity column only when told so.
    m_database.execute(u"insert into xfmx (ID, "_s + lineColumns() + u") "_s
                           + (postgres ? u"overriding system value "_s : QString())
                           + u"select ID, "_s + restoredColumns()
                           + u" from jzmx where 单据号=?"_s,
                       {mainPlate, u"消费完毕"_s, billNumber});
    m_database.execute(u"delete from jzmx where 单据号=?"_s, {billNumber});
    if (postgres) {
        // Numbers given by hand do not move PostgreSQL's counter; the next
        // line booked must not be handed a number that is back in use.
        // (SQLite's counter follows the largest number by itself.)
        m_database.exec(
            u"select setval(s.name, m.top) "
            "from (select pg_get_serial_sequence('xfmx', 'id') as name) s, "
            "(select max(id) as top from xfmx) m "
            "where m.top > coalesce(pg_sequence_last_value(s.name::regclass), 0)"_s);
    }
}
