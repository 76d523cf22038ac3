#include "BoardFixture.h"
#include "support/TestSession.h"
#include "export/WorkbookReader.h"

#include "board/OpenLinesModel.h"
#include "board/ui/TMainFm.h"
#include "orders/OrderOpening.h"
#include "session/Operator.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// The board's menus and every entry they carry.
const QList<std::pair<QString, QStringList>> MenuEntries{
    {u"查询统计"_s, {u"当前消费查询"_s, u"帐单查询"_s, u"账单明细"_s, u"营业项目统计"_s, u"进货记录统计"_s}},
    {u"系统管理"_s, {u"商品项目管理"_s, u"商品类型设置"_s, u"号牌与包厢设置"_s}},
    {u"会员管理"_s, {u"会员信息管理"_s, u"会员类型管理"_s, u"会员消费查询"_s, u"充值记录统计"_s}},
    {u"员工管理"_s, {u"员工信息管理"_s, u"员工等级设置"_s, u"员工提成统计"_s, u"员工提成明细"_s, u"工资记录"_s}},
    {u"系统维护"_s, {u"管理员设置"_s, u"管理密码修改"_s, u"会员密码修改"_s, u"数据备份"_s, u"数据恢复"_s,
                     u"系统信息设置"_s, u"EXCEL导入"_s, u"POS打印机设置"_s, u"数据库设置"_s, u"数据初始化"_s}},
    {u"帮助"_s, {u"帮助"_s, u"关于"_s}},
};
const QStringList ToolbarCaptions{u"开单"_s, u"消费与结帐"_s, u"商品项目"_s, u"会员管理"_s,
                                  u"账单查询"_s, u"账单明细"_s, u"系统提示"_s, u"退出系统"_s};
const QStringList PopupCaptions{u"开    单"_s, u"消费与结帐"_s, u"修改状态"_s, u"撤单"_s};

const QDateTime Now(QDate(2024, 3, 2), QTime(10, 0));

// A hall with one plate in each state, an occupied plate without lines,
// and a second room.
void shop(Database &db)
{
    BoardFixture::room(db, u"大厅"_s);
    BoardFixture::room(db, u"包间"_s);
    BoardFixture::plate(db, u"SP001"_s, u"大厅"_s, u"可用"_s);
    BoardFixture::plate(db, u"SP002"_s, u"大厅"_s, u"占用"_s, Now.addSecs(-26 * 3600), u"100"_s);
    BoardFixture::plate(db, u"SP003"_s, u"大厅"_s, u"预定"_s);
    BoardFixture::plate(db, u"SP004"_s, u"大厅"_s, u"停用"_s);
    BoardFixture::plate(db, u"SP005"_s, u"大厅"_s, u"占用"_s, Now.addSecs(-600));
    BoardFixture::plate(db, u"B01"_s, u"包间"_s, u"占用"_s, Now.addSecs(-60));
    BoardFixture::line(db, u"SP002"_s, u"洗剪吹"_s, u"30"_s, u"1"_s, u"30"_s);
    BoardFixture::line(db, u"SP002"_s, u"护发素"_s, u"38.5"_s, u"2"_s, u"77"_s);
    BoardFixture::line(db, u"B01"_s, u"烫发"_s, u"280"_s, u"1"_s, u"280"_s);
}

struct Board
{
    explicit Board(const QString &dbKind = u"a"_s, const Rights &rights = Rights::all())
    {
        t.clock.set(Now);
        t.context.DbKind = dbKind;
        t.context.Rights = rights;
        t.context.OperatorName = u"超级管理员"_s;
        t.context.CompanyText = u"SalonDesk"_s;
        t.context.WebText = u"网址:www.example.com"_s;
        t.context.TelText = u"客服电话:400-000-0000"_s;
        shop(*t.database);
        window = std::make_unique<TMainFm>(t.session);
        window->setAskOnClose(false);
    }

