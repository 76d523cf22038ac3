#include "RightTable.h"

#include "Operator.h"

#include "common/Refusal.h"

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace RightTable {

namespace {

// Said by the entries that stay enabled for everybody and by the rule
// classes behind a greyed entry (which an operator without the right never
// reaches from the board).
const QString NoRight = u"操作失败:没有权限!"_s;
const QString CancelRefusal = u"操作失败:您没有撤单权限,请让有此权限的管理员来操作!"_s;

QList<Guard> build()
{
    using enum Guard::Board;
    return {
        {Guarded::Waive, Right::Waive, u"操作失败:您没有免单权限,请让有更高权限的人来操作!"_s,
         u"Settlement"_s},
        {Guarded::CancelAtCheckout, Right::Cancel, CancelRefusal, u"Settlement"_s},
        // The pop-up's 撤单 follows the plate's state, not the right.
        {Guarded::CancelOrder, Right::Cancel, CancelRefusal, u"PlateStatus"_s},
        {Guarded::EditGoods, Right::GoodsEdit, u"没有权限"_s, u"GoodsCatalogue"_s},
        {Guarded::DeleteGoods, Right::GoodsDelete, u"没有权限"_s, u"GoodsCatalogue"_s},
        {Guarded::PurchaseStock, Right::StockPurchase, u"没有权限"_s,
         u"GoodsCatalogue, StockPurchases"_s},
        {Guarded::EditMember, Right::MemberEdit, u"没有权限!"_s, u"MemberStore"_s},
        {Guarded::DeleteMember, Right::MemberDelete, u"没有该权限!"_s, u"MemberStore"_s},
        {Guarded::ResetMemberPassword, Right::MemberEdit, u"没有权限"_s, u"MemberPasswords"_s},
        {Guarded::ClearData, Right::DataClearing, NoRight, u"DataClearing"_s, Greyed, {},
         {u"数据初始化"_s}},
        {Guarded::Restore, Right::Restore, NoRight, u"Backup, ServerRestore"_s, Greyed, {},
         {u"数据恢复"_s}},
        // Paid from the employee list, which 员工信息管理 opens.
        {Guarded::PaySalary, Right::Employees, NoRight, u"SalaryPayment"_s},
        {Guarded::BackUp, Right::Backup, NoRight, u"Backup"_s, Greyed, {}, {u"数据备份"_s}},
        {Guarded::EmployeeLevels, Right::Administration, NoRight, u"RecordTable 员工等级"_s,
         Refuses, {}, {u"员工等级设置"_s}},
        {Guarded::ImportGoods, Right::Administration, NoRight, u"GoodsImport"_s, Refuses, {},
         {u"EXCEL导入"_s}},
        {Guarded::ReceiptPrinter, Right::Administration, NoRight, u"ReceiptPrinterSettings"_s,
         Refuses, {}, {u"POS打印机设置"_s}},
        {Guarded::GoodsTypes, Right::GoodsTypes, u"没有权限!"_s, u"RecordTable 商品类型"_s,
         Refuses, {}, {u"商品类型设置"_s}},

        {Guarded::OpenOrder, Right::GuestOrders, NoRight, {}, Greyed, {u"开单"_s}, {}, {},
         {u"开    单"_s}},
        {Guarded::Consume, Right::Consumption, NoRight, {}, Greyed, {u"消费与结帐"_s}, {}, {},
         {u"消费与结帐"_s}},
        {Guarded::QueryMenu, Right::BusinessQueries, NoRight, {}, Greyed, {}, {}, {u"查询统计"_s}},
        // The toolbar's way to the bills, beside the greyed menu.
        {Guarded::QueryBills, Right::BusinessQueries, NoRight, {}, Refuses,
         {u"账单查询"_s, u"账单明细"_s}},
        {Guarded::ManageMembers, Right::Members, NoRight, {}, Greyed, {u"会员管理"_s},
         {u"会员信息管理"_s, u"会员类型管理"_s}},
        {Guarded::Administer, Right::Administration, NoRight, {}, Greyed, {},
         {u"管理员设置"_s, u"数据库设置"_s, u"系统信息设置"_s}},
        {Guarded::ManageGoods, Right::Goods, NoRight, {}, Greyed, {u"商品项目"_s},
         {u"商品项目管理"_s}},
        {Guarded::PlateSettings, Right::Plates, NoRight, {}, Greyed, {}, {u"号牌与包厢设置"_s}},
        {Guarded::ManageEmployees, Right::Employees, NoRight, {}, Greyed, {}, {u"员工信息管理"_s}},
    };
}

} // namespace

const QList<Guard> &guards()
{
    static const QList<Guard> table = build();
    return table;
}

const Guard &guard(Guarded operation)
{
    for (const Guard &row : guards()) {
        if (row.operation == operation)
            return row;
    }
    // Every operation has its row; the table test walks them all.
    throw std::logic_error("an operation without a row in the table of rights");
}

bool allows(const Rights &rights, Guarded operation)
{
    return rights.has(guard(operation).right);
}

void require(const Rights &rights, Guarded operation)
{
    const Guard &row = guard(operation);
    if (!rights.has(row.right))
        throw Refusal(row.refusal);
}

void require(const Operator &who, Guarded operation)
{
    require(who.rights, operation);
}

} // namespace RightTable
