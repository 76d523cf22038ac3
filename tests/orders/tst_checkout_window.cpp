#include "support/ShopBuilder.h"
#include "support/TestSession.h"

#include "common/GbkText.h"
#include "orders/ui/TCheckOutFm.h"
#include "orders/ui/TCheckOutInfoFm.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QRadioButton>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSqlRecord>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <algorithm>

using namespace Qt::StringLiterals;

// The checkout window's wiring: member identification by Enter, the rate,
// the payment list, the questions before a paid bill, rights, and that
// what the window shows is what settlement writes.
class TestCheckoutWindow : public QObject
{
    Q_OBJECT

private slots:
    void memberPaysPartlyByCard();
    void questionsBeforeAPaidBill_data();
    void questionsBeforeAPaidBill();
    void wrongPasswordStartsAgain();
    void memberTypeWithoutRateIsSaid();
    void typingIntoThePaymentListFallsBackToCash();
    void waiveAndCancelNeedTheirRight_data();
    void waiveAndCancelNeedTheirRight();
    void waiveAndCancelAskFirst_data();
    void waiveAndCancelAskFirst();
    void confirmationWindowConfirmsOnlyByItsButton();
    void refusedSettlementKeepsTheWindow();
    void printsTheBillShownToThePort();
};

namespace {

struct Visit : TestSession
{
    Visit()
    {
        context.OperatorName = u"前台"_s;
        context.Rights = Rights::all();
        Database &db = *database;
        ShopBuilder(db)
            .plate({.plate = u"SP001"_s, .state = u"占用"_s, .entered = clock.now()})
            .plate({.plate = u"SP002"_s, .state = u"占用"_s, .mainPlate = u"SP001"_s,
                    .entered = clock.now()});
        line(u"SP001"_s, u"烫发"_s, u"40"_s, u"y"_s);
        line(u"SP002"_s, u"洗发水"_s, u"10"_s, u"n"_s);
        db.execute(u"insert into 会员类型 (类型名称, 打折率) values ('金卡', 0.5)"_s);
        ShopBuilder(db).member({.card = u"8001"_s, .name = u"张三"_s, .balance = Money::fromInt(20),
                                .points = Money::fromInt(100)});
    }
    void line(const QString &plate, const QString &goods, const QString &price,
              const QString &discounts)
    {
        ShopBuilder(*database).line({.plate = plate, .mainPlate = u"SP001"_s, .goods = goods,
                                     .price = Money::fromText(price), .discounts = discounts});
    }
    QString value(const QString &sql)
    {
        const QVariant stored = database->scalar(sql);
        const auto amount = Money::tryFromVariant(stored);
        return amount ? amount->toString() : stored.toString();
    }
};

void pressEnter(QLineEdit *edit)
{
    QTest::keyClick(edit, Qt::Key_Return);
}

} // namespace

void TestCheckoutWindow::memberPaysPartlyByCard()
{
    Visit t;
    TCheckOutFm window(t.session, u"SP001"_s);
    QCOMPARE(window.windowTitle(), u"顾客结帐 ZhuHp:SP001 XzHp: SP001"_s);
    QCOMPARE(window.groupPlates()->count(), 2);
    QCOMPARE(window.valueLabel(u"应收金额:"_s)->text(), u"50"_s);
    QCOMPARE(window.cardEdit()->text(), u"散客"_s);

    window.cardEdit()->setText(u"8001"_s);
    pressEnter(window.cardEdit());
    QCOMPARE(window.passwordEdit()->text(), u"0000"_s);
    pressEnter(window.passwordEdit());
    // The 金卡 rate halves the service; the goods take no discount.
    QCOMPARE(window.rateEdit()->text(), u"0.50"_s);
    QCOMPARE(window.valueLabel(u"应收金额:"_s)->text(), u"30"_s);
    QCOMPARE(window.valueLabel(u"会员姓名:"_s)->text(), u"张三"_s);
    QCOMPARE(window.lineGrid()->item(0, 1)->text(), u"20"_s);

    window.paymentBox()->setCurrentIndex(1);
    window.choosePayment(1);
    QCOMPARE(window.receivedEdit()->text(), u"10"_s);

    QList<Money> confirmed;
    window.setConfirmation([&](Money due, Money received, Money card) {
        confirmed = {due, received, card};
        return true;
    });
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::keyClick(window.receivedEdit(), Qt::Key_F2);

    QCOMPARE(confirmed, QList<Money>({Money::fromInt(30), Money::fromInt(10), Money::fromInt(20)}));
    QCOMPARE(t.prompt.messages(), QStringList({u"谢谢光临！"_s}));
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QCOMPARE(t.value(u"select 卡内金额 from 会员管理"_s), u"0"_s);
    QCOMPARE(t.value(u"select 当前积分 from 会员管理"_s), u"110"_s);
    QCOMPARE(t.value(u"select 实收金额 from 结帐管理"_s), u"10"_s);
    QCOMPARE(t.value(u"select count(*) from jzmx"_s), u"2"_s);
    QCOMPARE(t.value(u"select count(*) from 号牌管理 where 号牌状态='可用'"_s), u"2"_s);
}