    void show()
    {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    QListWidgetItem *item(const QString &plate) const
    {
        const auto found = window->plateList()->findItems(plate, Qt::MatchExactly);
        return found.isEmpty() ? nullptr : found.first();
    }

    int icon(const QString &plate) const
    {
        QListWidgetItem *found = item(plate);
        return found ? found->data(Qt::UserRole + 1).toInt() : -1;
    }

    QPoint centreOf(const QString &plate) const
    {
        // The list lays its items out lazily.
        window->plateList()->doItemsLayout();
        return window->plateList()->visualItemRect(item(plate)).center();
    }

    void click(const QString &plate)
    {
        QTest::mouseClick(window->plateList()->viewport(), Qt::LeftButton, {}, centreOf(plate));
    }

    void doubleClick(const QString &plate)
    {
        QWidget *viewport = window->plateList()->viewport();
        QTest::mouseClick(viewport, Qt::LeftButton, {}, centreOf(plate));
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, centreOf(plate));
    }

    QStringList panel() const
    {
        QStringList values;
        for (const QString &caption : {u"号牌:"_s, u"当前状态:"_s, u"计费标准:"_s, u"进店时间:"_s,
                                       u"已用时间:"_s, u"已交押金:"_s, u"消费金额:"_s})
            values.append(window->fieldText(caption));
        return values;
    }

    QStringList counts() const
    {
        QStringList values;
        for (const QString &caption : {u"号牌总数"_s, u"当前占用"_s, u"当前空闲"_s, u"当前预定"_s, u"当前停用"_s})
            values.append(window->fieldText(caption));
        return values;
    }

    QStringList gridGoods() const
    {
        QStringList goods;
        for (const OpenLine &line : window->linesModel()->lines())
            goods.append(line.plate + u':' + line.goods);
        return goods;
    }

    TestSession t;
    std::unique_ptr<TMainFm> window;
};

} // namespace

// The plate board window: what it shows, what clicks, keys and entries do.
class TestBoardWindow : public QObject
{
    Q_OBJECT

private slots:
    void showsRoomsPlatesAndTotals();
    void editionText_data();
    void editionText();
    void changingTheTabReloadsThePlates();
    void clickFillsThePanelAndTheGrid();
    void settledPlateLeavesNoLinesInTheGrid();
    void doubleClickAsksForTheRightWindow_data();
    void doubleClickAsksForTheRightWindow();
    void popupEnablingFollowsTheState_data();
    void popupEnablingFollowsTheState();
    void rightsDisableTheirEntries_data();
    void rightsDisableTheirEntries();
    void entriesThatTestTheirRight_data();
    void entriesThatTestTheirRight();
    void toolbarAnswers_data();
    void toolbarAnswers();
    void quickFind_data();
    void quickFind();
    void f3FocusesTheFindBox();
    void enterOpensThePlateFound_data();
    void enterOpensThePlateFound();
    void cancelOrderFromThePopup();
    void followsOtherWorkstationsKeepingTheSelection_data();
    void followsOtherWorkstationsKeepingTheSelection();
    void showsAPlateOpenedElsewhere();
    void embeddedDatabaseTimerOnlyTicksTheClock();
    void exportWritesEveryColumnOfTheLines();
    void helpOpensTheHelpFile();
    void closingAsksFirst();
};

void TestBoardWindow::showsRoomsPlatesAndTotals()
{
    Board b;
    b.show();
    QCOMPARE(b.window->windowTitle(), u"美容美发管理系统"_s);
    QCOMPARE(b.window->roomTabs()->count(), 2);
    QCOMPARE(b.window->roomTabs()->tabText(1), u"包间"_s);
    QCOMPARE(b.window->CurrentRoom(), u"大厅"_s);
    QStringList plates;
    for (int row = 0; row < b.window->plateList()->count(); ++row)
        plates.append(b.window->plateList()->item(row)->text());
    QCOMPARE(plates, (QStringList{u"SP001"_s, u"SP002"_s, u"SP003"_s, u"SP004"_s, u"SP005"_s}));
    QCOMPARE(b.icon(u"SP001"_s), 0);
    QCOMPARE(b.icon(u"SP002"_s), 1);
    QCOMPARE(b.icon(u"SP003"_s), 2);
    QCOMPARE(b.icon(u"SP004"_s), 3);
    QCOMPARE(b.counts(), (QStringList{u"6"_s, u"3"_s, u"1"_s, u"1"_s, u"1"_s}));
    QCOMPARE(b.window->fieldText(u"时间:"_s), u"2024-03-02 10:00"_s);
    QVERIFY(b.window->SelectedPlate().isEmpty());
    // The grid starts with the open lines of every plate.
    QCOMPARE(b.gridGoods(), (QStringList{u"SP002:洗剪吹"_s, u"SP002:护发素"_s, u"B01:烫发"_s}));
    QStringList panels;
    for (QLabel *panel : b.window->statusPanels())
        panels.append(panel->text());
    QCOMPARE(panels, (QStringList{u"SalonDesk"_s, u"网址:www.example.com"_s, u"客服电话:400-000-0000"_s}));
}

