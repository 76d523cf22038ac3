#include "Rights.h"

using namespace Qt::StringLiterals;

Rights::Rights(std::initializer_list<Right> granted)
{
    for (Right right : granted)
        set(right, true);
}

Rights Rights::all()
{
    Rights rights;
    rights.m_flags.set();
    return rights;
}

QList<Right> Rights::every()
{
    QList<Right> rights;
    for (std::size_t i = 0; i < Count; ++i)
        rights.append(Right(i));
    return rights;
}

QString Rights::column(Right right)
{
    switch (right) {
    case Right::Checkout: return u"收银结算"_s;
    case Right::Consumption: return u"消费管理"_s;
    case Right::GuestOrders: return u"来宾登记"_s;
    case Right::BusinessQueries: return u"营业查询"_s;
    case Right::Members: return u"会员管理"_s;
    case Right::DataClearing: return u"数据初始化"_s;
    case Right::Administration: return u"管理员设置"_s;
    case Right::MemberOpening: return u"会员开户"_s;
    case Right::MemberRecharge: return u"会员充值"_s;
    case Right::StockReturn: return u"退回库存"_s;
    case Right::Goods: return u"商品管理"_s;
    case Right::GoodsTypes: return u"商品类型"_s;
    case Right::Plates: return u"号牌管理"_s;
    case Right::Employees: return u"员工管理"_s;
    case Right::Backup: return u"数据备份"_s;
    case Right::Restore: return u"数据恢复"_s;
    case Right::Waive: return u"免单"_s;
    case Right::Cancel: return u"撤单"_s;
    case Right::MemberEdit: return u"会员修改"_s;
    case Right::MemberDelete: return u"会员删除"_s;
    case Right::GoodsEdit: return u"营业项目修改"_s;
    case Right::GoodsDelete: return u"营业项目删除"_s;
    case Right::StockPurchase: return u"商品进货"_s;
    }
    return {};
}

std::optional<Right> Rights::ofColumn(const QString &column)
{
    for (const Right right : every()) {
        if (Rights::column(right) == column)
            return right;
    }
    return std::nullopt;
}
