#include "BillStore.h"

#include "common/DateFormat.h"
#include "db/Amounts.h"
#include "db/Database.h"
#include "db/RowLocks.h"

#include <QSqlQuery>
#include <QSqlRecord>

using namespace Qt::StringLiterals;

std::optional<BillStore::Bill> BillStore::bill(int id)
{
    const QSqlRecord row = m_database.firstRow(
        u"select id, 单据号, 号牌, 进店时间, 离店时间, 卡内扣除, 实收金额, 应收金额, 结帐方式, "
        "会员卡号, 状态, 结帐时间, 顾客姓名, 备注, 营业员 from 结帐管理 where id=?"_s,
        {id});
    if (row.isEmpty())
        return std::nullopt;
    const auto amount = [&row](const QString &column) {
        return readAmount(row.value(column), u"结帐管理"_s, column);
    };
    Bill bill;
    bill.id = row.value(u"id"_s).toInt();
    bill.number = row.value(u"单据号"_s).toString();
    bill.plate = row.value(u"号牌"_s).toString();
    bill.entered = DateFormat::fromVariant(row.value(u"进店时间"_s));
    bill.left = DateFormat::fromVariant(row.value(u"离店时间"_s));
    bill.fromCard = amount(u"卡内扣除"_s);
    bill.received = amount(u"实收金额"_s);
    bill.due = amount(u"应收金额"_s);
    bill.method = row.value(u"结帐方式"_s).toString();
    bill.card = row.value(u"会员卡号"_s).toString();
    bill.status = row.value(u"状态"_s).toString();
    bill.settledAt = DateFormat::fromVariant(row.value(u"结帐时间"_s));
    bill.customer = row.value(u"顾客姓名"_s).toString();
    bill.remark = row.value(u"备注"_s).toString();
    bill.operatorName = row.value(u"营业员"_s).toString();
    return bill;
}

bool BillStore::exists(const QString &number)
{
    return m_database.exists(u"select 1 from 结帐管理 where 单据号=?"_s, {number});
}

std::optional<Money> BillStore::received(const QDateTime &from, const QDateTime &to)
{
    QSqlQuery query = m_database.exec(
        u"select 实收金额 from 结帐管理 where 结帐时间 >= ? and 结帐时间 < ?"_s, {from, to});
    std::optional<Money> total;
    while (query.next())
        total = total.value_or(Money()) + readAmount(query.value(0), u"结帐管理"_s, u"实收金额"_s);
    return total;
}

void BillStore::add(const Bill &bill)
{
    RowLocks::enter(m_database, LockRank::BillNumber);
    m_database.execute(
        u"insert into 结帐管理 (单据号, 号牌, 进店时间, 离店时间, 卡内扣除, 实收金额, 应收金额, "
        "结帐方式, 会员卡号, 状态, 结帐时间, 顾客姓名, 备注, 营业员) "
        "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s,
        {bill.number, bill.plate, bill.entered, bill.left, bill.fromCard.toVariant(),
         bill.received.toVariant(), bill.due.toVariant(), bill.method, bill.card, bill.status,
         bill.settledAt, bill.customer, bill.remark, bill.operatorName});
    m_database.announce(Change::Bills);
}

bool BillStore::remove(int id)
{
    // On its id: of two workstations taking the same bill back, the second
    // waits for the first and then finds nothing to delete.
    RowLocks::enter(m_database, LockRank::BillNumber);
    const bool removed = m_database.execute(u"delete from 结帐管理 where id=?"_s, {id}) == 1;
    if (removed)
        m_database.announce(Change::Bills);
    return removed;
}