void TestBoardWindow::editionText_data()
{
    QTest::addColumn<QString>("dbKind");
    QTest::addColumn<QString>("text");
    QTest::newRow("server") << u"s"_s << u"当前是网络版"_s;
    QTest::newRow("embedded") << u"a"_s << u"当前是单机版"_s;
}

void TestBoardWindow::editionText()
{
    QFETCH(QString, dbKind);
    QFETCH(QString, text);
    Board b(dbKind);
    QCOMPARE(b.window->editionLabel()->text(), text);
}

void TestBoardWindow::changingTheTabReloadsThePlates()
{
    Board b;
    b.show();
    b.click(u"SP001"_s);
    QCOMPARE(b.window->SelectedPlate(), u"SP001"_s);
    b.window->roomTabs()->setCurrentIndex(1);
    QCOMPARE(b.window->CurrentRoom(), u"包间"_s);
    QCOMPARE(b.window->plateList()->count(), 1);
    QCOMPARE(b.window->plateList()->item(0)->text(), u"B01"_s);
    QVERIFY(b.window->SelectedPlate().isEmpty());
}

void TestBoardWindow::clickFillsThePanelAndTheGrid()
{
    Board b;
    b.show();
    b.click(u"SP002"_s);
    QCOMPARE(b.window->SelectedPlate(), u"SP002"_s);
    QCOMPARE(b.window->ShownPlate(), u"SP002"_s);
    QCOMPARE(b.panel(), (QStringList{u"SP002"_s, u"占用"_s, u"标准"_s, u"2024-03-01 08:00:00"_s,
                                     u"02:00:00"_s, u"100"_s, u"107"_s}));
    QCOMPARE(b.gridGoods(), (QStringList{u"SP002:洗剪吹"_s, u"SP002:护发素"_s}));

    // A free plate shows 0s, and the grid follows it: none of SP002's
    // lines may look as if they were booked on SP001.
    b.click(u"SP001"_s);
    QCOMPARE(b.panel(), (QStringList{u"SP001"_s, u"可用"_s, u"标准"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s}));
    QVERIFY(b.gridGoods().isEmpty());
    QCOMPARE(b.window->linesModel()->plate(), std::optional<QString>(u"SP001"_s));

    b.click(u"SP002"_s);
    QCOMPARE(b.gridGoods(), (QStringList{u"SP002:洗剪吹"_s, u"SP002:护发素"_s}));

    // An occupied plate without lines empties it.
    b.click(u"SP005"_s);
    QVERIFY(b.gridGoods().isEmpty());
    QCOMPARE(b.window->fieldText(u"消费金额:"_s), QString());
}

// After a checkout the board reloads and shows the settled plate again: its
// lines are gone from the database and must be gone from the grid.
void TestBoardWindow::settledPlateLeavesNoLinesInTheGrid()
{
    Board b;
    b.show();
    b.click(u"SP002"_s);
    QCOMPARE(b.gridGoods(), (QStringList{u"SP002:洗剪吹"_s, u"SP002:护发素"_s}));

    b.t.database->execute(u"delete from xfmx where 号牌=?"_s, {u"SP002"_s});
    b.t.database->execute(u"update 号牌管理 set 号牌状态=? where 号牌=?"_s, {u"可用"_s, u"SP002"_s});
    b.window->ReloadPlates();
    QVERIFY(b.window->selectPlate(u"SP002"_s));
    b.window->showSelectedPlate();
    QCOMPARE(b.panel().value(1), u"可用"_s);
    QVERIFY(b.gridGoods().isEmpty());
}

