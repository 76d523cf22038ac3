#include "Settlement.h"

#include "BillNumber.h"
#include "Checkout.h"

#include "board/PlateState.h"
#include "common/Clock.h"
#include "common/Refusal.h"
#include "db/Amounts.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "db/Schema.h"
#include "db/Transaction.h"
#include "session/RightTable.h"

#include <QHash>
#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace {

// Every column of a line but ID, as xfmx and jzmx both name them: lines
// are copied by name, whatever order an old database gave its columns.
QString lineColumns()
{
    return Schema::lineColumns().join(u", "_s);
}

const QString ReopenHint = u"本次结帐没有保存，请退出后重新打开结帐窗口。"_s;

// The group's plates in one fixed order, whichever plate the window was
// opened from: two workstations settling the same group then lock its rows
// in the same order, and one waits for the other instead of each holding
// a row the other needs (PostgreSQL ends that with "deadlock detected").
QStringList lockOrder(const Checkout &checkout)
{
    QStringList plates = checkout.group();
    plates.sort();
    return plates;
}

} // namespace

QString Settlement::statusText(Status status)
{
    switch (status) {
    case Status::Waived:
        return u"免单"_s;
    case Status::Cancelled:
        return u"撤单"_s;
    case Status::Paid:
        break;
    }
    return u"已结"_s;
}

QString Settlement::JieZhangHs(const Checkout &checkout, Status status)
{
    if (status == Status::Waived)
        RightTable::require(m_operator, Guarded::Waive);
    if (status == Status::Cancelled)
        RightTable::require(m_operator, Guarded::CancelAtCheckout);
    QString number = checkout.billNumber();
    for (int attempt = 0;; ++attempt) {
        // Free before the attempt, so that a failure after which it is
        // taken shows that someone took it meanwhile.
        number = BillNumber::firstFree(m_database, number, checkout.group());
        try {
            write(checkout, status, number);
            return number;
        } catch (const DbError &) {
            // Only a number that a workstation choosing without the lock
            // (an older program) took meanwhile is worth another try;
            // anything else stands.
            const bool taken = m_database.exists(
                u"select 1 from 结帐管理 where 单据号=?"_s, {number});
            if (!taken || attempt >= 5)
                throw;
        }
    }
}

void Settlement::checkGroup(const Checkout &checkout)
{
    const QString occupied = QString::fromUtf16(PlateState::Occupied);
    QHash<int, Money> listed;
    for (const Checkout::Line &line : checkout.lines())
        listed.insert(line.id, line.total);

    for (const QString &plate : lockOrder(checkout)) {
        // Takes the plate's row lock (PostgreSQL) or the write lock
        // (SQLite) first: a settlement, cancellation or booking of the same
        // plate elsewhere is waited for and then seen.
        const int touched = m_database.execute(
            u"update 号牌管理 set 号牌状态=号牌状态 where 号牌=? and 号牌状态=?"_s,
            {plate, occupied});
        if (touched != 1)
            throw Refusal(u"号牌"_s + plate + u"已在别处结帐或撤单。"_s + ReopenHint);

        QSqlQuery query =
            m_database.exec(u"select ID, 合计 from xfmx where 号牌=?"_s, {plate});
        while (query.next()) {
            const int id = query.value(0).toInt();
            const auto found = listed.constFind(id);
            if (found == listed.cend()
                || *found != readAmount(query.value(1), u"xfmx"_s, u"合计"_s)) {
                throw Refusal(u"号牌"_s + plate + u"的消费项目已在别处改动。"_s + ReopenHint);
            }
            listed.erase(found);
        }
    }
    // A listed line that is gone was settled or cancelled elsewhere.
    if (!listed.isEmpty())
        throw Refusal(u"结帐号牌的消费项目已在别处改动。"_s + ReopenHint);
}

void Settlement::write(const Checkout &checkout, Status status, QString &billNumber)
{
    Transaction transaction(m_database);
    if (m_beforeWrite)
        m_beforeWrite();
    checkGroup(checkout);

    // Only a paid bill takes money: a waived or cancelled one keeps what
    // was due, and neither the card nor the points change.
    const bool paid = status == Status::Paid;
    const bool byCard = checkout.paymentMethod() == QStringView(Checkout::ByCard);
    const Money received = paid ? checkout.received() : Money();
    const Money fromCard = paid && byCard ? checkout.cardDeduction() : Money();
    const Checkout::Member &member = checkout.member();

    if (checkout.hasMember() && paid) {
        // Changed on the row, so a recharge made elsewhere meanwhile stays.
        const int found = m_database.execute(
            u"update 会员管理 set 当前积分=round(coalesce(当前积分, 0) + cast(? as numeric), 4) "
            "where 会员卡号=?"_s,
            {received.toVariant(), member.card});
        if (found != 1)
            throw Refusal(u"会员卡号"_s + member.card + u"已不存在。"_s + ReopenHint);
        if (fromCard > Money()) {
            const int charged = m_database.execute(
                u"update 会员管理 set 卡内金额=round(卡内金额 - cast(? as numeric), 4) "
                "where 会员卡号=? and round(卡内金额, 4) >= cast(? as numeric)"_s,
                {fromCard.toVariant(), member.card, fromCard.toVariant()});
            if (charged != 1) {
                throw Refusal(u"会员卡内余额已在别处变动，不够扣除"_s + fromCard.toString()
                              + u"元。"_s + ReopenHint);
            }
        }
    }

    // The number is chosen under the lock that every choice of a number
    // takes, after the plates and the member as all locks are taken: a
    // number that another bill or another open checkout's lines have
    // moves on.
    BillNumber::lock(m_database);
    billNumber = BillNumber::firstFree(m_database, billNumber, checkout.group());

    const QDateTime leftAt = m_clock.now();
    m_database.execute(
        u"insert into 结帐管理 (单据号, 号牌, 进店时间, 离店时间, 卡内扣除, 实收金额, 应收金额, "
        "结帐方式, 会员卡号, 状态, 结帐时间, 顾客姓名, 备注, 营业员) "
        "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s,
        {billNumber, checkout.plate(), checkout.entryMoment(), leftAt, fromCard.toVariant(),
         received.toVariant(), checkout.due().toVariant(), checkout.paymentMethod().trimmed(),
         member.card, statusText(status), m_clock.now(), checkout.customerName(),
         checkout.remark(), m_operator.name});

    for (const QString &plate : lockOrder(checkout)) {
        m_database.execute(u"update xfmx set 单据号=?, 会员卡号=?, 顾客姓名=? where 号牌=?"_s,
                           {billNumber, member.card, member.name, plate});
        m_database.execute(u"insert into jzmx (ID, "_s + lineColumns() + u") select ID, "_s
                               + lineColumns() + u" from xfmx where 号牌=?"_s,
                           {plate});
        m_database.execute(u"delete from xfmx where 号牌=?"_s, {plate});
        m_database.execute(u"update 号牌管理 set 号牌状态=? where 号牌=?"_s,
                           {QString::fromUtf16(PlateState::Free), plate});
    }
    transaction.commit();
}