void TestCheckoutWindow::questionsBeforeAPaidBill_data()
{
    QTest::addColumn<bool>("depositAnswer");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<int>("bills");
    QTest::newRow("deposit noted, confirmed") << true << true << 1;
    QTest::newRow("deposit not noted") << false << true << 0;
    QTest::newRow("not confirmed") << true << false << 0;
}

void TestCheckoutWindow::questionsBeforeAPaidBill()
{
    QFETCH(bool, depositAnswer);
    QFETCH(bool, confirm);
    QFETCH(int, bills);
    Visit t;
    t.database->execute(u"update 号牌管理 set 押金金额=12.5 where 号牌='SP001'"_s);
    TCheckOutFm window(t.session, u"SP001"_s);
    bool asked = false;
    window.setConfirmation([&](Money, Money, Money) {
        asked = true;
        return confirm;
    });
    t.prompt.answers.enqueue(depositAnswer);

    window.settlePaid();

    QCOMPARE(t.prompt.shown.first().text, u"有押金:12.5元,请注意核对!"_s);
    QCOMPARE(asked, depositAnswer);
    QCOMPARE(t.value(u"select count(*) from 结帐管理"_s).toInt(), bills);
    QCOMPARE(t.value(u"select count(*) from xfmx"_s).toInt(), bills ? 0 : 2);
}

void TestCheckoutWindow::wrongPasswordStartsAgain()
{
    Visit t;
    t.database->execute(u"update 会员管理 set 密码='4321'"_s);
    TCheckOutFm window(t.session, u"SP001"_s);
    window.show();
    window.cardEdit()->setText(u"9999"_s);
    pressEnter(window.cardEdit());
    QCOMPARE(t.prompt.lastMessage(), u"没有这个卡号的会员!"_s);

    window.cardEdit()->setText(u"8001"_s);
    pressEnter(window.cardEdit());
    QCOMPARE(window.passwordEdit()->text(), QString());
    window.passwordEdit()->setText(u"0000"_s);
    pressEnter(window.passwordEdit());
    QCOMPARE(t.prompt.lastMessage(), u"密码错误！"_s);
    QCOMPARE(window.passwordEdit()->text(), QString());
    QCOMPARE(window.cardEdit()->selectedText(), u"8001"_s);
    QCOMPARE(window.valueLabel(u"会员卡号:"_s)->text(), u"非会员"_s);

    window.passwordEdit()->setText(u"4321"_s);
    pressEnter(window.passwordEdit());
    QCOMPARE(window.valueLabel(u"会员卡号:"_s)->text(), u"8001"_s);
}

void TestCheckoutWindow::memberTypeWithoutRateIsSaid()
{
    Visit t;
    t.database->execute(u"update 会员类型 set 打折率=null"_s);
    TCheckOutFm window(t.session, u"SP001"_s);
    window.show();
    window.cardEdit()->setText(u"8001"_s);
    pressEnter(window.cardEdit());
    pressEnter(window.passwordEdit());

    QCOMPARE(window.valueLabel(u"应收金额:"_s)->text(), u"50"_s);
    QCOMPARE(window.lineGrid()->item(0, 5)->text(), u"40"_s);
    QCOMPARE(window.rateEdit()->text(), u"1"_s);
    QCOMPARE(window.valueLabel(u"会员卡号:"_s)->text(), u"8001"_s);
    QCOMPARE(t.prompt.messages().size(), 1);
    QVERIFY2(t.prompt.lastMessage().startsWith(u"会员类型 金卡 没有设置打折率，不打折。"_s),
             qPrintable(t.prompt.lastMessage()));
}