void TestBoardWindow::doubleClickAsksForTheRightWindow_data()
{
    QTest::addColumn<QString>("plate");
    QTest::addColumn<int>("orders");
    QTest::addColumn<int>("consumptions");
    QTest::newRow("free opens the order") << u"SP001"_s << 1 << 0;
    QTest::newRow("occupied opens the consumption") << u"SP002"_s << 0 << 1;
    QTest::newRow("reserved opens nothing") << u"SP003"_s << 0 << 0;
    QTest::newRow("disabled opens nothing") << u"SP004"_s << 0 << 0;
}

void TestBoardWindow::doubleClickAsksForTheRightWindow()
{
    QFETCH(QString, plate);
    QFETCH(int, orders);
    QFETCH(int, consumptions);
    // Double clicks consult no right.
    Rights none;
    Board b(u"a"_s, none);
    b.show();
    QSignalSpy order(b.window.get(), &TMainFm::openOrderRequested);
    QSignalSpy consumption(b.window.get(), &TMainFm::openConsumptionRequested);
    b.doubleClick(plate);
    QCOMPARE(order.count(), orders);
    QCOMPARE(consumption.count(), consumptions);
    const QList<QVariant> arguments = orders ? order.value(0) : consumption.value(0);
    if (orders + consumptions)
        QCOMPARE(arguments.value(0).toString(), plate);
    QCOMPARE(b.window->ShownPlate(), plate);
}

void TestBoardWindow::popupEnablingFollowsTheState_data()
{
    QTest::addColumn<QString>("plate");
    QTest::addColumn<QString>("enabled"); // 开单, 消费与结帐, 修改状态, 撤单
    QTest::newRow("nothing selected") << QString() << u"0000"_s;
    QTest::newRow("free") << u"SP001"_s << u"1010"_s;
    QTest::newRow("occupied") << u"SP002"_s << u"0101"_s;
    QTest::newRow("reserved") << u"SP003"_s << u"1010"_s;
    QTest::newRow("disabled: only the state") << u"SP004"_s << u"0010"_s;
}

void TestBoardWindow::popupEnablingFollowsTheState()
{
    QFETCH(QString, plate);
    QFETCH(QString, enabled);
    // Without 来宾登记 and 消费管理 the pop-up still goes by the state.
    Rights rights = Rights::all();
    rights.set(Right::GuestOrders, false);
    rights.set(Right::Consumption, false);
    Board b(u"a"_s, rights);
    b.show();
    if (!plate.isEmpty())
        b.click(plate);
    b.window->preparePlateMenu();
    QString states;
    for (const QString &caption : PopupCaptions)
        states += b.window->popupAction(caption)->isEnabled() ? u'1' : u'0';
    QCOMPARE(states, enabled);
    if (!plate.isEmpty())
        QCOMPARE(b.window->ShownPlate(), plate);
}

void TestBoardWindow::rightsDisableTheirEntries_data()
{
    QTest::addColumn<QString>("right");
    QTest::addColumn<QStringList>("disabled");
    QTest::newRow("all granted") << QString() << QStringList();
    QTest::newRow("消费管理") << u"消费管理"_s << QStringList{u"toolbar:消费与结帐"_s, u"popup:消费与结帐"_s};
    QTest::newRow("来宾登记") << u"来宾登记"_s << QStringList{u"toolbar:开单"_s, u"popup:开    单"_s};
    QTest::newRow("营业查询") << u"营业查询"_s << QStringList{u"menu:查询统计"_s};
    QTest::newRow("会员管理") << u"会员管理"_s
        << QStringList{u"toolbar:会员管理"_s, u"entry:会员信息管理"_s, u"entry:会员类型管理"_s};
    QTest::newRow("数据初始化") << u"数据初始化"_s << QStringList{u"entry:数据初始化"_s};
    QTest::newRow("管理员设置") << u"管理员设置"_s
        << QStringList{u"entry:管理员设置"_s, u"entry:系统信息设置"_s, u"entry:数据库设置"_s};
    QTest::newRow("商品管理") << u"商品管理"_s << QStringList{u"toolbar:商品项目"_s, u"entry:商品项目管理"_s};
    QTest::newRow("号牌管理") << u"号牌管理"_s << QStringList{u"entry:号牌与包厢设置"_s};
    QTest::newRow("员工管理") << u"员工管理"_s << QStringList{u"entry:员工信息管理"_s};
    QTest::newRow("数据备份") << u"数据备份"_s << QStringList{u"entry:数据备份"_s};
    QTest::newRow("数据恢复") << u"数据恢复"_s << QStringList{u"entry:数据恢复"_s};
    QTest::newRow("商品类型 refuses when chosen") << u"商品类型"_s << QStringList();
    QTest::newRow("撤单 is tested when cancelling") << u"撤单"_s << QStringList();
    QTest::newRow("收银结算 shows nothing") << u"收银结算"_s << QStringList();
}

