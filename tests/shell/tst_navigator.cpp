#include "support/ShopBuilder.h"
#include "support/TestSession.h"

#include "board/ui/TMainFm.h"
#include "operators/ui/TAdminChangePassFm.h"
#include "operators/ui/TAdminFm.h"
#include "orders/ui/TAddConsumeFm.h"
#include "orders/ui/TCheckOutFm.h"
#include "shell/Navigator.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

// The board asks; the navigator opens the window.
class TestNavigator : public QObject
{
    Q_OBJECT

private slots:
    void menuEntriesOpenTheirWindows_data();
    void menuEntriesOpenTheirWindows();
    void boardAloneOpensNoOtherWindow();
    void popupAsksOnlyForASelectedPlate();
    void openingAnOrderGoesOnToConsumption();
};

void TestNavigator::menuEntriesOpenTheirWindows_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("window");
    QTest::newRow("管理员设置") << u"管理员设置"_s << u"TAdminFm"_s;
    QTest::newRow("管理密码修改") << u"管理密码修改"_s << u"TAdminChangePassFm"_s;
    QTest::newRow("员工信息管理") << u"员工信息管理"_s << u"TFwsGlFm"_s;
    QTest::newRow("会员信息管理") << u"会员信息管理"_s << u"TMemberFm"_s;
    QTest::newRow("商品类型设置") << u"商品类型设置"_s << u"TXmKindFm"_s;
    QTest::newRow("员工等级设置") << u"员工等级设置"_s << u"TYgDjFm"_s;
    QTest::newRow("会员类型管理") << u"会员类型管理"_s << u"TMemBerTypeFm"_s;
    QTest::newRow("商品项目管理") << u"商品项目管理"_s << u"TXmFm"_s;
    QTest::newRow("进货记录统计") << u"进货记录统计"_s << u"TXmAddChaXunFm"_s;
    QTest::newRow("EXCEL导入") << u"EXCEL导入"_s << u"TInExcelDataFm"_s;
}

void TestNavigator::menuEntriesOpenTheirWindows()
{
    QFETCH(QString, entry);
    QFETCH(QString, window);
    TestSession t;
    t.context.Rights = Rights::all();
    t.context.OperatorName = u"超级管理员"_s;
    TMainFm board(t.session);
    board.setAskOnClose(false);
    Navigator navigator(t.session, board);
    board.show();

    QString opened;
    QTimer::singleShot(0, &board, [&opened] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (dialog) {
            opened = QString::fromLatin1(dialog->metaObject()->className());
            // done(): the member type window ignores reject(), as it ignores Esc.
            dialog->done(QDialog::Rejected);
        }
    });
    board.menuAction(entry)->trigger();
    QCOMPARE(opened, window);
}

void TestNavigator::boardAloneOpensNoOtherWindow()
{
    TestSession t;
    t.context.Rights = Rights::all();
    TMainFm board(t.session);
    board.setAskOnClose(false);
    board.show();
    QSignalSpy requested(&board, &TMainFm::windowRequested);
    bool modal = false;
    QTimer::singleShot(0, &board, [&modal] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            modal = true;
            dialog->reject();
        }
    });
    board.menuAction(u"管理员设置"_s)->trigger();
    QTest::qWait(20);
    QVERIFY(!modal);
    QCOMPARE(requested.count(), 1);
    QCOMPARE(requested.first().first().value<BoardWindow>(), BoardWindow::Operators);
}

void TestNavigator::popupAsksOnlyForASelectedPlate()
{
    TestSession t;
    t.context.Rights = Rights::all();
    TMainFm board(t.session);
    board.setAskOnClose(false);
    board.show();
    QSignalSpy order(&board, &TMainFm::openOrderRequested);
    QSignalSpy consumption(&board, &TMainFm::openConsumptionRequested);
    // Enabled, as after a right click on a plate that a reload then took away.
    board.popupAction(u"开    单"_s)->setEnabled(true);
    board.popupAction(u"消费与结帐"_s)->setEnabled(true);
    board.popupAction(u"开    单"_s)->trigger();
    board.popupAction(u"消费与结帐"_s)->trigger();
    QCOMPARE(order.count(), 0);
    QCOMPARE(consumption.count(), 0);
}

void TestNavigator::openingAnOrderGoesOnToConsumption()
{
    TestSession t;
    t.context.Rights = Rights::all();
    ShopBuilder(*t.database).room(u"大厅"_s).plate({.plate = u"SP001"_s});
    TMainFm board(t.session);
    board.setAskOnClose(false);
    Navigator navigator(t.session, board);
    board.show();
    QVERIFY(board.selectPlate(u"SP001"_s));

    // Each window in turn: the order is opened with Enter, the consumption
    // window then shows the board's plate and is left with "结帐", which
    // goes on to checkout.
    QStringList opened;
    QString consumptionPlate;
    QString stateMeanwhile;
    QString occupiedMeanwhile;
    QTimer answer;
    answer.setInterval(10);
    connect(&answer, &QTimer::timeout, &board, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        opened.append(QString::fromLatin1(dialog->metaObject()->className()));
        if (auto *consumption = qobject_cast<TAddConsumeFm *>(dialog)) {
            consumptionPlate = consumption->plate();
            stateMeanwhile = board.fieldText(u"当前状态:"_s);
            occupiedMeanwhile = board.fieldText(u"当前占用"_s);
            // Another workstation frees the plate while the window is open.
            t.database->execute(u"update 号牌管理 set 号牌状态='可用' where 号牌='SP001'"_s);
            consumption->checkoutButton()->click();
        } else if (qobject_cast<TCheckOutFm *>(dialog) || opened.size() > 3) {
            dialog->done(QDialog::Rejected);
        } else {
            QTest::keyClick(dialog, Qt::Key_Return);
        }
    });
    answer.start();
    emit board.openOrderRequested(u"SP001"_s);
    QCOMPARE(opened, (QStringList{u"TOpenDanFm"_s, u"TAddConsumeFm"_s, u"TCheckOutFm"_s}));
    QCOMPARE(consumptionPlate, u"SP001"_s);
    QCOMPARE(stateMeanwhile, u"占用"_s);
    QCOMPARE(occupiedMeanwhile, u"1"_s);
    // The board reads the plates and their totals again once the windows
    // are gone.
    QCOMPARE(board.SelectedPlate(), u"SP001"_s);
    QCOMPARE(board.fieldText(u"当前状态:"_s), u"可用"_s);
    QCOMPARE(board.fieldText(u"当前占用"_s), u"0"_s);
    QCOMPARE(board.fieldText(u"当前空闲"_s), u"1"_s);
}

SALONDESK_DB_GUI_TEST_MAIN(TestNavigator)
#include "tst_navigator.moc"
