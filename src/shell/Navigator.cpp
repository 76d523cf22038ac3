#include "Navigator.h"

#include "bills/ui/TZdCxFm.h"
#include "bills/ui/TZdMxFm.h"
#include "board/ui/TMainFm.h"
#include "common/Prompt.h"
#include "goods/ui/TInExcelDataFm.h"
#include "goods/ui/TXmAddChaXunFm.h"
#include "goods/ui/TXmFm.h"
#include "goods/ui/TXmKindFm.h"
#include "maintenance/ui/BackupActions.h"
#include "maintenance/ui/TAboutFm.h"
#include "maintenance/ui/TDataClearFm.h"
#include "maintenance/ui/TPosPrtSetFm.h"
#include "maintenance/ui/TSetDataFm.h"
#include "maintenance/ui/TSysInfoFm.h"
#include "members/ui/TChongZhiFm.h"
#include "members/ui/TChongZhiRecordFm.h"
#include "members/ui/THYChangePassFm.h"
#include "members/ui/THYConsumeCXFm.h"
#include "members/ui/TMemBerTypeFm.h"
#include "members/ui/TMemberFm.h"
#include "operators/ui/TAdminChangePassFm.h"
#include "operators/ui/TAdminFm.h"
#include "orders/ui/TAddConsumeFm.h"
#include "orders/ui/TCheckOutFm.h"
#include "orders/ui/TOpenDanFm.h"
#include "session/RightTable.h"
#include "session/Session.h"
#include "staff/ui/TFaGongZiFm.h"
#include "staff/ui/TFwsGlFm.h"
#include "staff/ui/TFwsTcMxFm.h"
#include "staff/ui/TFwsTcTjFm.h"
#include "staff/ui/TGongZiRecordFm.h"
#include "staff/ui/TYgDjFm.h"
#include "statistics/ui/TItemCountFm.h"
#include "statistics/ui/TXfCxFm.h"

#include <QCoreApplication>

Navigator::Navigator(Session &session, TMainFm &board)
    : QObject(nullptr)
    , m_session(session)
    , m_board(board)
{
    connect(&board, &TMainFm::windowRequested, this, &Navigator::open);
    connect(&board, &TMainFm::openOrderRequested, this, &Navigator::openOrder);
    connect(&board, &TMainFm::openConsumptionRequested, this, &Navigator::openConsumption);
}

template <typename Window>
void Navigator::showModal()
{
    Window window(m_session, &m_board);
    window.exec();
}

