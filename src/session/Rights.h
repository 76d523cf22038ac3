#pragma once

#include <QList>
#include <QString>

#include <bitset>
#include <initializer_list>
#include <optional>

// One right of an operator, one yes/no column of 管理员. What each right
// guards, and what an operator without it meets, is the table in
// RightTable.h.
enum class Right {
    Checkout,        // 收银结算
    Consumption,     // 消费管理
    GuestOrders,     // 来宾登记
    BusinessQueries, // 营业查询
    Members,         // 会员管理
    DataClearing,    // 数据初始化
    Administration,  // 管理员设置
    MemberOpening,   // 会员开户
    MemberRecharge,  // 会员充值
    StockReturn,     // 退回库存
    Goods,           // 商品管理
    GoodsTypes,      // 商品类型
    Plates,          // 号牌管理
    Employees,       // 员工管理
    Backup,          // 数据备份
    Restore,         // 数据恢复
    Waive,           // 免单
    Cancel,          // 撤单
    MemberEdit,      // 会员修改
    MemberDelete,    // 会员删除
    GoodsEdit,       // 营业项目修改
    GoodsDelete,     // 营业项目删除
    StockPurchase,   // 商品进货
};

// The signed-in operator's rights, one flag per right. A right that was
// never granted is false.
class Rights
{
public:
    Rights() = default;
    Rights(std::initializer_list<Right> granted);

    bool has(Right right) const { return m_flags.test(index(right)); }
    void set(Right right, bool granted) { m_flags.set(index(right), granted); }

    // Every right granted, for the first operator of a new shop.
    static Rights all();
    // Every right, in the order of 管理员's columns.
    static QList<Right> every();
    // The column of 管理员 that holds the right.
    static QString column(Right right);
    // The right a column of 管理员 holds; nothing for another column.
    static std::optional<Right> ofColumn(const QString &column);

private:
    static constexpr std::size_t Count = std::size_t(Right::StockPurchase) + 1;
    static std::size_t index(Right right) { return std::size_t(right); }

    std::bitset<Count> m_flags;
};