void TestCheckoutWindow::typingIntoThePaymentListFallsBackToCash()
{
    Visit t;
    TCheckOutFm window(t.session, u"SP001"_s);
    window.cardEdit()->setText(u"8001"_s);
    pressEnter(window.cardEdit());
    pressEnter(window.passwordEdit());
    window.paymentBox()->setCurrentIndex(1);
    window.choosePayment(1);
    QCOMPARE(window.checkout().cardDeduction().toString(), u"20"_s);

    QTest::keyClick(window.paymentBox(), Qt::Key_Y);

    QCOMPARE(window.paymentBox()->currentText(), u"现金支付"_s);
    QCOMPARE(window.checkout().paymentMethod(), u"现金支付"_s);
    QCOMPARE(window.checkout().cardDeduction().toString(), u"0"_s);
    QCOMPARE(window.receivedEdit()->text(), u"30"_s);
}

void TestCheckoutWindow::waiveAndCancelNeedTheirRight_data()
{
    QTest::addColumn<QString>("right");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QString>("state");
    QTest::newRow("waive") << u"免单"_s << u"操作失败:您没有免单权限,请让有更高权限的人来操作!"_s
                           << u"免单"_s;
    QTest::newRow("cancel") << u"撤单"_s
                            << u"操作失败:您没有撤单权限,请让有此权限的管理员来操作!"_s
                            << u"撤单"_s;
}

void TestCheckoutWindow::waiveAndCancelNeedTheirRight()
{
    QFETCH(QString, right);
    QFETCH(QString, refusal);
    QFETCH(QString, state);
    Visit t;
    t.context.Rights.set(*Rights::ofColumn(right), false);
    // Rights are read at sign-in, before any window opens: each press gets
    // a window of its own.
    const auto press = [&] {
        TCheckOutFm window(t.session, u"SP001"_s);
        right == u"免单" ? window.settleWaived() : window.settleCancelled();
        return window.result();
    };
    press();
    QCOMPARE(t.prompt.messages(), QStringList({refusal}));
    QCOMPARE(t.value(u"select count(*) from 结帐管理"_s), u"0"_s);

    t.prompt.clear();
    t.context.Rights.set(*Rights::ofColumn(right), true);
    t.prompt.answers.enqueue(true);
    const int result = press();
    // One question and no closing message: the bill is closed.
    QCOMPARE(t.prompt.shown.size(), 1);
    QCOMPARE(t.prompt.shown.first().kind, u"question"_s);
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(t.value(u"select 状态 from 结帐管理"_s), state);
    QCOMPARE(t.value(u"select 实收金额 from 结帐管理"_s), u"0"_s);
    QCOMPARE(t.value(u"select 应收金额 from 结帐管理"_s), u"50"_s);
}

void TestCheckoutWindow::waiveAndCancelAskFirst_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("state");
    const QString waive = u"确定免单吗？号牌 SP001、SP002，金额 50 元将不收取。"_s;
    const QString cancel = u"确定撤单吗？号牌 SP001、SP002，金额 50 元将不收取。"_s;
    // F3, next to F2, waives: only a second answer lets the bill go unpaid.
    QTest::newRow("F3, No") << u"免单[F3]"_s << false << waive << QString();
    QTest::newRow("F3, Yes") << u"免单[F3]"_s << true << waive << u"免单"_s;
    QTest::newRow("撤单, No") << u"撤单"_s << false << cancel << QString();
    QTest::newRow("撤单, Yes") << u"撤单"_s << true << cancel << u"撤单"_s;
}