void Navigator::open(BoardWindow window)
{
    switch (window) {
    case BoardWindow::Operators:
        showModal<TAdminFm>();
        break;
    case BoardWindow::PasswordChange:
        showModal<TAdminChangePassFm>();
        break;
    case BoardWindow::Goods:
        showModal<TXmFm>();
        break;
    case BoardWindow::PurchaseRecords:
        showModal<TXmAddChaXunFm>();
        break;
    case BoardWindow::Employees:
        openEmployees();
        break;
    case BoardWindow::Members:
        openMembers();
        break;
    case BoardWindow::GoodsTypes:
        showModal<TXmKindFm>();
        break;
    case BoardWindow::EmployeeLevels:
        showModal<TYgDjFm>();
        break;
    case BoardWindow::MemberTypes:
        showModal<TMemBerTypeFm>();
        break;
    case BoardWindow::DatabaseSettings:
        showModal<TSetDataFm>();
        break;
    case BoardWindow::Backup:
        m_lastBackup = BackupActions::backUp(m_session, m_lastBackup);
        break;
    case BoardWindow::Restore:
        // The connection belongs to the database that was replaced.
        if (BackupActions::restore(m_session))
            QCoreApplication::exit(0);
        break;
    case BoardWindow::DataClearing:
        showModal<TDataClearFm>();
        break;
    case BoardWindow::ShopInfo:
        showModal<TSysInfoFm>();
        break;
    case BoardWindow::ReceiptPrinter:
        showModal<TPosPrtSetFm>();
        break;
    case BoardWindow::About:
        showModal<TAboutFm>();
        break;
    // The three member windows of the menus need no right to open; the
    // password reset checks 会员修改 itself.
    case BoardWindow::MemberConsumption:
        showModal<THYConsumeCXFm>();
        break;
    case BoardWindow::RechargeRecords:
        showModal<TChongZhiRecordFm>();
        break;
    case BoardWindow::MemberPassword:
        showModal<THYChangePassFm>();
        break;
    case BoardWindow::Bills:
    case BoardWindow::BillLines:
        // The toolbar asks for these as well as the 查询统计 menu, which is
        // closed to an operator without the right.
        if (!RightTable::allows(m_session.context.Rights, Guarded::QueryBills)) {
            m_session.prompt.message(RightTable::guard(Guarded::QueryBills).refusal);
        } else if (window == BoardWindow::BillLines) {
            showModal<TZdMxFm>();
        } else {
            const QString plate = m_board.SelectedPlate();
            showModal<TZdCxFm>();
            // A reversed bill occupied its plates again: the board follows
            // the reversal's announcement and shows the plate it showed.
            m_board.showPlate(plate);
        }
        break;
    case BoardWindow::GoodsImport:
        showModal<TInExcelDataFm>();
        break;
    // The board's 查询统计 menu is enabled only with the right 营业查询.
    case BoardWindow::CurrentConsumption:
        showModal<TXfCxFm>();
        break;
    case BoardWindow::ItemStatistics:
        showModal<TItemCountFm>();
        break;
    // Open to every operator.
    case BoardWindow::CommissionTotals:
        showModal<TFwsTcTjFm>();
        break;
    case BoardWindow::CommissionLines:
        showModal<TFwsTcMxFm>();
        break;
    case BoardWindow::SalaryRecords:
        showModal<TGongZiRecordFm>();
        break;
    default:
        // The windows of the parts still to come.
        break;
    }
}

void Navigator::openMembers()
{
    TMemberFm members(m_session, &m_board);
    connect(&members, &TMemberFm::rechargeRequested, this,
            [this, &members](const QString &card) { openRecharge(card, members); });
    members.exec();
}

void Navigator::openEmployees()
{
    TFwsGlFm employees(m_session, &m_board);
    connect(&employees, &TFwsGlFm::salaryRequested, this,
            [this, &employees](const QString &code) { openSalary(code, employees); });
    employees.exec();
}

void Navigator::openSalary(const QString &employeeCode, QWidget &employeeList)
{
    TFaGongZiFm window(m_session, employeeCode, &employeeList);
    window.exec();
}

void Navigator::openRecharge(const QString &card, QWidget &memberList)
{
    // Modal over the member list, which reads its rows again when this
    // returns.
    TChongZhiFm window(m_session, card, &memberList);
    if (window.isLoaded())
        window.exec();
}

void Navigator::openOrder(const QString &plate)
{
    TOpenDanFm window(m_session, plate, m_board.CurrentRoom(), &m_board);
    const bool opened = window.exec() == QDialog::Accepted;
    // The plates follow the change feed; the plate stays selected, its
    // panel showing its new state.
    m_board.showPlate(plate);
    if (!opened)
        return;
    openConsumption(plate);
}

void Navigator::openConsumption(const QString &plate)
{
    bool checkout = false;
    {
        TAddConsumeFm window(m_session, plate, &m_board);
        window.exec();
        checkout = window.checkoutRequested();
    }
    // The add-consumption window is gone before checkout opens; the board
    // shows the plate after both.
    if (checkout)
        openCheckout(plate);
    m_board.showPlate(plate);
}

void Navigator::openCheckout(const QString &plate)
{
    // Settled or not, the board shows the plate when the caller returns.
    TCheckOutFm window(m_session, plate, &m_board);
    window.exec();
}
