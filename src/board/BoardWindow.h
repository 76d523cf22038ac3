#pragma once

// The windows that the board's menus and toolbar ask for and that other
// parts of the program provide. The board asks; the application's
// navigator opens them, so the board knows none of those windows.
enum class BoardWindow {
    // 查询统计
    CurrentConsumption,
    Bills,
    BillLines,
    ItemStatistics,
    PurchaseRecords,
    // 系统管理
    Goods,
    GoodsTypes,
    // 会员管理
    Members,
    MemberTypes,
    MemberConsumption,
    RechargeRecords,
    // 员工管理
    Employees,
    EmployeeLevels,
    CommissionTotals,
    CommissionLines,
    SalaryRecords,
    // 系统维护
    Operators,
    PasswordChange,
    MemberPassword,
    Backup,
    Restore,
    ShopInfo,
    GoodsImport,
    ReceiptPrinter,
    DatabaseSettings,
    DataClearing,
    // 帮助
    About,
};
