#pragma once

#include "common/Money.h"

#include <QDateTime>
#include <QString>

#include <optional>

class Database;

// The only writer of the bills (结帐管理): settlement adds one, a reversal
// takes one away. A bill row is never changed once written. Writes run in a
// write transaction at LockRank::BillNumber (after the plates and the
// member) and announce Change::Bills.
class BillStore
{
public:
    struct Bill
    {
        int id = 0;
        QString number;        // 单据号
        QString plate;         // 号牌, the plate the checkout was opened from
        QDateTime entered;     // 进店时间
        QDateTime left;        // 离店时间
        Money fromCard;        // 卡内扣除
        Money received;        // 实收金额
        Money due;             // 应收金额
        QString method;        // 结帐方式
        QString card;          // 会员卡号
        QString status;        // 状态: 已结, 免单 or 撤单
        QDateTime settledAt;   // 结帐时间
        QString customer;      // 顾客姓名
        QString remark;        // 备注
        QString operatorName;  // 营业员
    };

    explicit BillStore(Database &database) : m_database(database) {}

    // The bill with that id; its amounts read strictly (DbError for what is
    // no number). Nothing when there is no such bill.
    std::optional<Bill> bill(int id);
    bool exists(const QString &number);
    // What the bills settled from `from` up to, not including, `to` took in
    // (实收金额); nothing when there is no such bill.
    std::optional<Money> received(const QDateTime &from, const QDateTime &to);

    void add(const Bill &bill);
    // Deletes the bill; false when it is gone already.
    bool remove(int id);

private:
    Database &m_database;
};