void TestBoardWindow::rightsDisableTheirEntries()
{
    QFETCH(QString, right);
    QFETCH(QStringList, disabled);
    Rights rights = Rights::all();
    if (!right.isEmpty())
        rights.set(*Rights::ofColumn(right), false);
    Board b(u"a"_s, rights);
    b.show();

    QStringList found;
    for (const QString &caption : ToolbarCaptions) {
        QAction *action = b.window->toolbarAction(caption);
        QVERIFY2(action, qPrintable(caption));
        if (!action->isEnabled())
            found.append(u"toolbar:"_s + caption);
    }
    for (const auto &[title, entries] : MenuEntries) {
        QMenu *menu = b.window->menu(title);
        QVERIFY2(menu, qPrintable(title));
        if (!menu->menuAction()->isEnabled())
            found.append(u"menu:"_s + title);
        QStringList captions;
        for (QAction *action : menu->actions())
            captions.append(action->text());
        QCOMPARE(captions, entries);
        for (const QString &entry : entries) {
            if (!b.window->menuAction(entry)->isEnabled())
                found.append(u"entry:"_s + entry);
        }
    }
    for (const QString &caption : PopupCaptions) {
        if (!b.window->popupAction(caption)->isEnabled())
            found.append(u"popup:"_s + caption);
    }
    QCOMPARE(found, disabled);
}

void TestBoardWindow::entriesThatTestTheirRight_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("right");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("商品类型设置") << u"商品类型设置"_s << u"商品类型"_s << u"没有权限!"_s;
    QTest::newRow("员工等级设置") << u"员工等级设置"_s << u"管理员设置"_s << u"操作失败:没有权限!"_s;
    QTest::newRow("EXCEL导入") << u"EXCEL导入"_s << u"管理员设置"_s << u"操作失败:没有权限!"_s;
    QTest::newRow("POS打印机设置") << u"POS打印机设置"_s << u"管理员设置"_s << u"操作失败:没有权限!"_s;
}

void TestBoardWindow::entriesThatTestTheirRight()
{
    QFETCH(QString, entry);
    QFETCH(QString, right);
    QFETCH(QString, refusal);
    for (const bool granted : {false, true}) {
        Rights rights = Rights::all();
        rights.set(*Rights::ofColumn(right), granted);
        Board b(u"a"_s, rights);
        b.show();
        QSignalSpy requested(b.window.get(), &TMainFm::windowRequested);
        QAction *action = b.window->menuAction(entry);
        QVERIFY(action->isEnabled());
        action->trigger();
        QCOMPARE(b.t.prompt.messages(), granted ? QStringList() : QStringList{refusal});
        QCOMPARE(requested.count(), granted ? 1 : 0);
    }
}

void TestBoardWindow::toolbarAnswers_data()
{
    QTest::addColumn<QString>("plate");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("opens"); // "order", "consumption" or nothing
    QTest::newRow("开单 without a plate") << QString() << u"开单"_s << u"没有选号牌！"_s << QString();
    QTest::newRow("开单 on occupied") << u"SP002"_s << u"开单"_s << u"请选择一个没被占用的号牌来开单"_s << QString();
    QTest::newRow("开单 on reserved") << u"SP003"_s << u"开单"_s << QString() << QString();
    QTest::newRow("开单 on free") << u"SP001"_s << u"开单"_s << QString() << u"order"_s;
    QTest::newRow("消费 without a plate") << QString() << u"消费与结帐"_s << u"请选号牌！"_s << QString();
    QTest::newRow("消费 on free") << u"SP001"_s << u"消费与结帐"_s << u"该号牌还没有开单，无法增加消费！"_s << QString();
    QTest::newRow("消费 on disabled") << u"SP004"_s << u"消费与结帐"_s << QString() << QString();
    QTest::newRow("消费 on occupied") << u"SP002"_s << u"消费与结帐"_s << QString() << u"consumption"_s;
    QTest::newRow("系统提示") << QString() << u"系统提示"_s << u"为了您的数据安全 请注意备份您的数据！"_s << QString();
}

