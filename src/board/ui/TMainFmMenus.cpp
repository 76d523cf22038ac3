#include "TMainFm.h"

#include "TSpSetFm.h"
#include "TSpStatusFm.h"
#include "board/PlateStatus.h"
#include "common/FileOpener.h"
#include "common/Prompt.h"
#include "common/ui/Attempt.h"
#include "session/RightTable.h"
#include "session/Session.h"

#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

// The board window's toolbar, menus and pop-up menu, their entries enabled
// by the table of rights, and the windows the entries open.

using namespace Qt::StringLiterals;

namespace {

// One entry of the toolbar or of a menu: its caption and what choosing it does.
struct Entry
{
    QString caption;
    std::function<void()> handler;
};

// Adds the entries to a toolbar or menu, each connected to its handler, and
// keeps each action under its caption.
template <typename Bar>
void addEntries(QObject *context, Bar *bar, const QList<Entry> &entries,
                QHash<QString, QAction *> &actions)
{
    for (const Entry &entry : entries) {
        QAction *action = bar->addAction(entry.caption);
        QObject::connect(action, &QAction::triggered, context, entry.handler);
        actions.insert(entry.caption, action);
    }
}

} // namespace

void TMainFm::buildToolbar()
{
    QToolBar *toolbar = addToolBar(u"工具栏"_s);
    toolbar->setMovable(false);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    addEntries(this, toolbar, {
        {u"开单"_s, [this] { orderSelectedPlate(); }},
        {u"消费与结帐"_s, [this] { bookOnSelectedPlate(); }},
        {u"商品项目"_s, [this] { emit windowRequested(BoardWindow::Goods); }},
        {u"会员管理"_s, [this] { emit windowRequested(BoardWindow::Members); }},
        {u"账单查询"_s, [this] { emit windowRequested(BoardWindow::Bills); }},
        {u"账单明细"_s, [this] { emit windowRequested(BoardWindow::BillLines); }},
        {u"系统提示"_s,
         [this] { m_session.prompt.message(u"为了您的数据安全 请注意备份您的数据！"_s); }},
        {u"退出系统"_s, [this] { close(); }},
    }, m_toolbarActions);
    auto *spacer = new QWidget(toolbar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolbar->addWidget(spacer);
    m_edition = new QLabel(m_session.context.DbKind == u"s" ? u"当前是网络版"_s : u"当前是单机版"_s,
                           toolbar);
    m_edition->setContentsMargins(8, 0, 12, 0);
    toolbar->addWidget(m_edition);
}

void TMainFm::buildMenus()
{
    // Entries whose window comes from another part of the program ask for
    // it through windowRequested.
    auto request = [this](BoardWindow window) {
        return [this, window] { emit windowRequested(window); };
    };
    // Entries that stay enabled and refuse an operator without the right.
    auto withRight = [this](Guarded operation, BoardWindow window) {
        return [this, operation, window] { requireRight(operation, window); };
    };

    const std::pair<QString, QList<Entry>> menus[] = {
        {u"查询统计"_s,
         {{u"当前消费查询"_s, request(BoardWindow::CurrentConsumption)},
          {u"帐单查询"_s, request(BoardWindow::Bills)},
          {u"账单明细"_s, request(BoardWindow::BillLines)},
          {u"营业项目统计"_s, request(BoardWindow::ItemStatistics)},
          {u"进货记录统计"_s, request(BoardWindow::PurchaseRecords)}}},
        {u"系统管理"_s,
         {{u"商品项目管理"_s, request(BoardWindow::Goods)},
          {u"商品类型设置"_s, withRight(Guarded::GoodsTypes, BoardWindow::GoodsTypes)},
          {u"号牌与包厢设置"_s, [this] { openPlateSettings(); }}}},
        {u"会员管理"_s,
         {{u"会员信息管理"_s, request(BoardWindow::Members)},
          {u"会员类型管理"_s, request(BoardWindow::MemberTypes)},
          {u"会员消费查询"_s, request(BoardWindow::MemberConsumption)},
          {u"充值记录统计"_s, request(BoardWindow::RechargeRecords)}}},
        {u"员工管理"_s,
         {{u"员工信息管理"_s, request(BoardWindow::Employees)},
          {u"员工等级设置"_s, withRight(Guarded::EmployeeLevels, BoardWindow::EmployeeLevels)},
          {u"员工提成统计"_s, request(BoardWindow::CommissionTotals)},
          {u"员工提成明细"_s, request(BoardWindow::CommissionLines)},
          {u"工资记录"_s, request(BoardWindow::SalaryRecords)}}},
        {u"系统维护"_s,
         {{u"管理员设置"_s, request(BoardWindow::Operators)},
          {u"管理密码修改"_s, request(BoardWindow::PasswordChange)},
          {u"会员密码修改"_s, request(BoardWindow::MemberPassword)},
          {u"数据备份"_s, request(BoardWindow::Backup)},
          {u"数据恢复"_s, request(BoardWindow::Restore)},
          {u"系统信息设置"_s, request(BoardWindow::ShopInfo)},
          {u"EXCEL导入"_s, withRight(Guarded::ImportGoods, BoardWindow::GoodsImport)},
          {u"POS打印机设置"_s, withRight(Guarded::ReceiptPrinter, BoardWindow::ReceiptPrinter)},
          {u"数据库设置"_s, request(BoardWindow::DatabaseSettings)},
          {u"数据初始化"_s, request(BoardWindow::DataClearing)}}},
        {u"帮助"_s, {{u"帮助"_s, [this] { openHelp(); }}, {u"关于"_s, request(BoardWindow::About)}}},
    };
    for (const auto &[title, entries] : menus) {
        QMenu *menu = menuBar()->addMenu(title);
        m_menus.insert(title, menu);
        addEntries(this, menu, entries, m_menuActions);
    }

    m_popup = new QMenu(this);
    addEntries(this, m_popup, {
        {u"开    单"_s, [this] { requestForSelectedPlate(&TMainFm::openOrderRequested); }},
        {u"消费与结帐"_s, [this] { requestForSelectedPlate(&TMainFm::openConsumptionRequested); }},
        {u"修改状态"_s, [this] { openPlateStatus(); }},
        {u"撤单"_s, [this] { cancelOrder(); }},
    }, m_popupActions);
}

void TMainFm::applyRights()
{
    // The greyed entries of the table; the others stay enabled and refuse
    // when chosen.
    const Rights &rights = m_session.context.Rights;
    for (const Guard &guard : RightTable::guards()) {
        if (guard.board != Guard::Board::Greyed)
            continue;
        const bool enabled = rights.has(guard.right);
        for (const QString &caption : guard.toolbar)
            m_toolbarActions.value(caption)->setEnabled(enabled);
        for (const QString &entry : guard.menuEntries)
            m_menuActions.value(entry)->setEnabled(enabled);
        for (const QString &title : guard.menus)
            m_menus.value(title)->menuAction()->setEnabled(enabled);
        for (const QString &caption : guard.popup)
            m_popupActions.value(caption)->setEnabled(enabled);
    }
}

void TMainFm::preparePlateMenu()
{
    const std::optional<PlateState::Icon> icon = selectedIcon();
    if (icon)
        showDetails(SelectedPlate());
    const PlateBoard::PopupEnabling enabling = PlateBoard::popupEnabling(icon);
    m_popupActions.value(u"开    单"_s)->setEnabled(enabling.openOrder);
    m_popupActions.value(u"消费与结帐"_s)->setEnabled(enabling.consume);
    m_popupActions.value(u"修改状态"_s)->setEnabled(enabling.changeStatus);
    m_popupActions.value(u"撤单"_s)->setEnabled(enabling.cancelOrder);
}

QAction *TMainFm::toolbarAction(const QString &caption) const
{
    return m_toolbarActions.value(caption);
}

QMenu *TMainFm::menu(const QString &title) const
{
    return m_menus.value(title);
}

QAction *TMainFm::menuAction(const QString &entry) const
{
    return m_menuActions.value(entry);
}

QAction *TMainFm::popupAction(const QString &caption) const
{
    return m_popupActions.value(caption);
}

// ---------------------------------------------------------------- actions

bool TMainFm::followAnswer(const PlateBoard::Answer &answer)
{
    if (answer.step == PlateBoard::Answer::Refuse)
        m_session.prompt.message(answer.message);
    return answer.step == PlateBoard::Answer::Open;
}

void TMainFm::orderSelectedPlate()
{
    if (followAnswer(PlateBoard::openOrderAnswer(selectedIcon())))
        emit openOrderRequested(SelectedPlate());
}

void TMainFm::bookOnSelectedPlate()
{
    if (followAnswer(PlateBoard::consumptionAnswer(selectedIcon())))
        emit openConsumptionRequested(SelectedPlate());
}

void TMainFm::requestForSelectedPlate(void (TMainFm::*request)(const QString &plate))
{
    // The pop-up can outlive the selection (a reload in between).
    const QString plate = SelectedPlate();
    if (!plate.isEmpty())
        emit (this->*request)(plate);
}

void TMainFm::requireRight(Guarded operation, BoardWindow window)
{
    if (attempt(m_session.prompt, [&] { RightTable::require(m_session.context.Rights, operation); }))
        emit windowRequested(window);
}

void TMainFm::openPlateSettings()
{
    TSpSetFm window(m_session, this);
    if (window.exec() == TSpSetFm::EndProgram)
        endProgram();
}

bool TMainFm::changeSelectedPlate(const std::function<bool(const QString &plate)> &change)
{
    const QString plate = SelectedPlate();
    if (plate.isEmpty() || !change(plate))
        return false;
    RefreshSelectedPlate();
    return true;
}

void TMainFm::openPlateStatus()
{
    changeSelectedPlate([this](const QString &plate) {
        TSpStatusFm window(m_session, plate, this);
        return window.exec() == QDialog::Accepted;
    });
}

void TMainFm::cancelOrder()
{
    const bool cancelled = changeSelectedPlate([this](const QString &plate) {
        return attempt(m_session.prompt, [&] {
            PlateStatus(m_session.db()).cancelOrder(plate, m_session.context.signedIn());
        });
    });
    if (cancelled)
        m_session.prompt.message(u"撤单完毕"_s);
}

void TMainFm::openHelp()
{
    const QString path = QDir(m_session.context.ProgramDir).filePath(u"help.chm"_s);
    if (!m_session.opener.open(path))
        showError(u"不能打开帮助文件 "_s + QDir::toNativeSeparators(path));
}
