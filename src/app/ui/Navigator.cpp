#include "Navigator.h"

#include "app/Session.h"
#include "board/ui/TMainFm.h"
#include "goods/ui/TXmAddChaXunFm.h"
#include "goods/ui/TXmFm.h"
#include "goods/ui/TXmKindFm.h"
#include "members/ui/TMemBerTypeFm.h"
#include "members/ui/TMemberFm.h"
#include "operators/ui/TAdminChangePassFm.h"
#include "operators/ui/TAdminFm.h"
#include "orders/ui/TAddConsumeFm.h"
#include "orders/ui/TCheckOutFm.h"
#include "orders/ui/TOpenDanFm.h"
#include "staff/ui/TFaGongZiFm.h"
#include "staff/ui/TFwsGlFm.h"
#include "staff/ui/TFwsTcMxFm.h"
#include "staff/ui/TFwsTcTjFm.h"
#include "staff/ui/TGongZiRecordFm.h"
#include "staff/ui/TYgDjFm.h"
#include "statistics/ui/TItemCountFm.h"
#include "statistics/ui/TXfCxFm.h"

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
    // The recharge window, modal over the member list, opens here; the
    // list reads its rows again when this returns.
    Q_UNUSED(card)
    Q_UNUSED(memberList)
}

void Navigator::openOrder(const QString &plate)
{
    TOpenDanFm window(m_session, plate, m_board.CurrentRoom(), &m_board);
    const bool opened = window.exec() == QDialog::Accepted;
    // Cancelling reloads too: the board shows what other workstations did
    // meanwhile. The plate stays selected, its panel showing its new state.
    m_board.ReloadPlates();
    if (m_board.selectPlate(plate))
        m_board.showSelectedPlate();
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
    // reloads after both.
    if (checkout)
        openCheckout(plate);
    m_board.ReloadPlates();
    if (m_board.selectPlate(plate))
        m_board.showSelectedPlate();
}

void Navigator::openCheckout(const QString &plate)
{
    // Settled or not, the board reloads when the caller returns.
    TCheckOutFm window(m_session, plate, &m_board);
    window.exec();
}