void TestBoardWindow::toolbarAnswers()
{
    QFETCH(QString, plate);
    QFETCH(QString, button);
    QFETCH(QString, message);
    QFETCH(QString, opens);
    Board b;
    b.show();
    if (!plate.isEmpty())
        b.click(plate);
    QSignalSpy order(b.window.get(), &TMainFm::openOrderRequested);
    QSignalSpy consumption(b.window.get(), &TMainFm::openConsumptionRequested);
    b.window->toolbarAction(button)->trigger();
    QCOMPARE(b.t.prompt.messages(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(order.count(), opens == u"order" ? 1 : 0);
    QCOMPARE(consumption.count(), opens == u"consumption" ? 1 : 0);
}

void TestBoardWindow::quickFind_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("selected");
    QTest::newRow("exact") << u"SP003"_s << u"SP003"_s;
    QTest::newRow("letter case is ignored") << u"sp003"_s << u"SP003"_s;
    QTest::newRow("other rooms are not searched") << u"B01"_s << QString();
}

void TestBoardWindow::quickFind()
{
    QFETCH(QString, text);
    QFETCH(QString, selected);
    Board b;
    b.show();
    b.window->findBox()->setText(text);
    QTest::keyClick(b.window->findBox(), Qt::Key_Return);
    QCOMPARE(b.window->SelectedPlate(), selected);
    if (selected.isEmpty()) {
        QCOMPARE(b.t.prompt.messages(), QStringList{u"没有找到号牌 %1！"_s.arg(text)});
        QVERIFY(b.window->ShownPlate().isEmpty());
    } else {
        QVERIFY(b.t.prompt.messages().isEmpty());
        // The click behaviour ran for the found plate.
        QCOMPARE(b.window->ShownPlate(), selected);
        QCOMPARE(b.window->fieldText(u"当前状态:"_s), u"预定"_s);
    }
}

void TestBoardWindow::enterOpensThePlateFound_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("opens");
    QTest::newRow("free plate: an order") << u"sp001"_s << u"order"_s;
    QTest::newRow("occupied plate: its consumption") << u"SP002"_s << u"consumption"_s;
}

// At the desk, F3, the plate's number, Enter, Enter: the first Enter finds
// and shows the plate, the second opens it as a double click would.
void TestBoardWindow::enterOpensThePlateFound()
{
    QFETCH(QString, typed);
    QFETCH(QString, opens);
    Board b;
    b.show();
    QApplication::setActiveWindow(b.window.get());
    QVERIFY(QTest::qWaitForWindowActive(b.window.get()));
    QSignalSpy order(b.window.get(), &TMainFm::openOrderRequested);
    QSignalSpy consumption(b.window.get(), &TMainFm::openConsumptionRequested);

    QTest::keyClick(b.window.get(), Qt::Key_F3);
    QTRY_VERIFY(b.window->findBox()->hasFocus());
    QTest::keyClicks(b.window->findBox(), typed);
    QTest::keyClick(b.window->findBox(), Qt::Key_Return);
    QCOMPARE(b.window->SelectedPlate(), typed.toUpper());
    QCOMPARE(order.count() + consumption.count(), 0);

    QTRY_VERIFY(b.window->plateList()->hasFocus());
    QTest::keyClick(b.window->plateList(), Qt::Key_Return);
    QCOMPARE(order.count(), opens == u"order" ? 1 : 0);
    QCOMPARE(consumption.count(), opens == u"consumption" ? 1 : 0);
}