void TestCheckoutWindow::waiveAndCancelAskFirst()
{
    QFETCH(QString, button);
    QFETCH(bool, answer);
    QFETCH(QString, question);
    QFETCH(QString, state);
    Visit t;
    TCheckOutFm window(t.session, u"SP001"_s);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    t.prompt.answers.enqueue(answer);

    if (button == u"免单[F3]") {
        QTest::keyClick(window.receivedEdit(), Qt::Key_F3);
    } else {
        const QList<QPushButton *> buttons = window.findChildren<QPushButton *>();
        const auto found = std::find_if(buttons.begin(), buttons.end(),
                                        [&](QPushButton *b) { return b->text() == button; });
        QVERIFY(found != buttons.end());
        (*found)->click();
    }

    QCOMPARE(t.prompt.shown.size(), 1);
    QCOMPARE(t.prompt.shown.first().kind, u"question"_s);
    QCOMPARE(t.prompt.shown.first().text, question);
    const bool settled = !state.isEmpty();
    QCOMPARE(window.result(), int(settled ? QDialog::Accepted : QDialog::Rejected));
    QCOMPARE(window.isVisible(), !settled);
    QCOMPARE(t.value(u"select count(*) from 结帐管理"_s), settled ? u"1"_s : u"0"_s);
    QCOMPARE(t.value(u"select count(*) from xfmx"_s), settled ? u"0"_s : u"2"_s);
    QCOMPARE(t.value(u"select count(*) from 号牌管理 where 号牌状态='占用'"_s),
             settled ? u"0"_s : u"2"_s);
    QCOMPARE(t.value(u"select 卡内金额 from 会员管理"_s), u"20"_s);
    if (settled)
        QCOMPARE(t.value(u"select 状态 from 结帐管理"_s), state);
}

void TestCheckoutWindow::confirmationWindowConfirmsOnlyByItsButton()
{
    for (const bool pressOk : {true, false}) {
        TCheckOutInfoFm info(Money::fromInt(50), Money::fromInt(20), Money::fromInt(30));
        QTimer::singleShot(0, &info, [&info, pressOk] {
            QTest::keyClick(&info, pressOk ? Qt::Key_Return : Qt::Key_Escape);
        });
        QCOMPARE(info.confirm(), pressOk);
    }
}

void TestCheckoutWindow::refusedSettlementKeepsTheWindow()
{
    Visit t;
    TCheckOutFm window(t.session, u"SP001"_s);
    window.setConfirmation([](Money, Money, Money) { return true; });
    // Another workstation books onto the group meanwhile.
    t.line(u"SP002"_s, u"发膜"_s, u"15"_s, u"n"_s);

    window.settlePaid();

    QCOMPARE(t.prompt.messages().size(), 1);
    QVERIFY(t.prompt.lastMessage().contains(u"请退出后重新打开结帐窗口"_s));
    QCOMPARE(window.result(), int(QDialog::Rejected));
    QCOMPARE(t.value(u"select count(*) from 结帐管理"_s), u"0"_s);
}

void TestCheckoutWindow::printsTheBillShownToThePort()
{
    Visit t;
    const QString port = t.dir.filePath(u"lp0"_s);
    t.context.ReceiptPort = port;
    t.context.ReceiptPreview = u"0"_s;
    TCheckOutFm window(t.session, u"SP001"_s);
    QVERIFY(window.directButton()->isChecked());
    window.cardEdit()->setText(u"8001"_s);
    pressEnter(window.cardEdit());
    pressEnter(window.passwordEdit());
    window.paymentBox()->setCurrentIndex(1);
    window.choosePayment(1);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QTest::keyClick(window.receivedEdit(), Qt::Key_F1);

    QFile printed(port);
    QVERIFY(printed.open(QIODevice::ReadOnly));
    const QString text = GbkText::decode(printed.readAll());
    QVERIFY(text.contains(u"帐 单 号: 20240301080000\r\n"_s));
    // Both plates' lines, the service at the member's rate.
    QVERIFY(text.contains(u"烫发            1  40    20     \r\n"_s));
    QVERIFY(text.contains(u"洗发水          1  10    10     \r\n"_s));
    QVERIFY(text.contains(u"卡内扣除: 20 实收: 10\r\n"_s));
    QVERIFY(text.contains(u"卡内余额: 0 积分: 100\r\n"_s));
    QVERIFY(t.prompt.shown.isEmpty());
    // Printing leaves the bill open.
    QCOMPARE(t.value(u"select count(*) from xfmx"_s), u"2"_s);
}

SALONDESK_DB_GUI_TEST_MAIN(TestCheckoutWindow)
#include "tst_checkout_window.moc"