void TestBoardWindow::f3FocusesTheFindBox()
{
    Board b;
    b.show();
    QApplication::setActiveWindow(b.window.get());
    QVERIFY(QTest::qWaitForWindowActive(b.window.get()));
    b.window->plateList()->setFocus();
    QTRY_VERIFY(b.window->plateList()->hasFocus());
    QTest::keyClick(b.window->plateList(), Qt::Key_F3);
    QTRY_VERIFY(b.window->findBox()->hasFocus());
}

void TestBoardWindow::cancelOrderFromThePopup()
{
    Board b;
    b.show();
    b.click(u"SP005"_s);
    b.window->preparePlateMenu();
    QVERIFY(b.window->popupAction(u"撤单"_s)->isEnabled());
    b.window->popupAction(u"撤单"_s)->trigger();
    QCOMPARE(b.t.prompt.messages(), QStringList{u"撤单完毕"_s});
    QCOMPARE(b.icon(u"SP005"_s), 0);
    QCOMPARE(b.window->fieldText(u"当前状态:"_s), u"可用"_s);
    QCOMPARE(b.counts(), (QStringList{u"6"_s, u"2"_s, u"2"_s, u"1"_s, u"1"_s}));

    // A plate with lines stays occupied.
    b.t.prompt.clear();
    b.click(u"SP002"_s);
    b.window->popupAction(u"撤单"_s)->trigger();
    QCOMPARE(b.t.prompt.messages(), QStringList{u"有消费项目,不能撤销."_s});
    QCOMPARE(b.icon(u"SP002"_s), 1);
}

void TestBoardWindow::followsOtherWorkstationsKeepingTheSelection_data()
{
    QTest::addColumn<bool>("newPlate");
    QTest::newRow("states changed elsewhere") << false;
    QTest::newRow("a plate added elsewhere") << true;
}

void TestBoardWindow::followsOtherWorkstationsKeepingTheSelection()
{
    QFETCH(bool, newPlate);
    Board b(u"s"_s);
    b.show();
    b.click(u"SP004"_s);
    const QStringList panel = b.panel();

    // Another workstation opens the reserved plate and frees the selected
    // one, announcing it as its stores do.
    auto other = Database::open(b.t.database->settings());
    other->execute(u"update 号牌管理 set 号牌状态=? where 号牌=?"_s, {u"占用"_s, u"SP003"_s});
    other->execute(u"update 号牌管理 set 号牌状态=? where 号牌=?"_s, {u"可用"_s, u"SP004"_s});
    if (newPlate)
        BoardFixture::plate(*other, u"SP000"_s, u"大厅"_s, u"可用"_s);
    other->announce(Change::Plates);

    // No tick and no reload call: the change feed brings it.
    QTRY_COMPARE_WITH_TIMEOUT(b.icon(u"SP003"_s), 1, 1000);
    QCOMPARE(b.window->SelectedPlate(), u"SP004"_s);
    QVERIFY(b.item(u"SP004"_s)->isSelected());
    QCOMPARE(b.icon(u"SP004"_s), 0);
    QCOMPARE(b.window->plateList()->count(), newPlate ? 6 : 5);
    QCOMPARE(b.counts().value(1), u"4"_s);
    // The shown plate's panel follows its plate.
    QStringList expected = panel;
    expected[1] = u"可用"_s;
    QCOMPARE(b.panel(), expected);
    QVERIFY(b.t.prompt.messages().isEmpty());
}

void TestBoardWindow::showsAPlateOpenedElsewhere()
{
    Board b;
    b.show();
    b.click(u"SP001"_s);
    QCOMPARE(b.window->fieldText(u"当前状态:"_s), u"可用"_s);

    // The real opening, at another workstation of the shop.
    auto other = Database::open(b.t.database->settings());
    Operator who;
    who.name = u"小王"_s;
    OrderOpening(*other, who, b.t.clock).open({u"SP001"_s, {}, u"大厅"_s, u"散客"_s, {}});

    QTRY_COMPARE_WITH_TIMEOUT(b.icon(u"SP001"_s), 1, 1000);
    QTRY_COMPARE(b.window->fieldText(u"当前状态:"_s), u"占用"_s);
    QCOMPARE(b.window->SelectedPlate(), u"SP001"_s);
    QCOMPARE(b.counts(), (QStringList{u"6"_s, u"4"_s, u"0"_s, u"1"_s, u"1"_s}));
    QVERIFY(b.t.prompt.messages().isEmpty());
}

void TestBoardWindow::embeddedDatabaseTimerOnlyTicksTheClock()
{
    Board b(u"a"_s);
    b.show();
    b.t.database->execute(u"update 号牌管理 set 号牌状态=? where 号牌=?"_s, {u"占用"_s, u"SP003"_s});
    b.t.clock.advanceSeconds(5);
    b.window->tick();
    QCOMPARE(b.icon(u"SP003"_s), 2);
    QCOMPARE(b.window->fieldText(u"时间:"_s), u"2024-03-02 10:00:05"_s);
    QCOMPARE(b.window->timer()->interval(), 3000);
    QVERIFY(b.window->timer()->isActive());
}

void TestBoardWindow::exportWritesEveryColumnOfTheLines()
{
    if (!WorkbookReader::available())
        QSKIP("python3 with openpyxl is needed to read the workbook back");
    Board b;
    b.show();
    const QStringList columns = b.t.database->columns(u"xfmx"_s);
    auto exported = [&b] {
        b.t.prompt.files.enqueue(b.t.dir.filePath(u"lines.xlsx"_s));
        b.t.prompt.answers.enqueue(true);
        b.window->exportButton()->click();
        WorkbookReader::Sheet sheet;
        QString error;
        if (!WorkbookReader::read(b.t.opener.opened.last(), &sheet, &error))
            qWarning() << error;
        return sheet;
    };
    auto row = [](const WorkbookReader::Sheet &sheet, int index) {
        QStringList values;
        for (const WorkbookReader::Cell &cell : sheet.rows.value(index))
            values.append(cell.value);
        return values;
    };

    // Nothing selected: the lines of every plate, as the grid shows them.
    WorkbookReader::Sheet sheet = exported();
    QCOMPARE(row(sheet, 0), columns);
    QCOMPARE(sheet.rows.size(), 4);

    // One plate: its lines, every column of xfmx under its own name, and no
    // 打折率, which is no column.
    b.click(u"SP002"_s);
    sheet = exported();
    QCOMPARE(b.t.opener.opened.size(), 2);
    QVERIFY(b.t.opener.opened.last().endsWith(u".xlsx"_s));
    QVERIFY(b.t.prompt.messages().isEmpty());
    QCOMPARE(row(sheet, 0), columns);
    QVERIFY(!row(sheet, 0).contains(u"打折率"_s));
    QCOMPARE(sheet.rows.size(), 3);
    const int goods = columns.indexOf(u"商品名"_s);
    const int total = columns.indexOf(u"合计"_s);
    const int plate = columns.indexOf(u"号牌"_s);
    QCOMPARE(row(sheet, 1).value(plate), u"SP002"_s);
    QCOMPARE(row(sheet, 2).value(goods), u"护发素"_s);
    QCOMPARE(sheet.rows.at(2).value(total).type, u"number"_s);
    QCOMPARE(row(sheet, 2).value(total), u"77"_s);
    // The grid keeps its nine columns.
    QCOMPARE(b.window->linesGrid()->columnCount(), 9);
}

void TestBoardWindow::helpOpensTheHelpFile()
{
    Board b;
    b.window->menuAction(u"帮助"_s)->trigger();
    QCOMPARE(b.t.opener.opened, QStringList{QDir(b.t.context.ProgramDir).filePath(u"help.chm"_s)});
}

void TestBoardWindow::closingAsksFirst()
{
    Board b;
    b.window->setAskOnClose(true);
    b.show();
    b.t.prompt.answers.enqueue(false);
    QVERIFY(!b.window->close());
    QVERIFY(b.window->isVisible());
    QCOMPARE(b.t.prompt.shown.last().text, u"确认要退出吗?"_s);
    QCOMPARE(b.t.prompt.shown.last().caption, u"请确认"_s);
    b.t.prompt.answers.enqueue(true);
    QVERIFY(b.window->close());
}

SALONDESK_DB_GUI_TEST_MAIN(TestBoardWindow)
#include "tst_board_window.moc"
