#include "support/ShopBuilder.h"
#include "support/TestSession.h"

#include "board/ui/TMainFm.h"
#include "common/Money.h"
#include "db/ResultTableModel.h"
#include "lists/ui/FooterBar.h"
#include "members/ui/TChongZhiFm.h"
#include "members/ui/TChongZhiRecordFm.h"
#include "members/ui/THYChangePassFm.h"
#include "members/ui/THYConsumeCXFm.h"
#include "members/ui/TMemberFm.h"
#include "shell/Navigator.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlRecord>
#include <QTableView>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>

using namespace Qt::StringLiterals;

// The recharge, recharge record, member password and member consumption
// windows: what they show, what keys and buttons do, the messages, and how
// the board and the member list open them.
class TestMemberServiceWindows : public QObject
{
    Q_OBJECT

private slots:
    void rechargeWindowShowsTheMemberAsStoredNow();
    void rechargeAmountTakesDigitAndPointKeys();
    void enterInTheAmountBoxRecharges();
    void rechargeAsksNamingTheAmount_data();
    void rechargeAsksNamingTheAmount();
    void balanceLowerThanShownAsksAgain_data();
    void balanceLowerThanShownAsksAgain();
    void rechargeRefusalsKeepTheWindowOpen_data();
    void rechargeRefusalsKeepTheWindowOpen();
    void rechargeWithoutACurrentMember();
    void rechargeOfAMemberGoneDoesNotOpen();
    void rechargeFromTheMemberList();

    void recordWindowShowsEveryRecharge();
    void recordSearchMessages_data();
    void recordSearchMessages();
    void recordRangeFromThePickers();

    void passwordWindowBoxes();
    void passwordSaveClosesOnlyWhenChanged();
    void resetAsksAndStaysOpen();
    void resetWithoutTheRightAsksNothing();

    void consumptionWindowShowsEveryBill();
    void consumptionSearch();
    void consumptionPrintedList();

    void menuEntriesNeedNoRight_data();
    void menuEntriesNeedNoRight();

private:
    static void member(Database &db, const QString &card, const QString &name,
                       const QString &balance, const QString &password = u"0000"_s);
    static QStringList headings(const QTableView *grid);
};

void TestMemberServiceWindows::member(Database &db, const QString &card, const QString &name,
                                      const QString &balance, const QString &password)
{
    ShopBuilder(db).member({.card = card, .name = name, .balance = Money::fromText(balance),
                            .password = password});
}

QStringList TestMemberServiceWindows::headings(const QTableView *grid)
{
    QStringList found;
    for (int column = 0; column < grid->model()->columnCount(); ++column)
        found.append(grid->model()->headerData(column, Qt::Horizontal).toString());
    return found;
}

namespace {

Money balanceOf(Database &db, const QString &card)
{
    return Money::fromVariant(db.scalar(u"select 卡内金额 from 会员管理 where 会员卡号=?"_s, {card}));
}

int countOf(Database &db, const QString &table)
{
    return db.scalar(u"select count(*) from "_s + table).toInt();
}

} // namespace

// ---------------------------------------------------------------- recharge

void TestMemberServiceWindows::rechargeWindowShowsTheMemberAsStoredNow()
{
    TestSession t;
    t.context.OperatorName = u"前台"_s;
    member(*t.database, u"001"_s, u"王芳"_s, u"12.5"_s);
    // A settlement after the list read the row.
    t.database->execute(u"update 会员管理 set 卡内金额 = 2.5"_s);
    TChongZhiFm window(t.session, u"001"_s);
    QVERIFY(window.isLoaded());
    QCOMPARE(window.windowTitle(), u"会员充值"_s);
    QCOMPARE(window.cardBox()->text(), u"001"_s);
    QCOMPARE(window.balanceBox()->text(), u"2.5"_s);
    QCOMPARE(window.nameBox()->text(), u"王芳"_s);
    QCOMPARE(window.typeBox()->text(), u"金卡"_s);
    for (QLineEdit *box : {window.cardBox(), window.balanceBox(), window.nameBox(), window.typeBox()})
        QVERIFY(box->isReadOnly());
    QVERIFY(!window.amountBox()->isReadOnly());
    QVERIFY(window.amountBox()->text().isEmpty());
    QVERIFY(window.noteBox()->text().isEmpty());
    QCOMPARE(window.negativeBox()->text(), u"充负数"_s);
    QVERIFY(!window.negativeBox()->isChecked());
    QCOMPARE(window.operatorLabel()->text(), u"营业员: 前台"_s);
    QCOMPARE(window.rechargeButton()->text(), u"充值"_s);
    QCOMPARE(window.returnButton()->text(), u"返回"_s);
    QVERIFY(t.prompt.shown.isEmpty());

    window.show();
    window.returnButton()->click();
    QVERIFY(!window.isVisible());
    QCOMPARE(countOf(*t.database, u"会员充值"_s), 0);
}

void TestMemberServiceWindows::rechargeAmountTakesDigitAndPointKeys()
{
    TestSession t;
    member(*t.database, u"001"_s, u"王芳"_s, u"0"_s);
    TChongZhiFm window(t.session, u"001"_s);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClicks(window.amountBox(), u"1a2-+ .5,e"_s);
    QCOMPARE(window.amountBox()->text(), u"12.5"_s);
    QTest::keyClick(window.amountBox(), Qt::Key_Backspace);
    QCOMPARE(window.amountBox()->text(), u"12."_s);
    // Two points can be typed; "充值" then refuses the text.
    QTest::keyClicks(window.amountBox(), u".3"_s);
    QCOMPARE(window.amountBox()->text(), u"12..3"_s);
    QVERIFY(t.prompt.shown.isEmpty());
}

void TestMemberServiceWindows::enterInTheAmountBoxRecharges()
{
    TestSession t;
    t.context.OperatorName = u"前台"_s;
    member(*t.database, u"001"_s, u"王芳"_s, u"10"_s);
    TChongZhiFm window(t.session, u"001"_s);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.noteBox()->setText(u"微信"_s);
    window.negativeBox()->setChecked(true);
    window.amountBox()->setFocus();
    QTRY_VERIFY(window.amountBox()->hasFocus());
    QVERIFY(window.rechargeButton()->isDefault());
    QTest::keyClicks(window.amountBox(), u"12.3456"_s);
    t.prompt.answers.enqueue(true);
    QTest::keyClick(window.amountBox(), Qt::Key_Return);

    QVERIFY(!t.prompt.shown.isEmpty());
    QCOMPARE(t.prompt.shown.first().kind, u"question"_s);
    QCOMPARE(t.prompt.messages(), QStringList{u"充值成功！"_s});
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QVERIFY(!window.isVisible());
    QCOMPARE(window.balanceBox()->text(), u"-2.3456"_s);
    QCOMPARE(balanceOf(*t.database, u"001"_s).toString(), u"-2.3456"_s);
    const QSqlRecord record = t.database->firstRow(u"select * from 会员充值"_s);
    QCOMPARE(Money::fromVariant(record.value(u"充值金额"_s)).toString(), u"-12.3456"_s);
    QCOMPARE(record.value(u"备注"_s).toString(), u"微信"_s);
    QCOMPARE(record.value(u"营业员"_s).toString(), u"前台"_s);
}

void TestMemberServiceWindows::rechargeAsksNamingTheAmount_data()
{
    QTest::addColumn<QString>("amount");
    QTest::addColumn<bool>("negative");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("after");
    // 王芳's card holds 10.
    const QString onto = u"确定向会员卡 001（王芳）充值 "_s;
    const QString off = u"确定从会员卡 001（王芳）扣除 "_s;
    QTest::newRow("onto, No") << u"100"_s << false << false
                              << onto + u"100 元吗？\n卡内余额 10 元，之后为 110 元。"_s << u"10"_s;
    QTest::newRow("onto, Yes") << u"100"_s << false << true
                               << onto + u"100 元吗？\n卡内余额 10 元，之后为 110 元。"_s << u"110"_s;
    QTest::newRow("off, within the balance, No")
        << u"4.5"_s << true << false << off + u"4.5 元吗？\n卡内余额 10 元，之后为 5.5 元。"_s
        << u"10"_s;
    QTest::newRow("off to exactly zero, Yes")
        << u"10"_s << true << true << off + u"10 元吗？\n卡内余额 10 元，之后为 0 元。"_s << u"0"_s;
    const QString belowZero =
        off + u"30 元吗？\n卡内余额 10 元，之后为 -20 元。\n注意：卡内余额将低于零。"_s;
    QTest::newRow("below zero, No") << u"30"_s << true << false << belowZero << u"10"_s;
    QTest::newRow("below zero, Yes") << u"30"_s << true << true << belowZero << u"-20"_s;
}

void TestMemberServiceWindows::rechargeAsksNamingTheAmount()
{
    QFETCH(QString, amount);
    QFETCH(bool, negative);
    QFETCH(bool, answer);
    QFETCH(QString, question);
    QFETCH(QString, after);
    TestSession t;
    member(*t.database, u"001"_s, u"王芳"_s, u"10"_s);
    TChongZhiFm window(t.session, u"001"_s);
    window.show();
    window.amountBox()->setText(amount);
    window.negativeBox()->setChecked(negative);
    t.prompt.answers.enqueue(answer);

    window.rechargeButton()->click();

    QVERIFY(!t.prompt.shown.isEmpty());
    QCOMPARE(t.prompt.shown.first().kind, u"question"_s);
    QCOMPARE(t.prompt.shown.first().text, question);
    QCOMPARE(t.prompt.shown.first().caption, u"会员充值"_s);
    QCOMPARE(t.prompt.messages(), answer ? QStringList{u"充值成功！"_s} : QStringList());
    QCOMPARE(window.isVisible(), !answer);
    QCOMPARE(window.balanceBox()->text(), after);
    QCOMPARE(balanceOf(*t.database, u"001"_s).toString(), after);
    QCOMPARE(countOf(*t.database, u"会员充值"_s), answer ? 1 : 0);
}

void TestMemberServiceWindows::balanceLowerThanShownAsksAgain_data()
{
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("after");
    QTest::newRow("No") << false << u"2"_s;
    QTest::newRow("Yes") << true << u"-3"_s;
}

void TestMemberServiceWindows::balanceLowerThanShownAsksAgain()
{
    QFETCH(bool, answer);
    QFETCH(QString, after);
    TestSession t;
    member(*t.database, u"001"_s, u"王芳"_s, u"10"_s);
    TChongZhiFm window(t.session, u"001"_s);
    window.show();
    // A bill paid by card at another workstation after the window read 10.
    t.database->execute(u"update 会员管理 set 卡内金额 = 卡内金额 - 8"_s);
    window.amountBox()->setText(u"5"_s);
    window.negativeBox()->setChecked(true);
    t.prompt.answers.enqueue(true);
    t.prompt.answers.enqueue(answer);

    window.rechargeButton()->click();

    QCOMPARE(t.prompt.shown.size(), answer ? 3 : 2);
    QCOMPARE(t.prompt.shown.at(0).text,
             u"确定从会员卡 001（王芳）扣除 5 元吗？\n卡内余额 10 元，之后为 5 元。"_s);
    QCOMPARE(t.prompt.shown.at(1).kind, u"question"_s);
    QCOMPARE(t.prompt.shown.at(1).text,
             u"会员卡 001 扣除 5 元后，卡内余额将为 -3 元，低于零。确定仍要扣除吗？"_s);
    QCOMPARE(balanceOf(*t.database, u"001"_s).toString(), after);
    QCOMPARE(countOf(*t.database, u"会员充值"_s), answer ? 1 : 0);
    QCOMPARE(window.isVisible(), !answer);
}

void TestMemberServiceWindows::rechargeRefusalsKeepTheWindowOpen_data()
{
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("message");
    QTest::newRow("no amount") << QString() << u"请输入充值数值！"_s;
    QTest::newRow("two points") << u"1.2.3"_s << u"“1.2.3”不是有效的充值金额，请重新输入！"_s;
}

void TestMemberServiceWindows::rechargeRefusalsKeepTheWindowOpen()
{
    QFETCH(QString, amount);
    QFETCH(QString, message);
    TestSession t;
    member(*t.database, u"001"_s, u"王芳"_s, u"10"_s);
    TChongZhiFm window(t.session, u"001"_s);
    window.show();
    // Pasted text is not filtered by keys.
    window.amountBox()->setText(amount);
    window.rechargeButton()->click();
    QCOMPARE(t.prompt.messages(), QStringList{message});
    QVERIFY(window.isVisible());
    QCOMPARE(window.amountBox()->text(), amount);
    QCOMPARE(window.balanceBox()->text(), u"10"_s);
    QCOMPARE(balanceOf(*t.database, u"001"_s), Money::fromInt(10));
    QCOMPARE(countOf(*t.database, u"会员充值"_s), 0);
}

void TestMemberServiceWindows::rechargeWithoutACurrentMember()
{
    TestSession t;
    member(*t.database, u"001"_s, u"王芳"_s, u"10"_s);
    TChongZhiFm window(t.session, QString());
    QVERIFY(window.isLoaded());
    for (QLineEdit *box : {window.cardBox(), window.balanceBox(), window.nameBox(), window.typeBox()})
        QVERIFY(box->text().isEmpty());
    window.show();
    window.amountBox()->setText(u"50"_s);
    window.rechargeButton()->click();
    QCOMPARE(t.prompt.messages(), QStringList{u"请先输入会员卡号并按回车键！"_s});
    QVERIFY(window.isVisible());
    QCOMPARE(countOf(*t.database, u"会员充值"_s), 0);
    QCOMPARE(balanceOf(*t.database, u"001"_s), Money::fromInt(10));
}

void TestMemberServiceWindows::rechargeOfAMemberGoneDoesNotOpen()
{
    TestSession t;
    TChongZhiFm window(t.session, u"001"_s);
    QVERIFY(!window.isLoaded());
    QCOMPARE(t.prompt.messages(), QStringList{u"没有找到该会员，可能已被删除！"_s});
}

void TestMemberServiceWindows::rechargeFromTheMemberList()
{
    TestSession t;
    t.context.Rights = Rights::all();
    t.context.OperatorName = u"前台"_s;
    member(*t.database, u"001"_s, u"王芳"_s, u"1"_s);
    member(*t.database, u"002"_s, u"李娜"_s, u"2"_s);
    TMainFm board(t.session);
    board.setAskOnClose(false);
    Navigator navigator(t.session, board);
    board.show();

    // The member list opens from the board; "充值" on its second member opens
    // the recharge window over it, which recharges and closes; the list
    // then shows the new balance on the same member.
    QStringList opened;
    QString rechargedCard;
    QString listBalance;
    QTimer steps;
    steps.setInterval(10);
    connect(&steps, &QTimer::timeout, &board, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        const QString name = QString::fromLatin1(dialog->metaObject()->className());
        if (auto *recharge = qobject_cast<TChongZhiFm *>(dialog)) {
            if (opened.contains(name))
                return;
            opened.append(name);
            rechargedCard = recharge->cardBox()->text();
            recharge->amountBox()->setText(u"50.25"_s);
            recharge->rechargeButton()->click();
        } else if (auto *list = qobject_cast<TMemberFm *>(dialog)) {
            if (!opened.contains(name)) {
                opened.append(name);
                QVERIFY(list->selectRow(u"会员卡号"_s, u"002"_s));
                // Posted: this timer does not fire again while its own
                // handler waits in the recharge window.
                QTimer::singleShot(0, list, [list] { list->action(u"充值"_s)->trigger(); });
                return;
            }
            listBalance = Money::fromVariant(list->currentValue(u"卡内金额"_s)).toString();
            QCOMPARE(list->currentValue(u"会员卡号"_s).toString(), u"002"_s);
            list->done(QDialog::Rejected);
        } else {
            dialog->done(QDialog::Rejected);
        }
    });
    steps.start();
    t.prompt.answers.enqueue(true);
    board.menuAction(u"会员信息管理"_s)->trigger();
    steps.stop();

    QCOMPARE(opened, (QStringList{u"TMemberFm"_s, u"TChongZhiFm"_s}));
    QCOMPARE(rechargedCard, u"002"_s);
    QCOMPARE(listBalance, u"52.25"_s);
    QCOMPARE(t.prompt.messages(), QStringList{u"充值成功！"_s});
    QCOMPARE(balanceOf(*t.database, u"001"_s), Money::fromInt(1));
}

// ---------------------------------------------------------------- recharge records

void TestMemberServiceWindows::recordWindowShowsEveryRecharge()
{
    TestSession t;
    t.database->execute(u"insert into 会员充值 (会员卡号, 会员姓名, 会员类型, 充值金额, 充值日期, 备注, 营业员) "
                        u"values ('001', '王芳', '金卡', 10.5, '2024-03-01 09:00:00', '一', '前台'), "
                        u"('002', '李娜', '银卡', -0.25, '2024-02-01 10:00:00', '二', '店长')"_s);
    TChongZhiRecordFm window(t.session);
    QCOMPARE(window.windowTitle(), u"充值记录查询"_s);
    QCOMPARE(headings(window.grid()),
             (QStringList{u"会员卡号"_s, u"会员姓名"_s, u"会员类型"_s, u"充值金额"_s, u"奖励金额"_s,
                          u"充值日期"_s, u"id"_s, u"备注"_s, u"营业员"_s}));
    QCOMPARE(window.rows()->rowCount(), 2);
    QCOMPARE(window.footer()->text(0), u"2"_s);
    QCOMPARE(window.footer()->text(3), u"10.25"_s);
    // Never written: shown empty.
    QCOMPARE(window.grid()->model()->index(0, 4).data().toString(), QString());
    QCOMPARE(window.fieldBox()->currentText(), u"会员卡号"_s);
    QVERIFY(window.fieldBox()->isEditable());
    QStringList entries;
    for (int i = 0; i < window.fieldBox()->count(); ++i)
        entries.append(window.fieldBox()->itemText(i));
    QCOMPARE(entries, (QStringList{u"会员姓名"_s, u"会员类型"_s, u"备注"_s, u"营业员"_s}));
    QVERIFY(window.valueBox()->text().isEmpty());
    // The range counts only while it is ticked; times only with "按时间".
    QVERIFY(!window.dateBox()->isChecked());
    QVERIFY(!window.firstDate()->isEnabled());
    QVERIFY(!window.timeBox()->isEnabled());
    window.dateBox()->setChecked(true);
    QVERIFY(window.firstDate()->isEnabled());
    QVERIFY(window.lastDate()->isEnabled());
    QVERIFY(!window.firstTime()->isEnabled());
    window.timeBox()->setChecked(true);
    QVERIFY(window.firstTime()->isEnabled());
    QVERIFY(window.lastTime()->isEnabled());
    QVERIFY(t.prompt.shown.isEmpty());
}

void TestMemberServiceWindows::recordSearchMessages_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("rows");
    QTest::newRow("no value") << u"会员卡号"_s << QString() << QStringList{u"请输入查询条件!"_s}
                              << 2;
    QTest::newRow("no field") << QString() << u"001"_s << QStringList{u"请输入查询条件!"_s} << 2;
    QTest::newRow("found") << u"会员卡号"_s << u"001 "_s << QStringList() << 1;
    QTest::newRow("nothing found") << u"会员姓名"_s << u"王"_s
                                   << QStringList{u"没有符合条件的记录!"_s} << 0;
    QTest::newRow("not a column") << u"姓名"_s << u"王芳"_s
                                  << QStringList{u"没有这个查询字段: 姓名"_s} << 2;
}

void TestMemberServiceWindows::recordSearchMessages()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QStringList, messages);
    QFETCH(int, rows);
    TestSession t;
    t.database->execute(u"insert into 会员充值 (会员卡号, 会员姓名, 充值金额, 充值日期) "
                        u"values ('001', '王芳', 10, '2024-03-01 09:00:00'), "
                        u"('002', '李娜', 20, '2024-03-01 10:00:00')"_s);
    TChongZhiRecordFm window(t.session);
    window.show();
    window.fieldBox()->setEditText(field);
    window.valueBox()->setText(value);
    window.searchButton()->click();
    QCOMPARE(t.prompt.messages(), messages);
    QCOMPARE(window.rows()->rowCount(), rows);
    QVERIFY(window.isVisible());
}

void TestMemberServiceWindows::recordRangeFromThePickers()
{
    TestSession t;
    t.database->execute(u"insert into 会员充值 (会员卡号, 充值金额, 充值日期, 备注) "
                        u"values ('001', 1, '2024-03-01 23:59:59', 'a'), "
                        u"('001', 1, '2024-03-02 17:30:00', 'b'), "
                        u"('002', 1, '2024-03-02 17:30:01', 'c'), "
                        u"('001', 1, '2024-03-03 00:00:00', 'd')"_s);
    TChongZhiRecordFm window(t.session);
    const auto notes = [&window] {
        QStringList found;
        for (int row = 0; row < window.rows()->rowCount(); ++row)
            found.append(window.rows()->value(row, u"备注"_s).toString());
        return found;
    };
    window.dateBox()->setChecked(true);
    window.firstDate()->setDate(QDate(2024, 3, 2));
    window.lastDate()->setDate(QDate(2024, 3, 2));
    // A range alone needs no value.
    window.searchButton()->click();
    QCOMPARE(notes(), (QStringList{u"b"_s, u"c"_s}));

    window.timeBox()->setChecked(true);
    window.firstTime()->setTime(QTime(0, 0));
    window.lastTime()->setTime(QTime(17, 30, 0));
    window.searchButton()->click();
    QCOMPARE(notes(), QStringList{u"b"_s});

    window.lastTime()->setTime(QTime(23, 59, 59));
    window.valueBox()->setText(u"002"_s);
    window.searchButton()->click();
    QCOMPARE(notes(), QStringList{u"c"_s});

    window.dateBox()->setChecked(false);
    window.valueBox()->setText(u"001"_s);
    window.searchButton()->click();
    QCOMPARE(notes(), (QStringList{u"a"_s, u"b"_s, u"d"_s}));
    QVERIFY(t.prompt.messages().isEmpty());
}

// ---------------------------------------------------------------- passwords

void TestMemberServiceWindows::passwordWindowBoxes()
{
    TestSession t;
    THYChangePassFm window(t.session);
    QCOMPARE(window.windowTitle(), u"会员更改密码"_s);
    QCOMPARE(window.cardBox()->echoMode(), QLineEdit::Normal);
    for (QLineEdit *box : {window.oldPassword(), window.newPassword(), window.confirmation()})
        QCOMPARE(box->echoMode(), QLineEdit::Password);
    for (QLineEdit *box : {window.cardBox(), window.oldPassword(), window.newPassword(),
                           window.confirmation()})
        QVERIFY(box->text().isEmpty());
    QCOMPARE(window.saveButton()->text(), u"保存"_s);
    QCOMPARE(window.closeButton()->text(), u"关闭"_s);
    QCOMPARE(window.resetButton()->text(), u"密码重置"_s);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTRY_VERIFY(window.cardBox()->hasFocus());
}

void TestMemberServiceWindows::passwordSaveClosesOnlyWhenChanged()
{
    TestSession t;
    member(*t.database, u"001"_s, u"王芳"_s, u"0"_s, u"1234"_s);
    THYChangePassFm window(t.session);
    window.show();
    window.cardBox()->setText(u"001"_s);
    window.oldPassword()->setText(u"1234"_s);
    window.newPassword()->setText(u"8888"_s);
    window.confirmation()->setText(u"8887"_s);
    window.saveButton()->click();
    QCOMPARE(t.prompt.messages(), QStringList{u"两次输入的新密码不一致！"_s});
    QVERIFY(window.isVisible());

    t.prompt.clear();
    window.oldPassword()->setText(u"0000"_s);
    window.saveButton()->click();
    QCOMPARE(t.prompt.messages(), QStringList{u"旧密码输入错误！"_s});
    QVERIFY(window.isVisible());

    t.prompt.clear();
    window.oldPassword()->setText(u"1234"_s);
    window.confirmation()->setText(u"8888"_s);
    window.saveButton()->click();
    QCOMPARE(t.prompt.messages(), QStringList{u"修改成功！"_s});
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QVERIFY(!window.isVisible());
    QCOMPARE(t.database->scalar(u"select 密码 from 会员管理"_s).toString(), u"8888"_s);
}

void TestMemberServiceWindows::resetAsksAndStaysOpen()
{
    TestSession t;
    t.context.Rights.set(Right::MemberEdit, true);
    t.context.OperatorName = u"店长"_s;
    member(*t.database, u"001"_s, u"王芳"_s, u"0"_s, u"1234"_s);
    THYChangePassFm window(t.session);
    window.show();
    window.cardBox()->setText(u"001"_s);

    // No: nothing happens.
    t.prompt.answers.enqueue(false);
    window.resetButton()->click();
    QCOMPARE(t.prompt.shown.size(), 1);
    QCOMPARE(t.prompt.shown.first().kind, u"question"_s);
    QCOMPARE(t.prompt.shown.first().text, u"您是否要给会员卡号为\" 001\" 的会员重置初始密码?"_s);
    QCOMPARE(t.database->scalar(u"select 密码 from 会员管理"_s).toString(), u"1234"_s);

    // Yes: reset and logged without a word; the window stays.
    t.prompt.clear();
    t.prompt.answers.enqueue(true);
    window.resetButton()->click();
    QCOMPARE(t.prompt.shown.size(), 1);
    QVERIFY(t.prompt.messages().isEmpty());
    QVERIFY(window.isVisible());
    QCOMPARE(t.database->scalar(u"select 密码 from 会员管理"_s).toString(), u"0000"_s);
    QCOMPARE(t.database->scalar(u"select 说明 from 日志"_s).toString(), u"会员卡号:001"_s);
    QCOMPARE(t.database->scalar(u"select 管理员 from 日志"_s).toString(), u"店长"_s);

    // A card that no member has.
    t.prompt.clear();
    window.cardBox()->setText(u"009"_s);
    t.prompt.answers.enqueue(true);
    window.resetButton()->click();
    QCOMPARE(t.prompt.messages(), QStringList{u"没有找到改会员!"_s});
    QVERIFY(window.isVisible());
    QCOMPARE(countOf(*t.database, u"日志"_s), 1);
}

void TestMemberServiceWindows::resetWithoutTheRightAsksNothing()
{
    TestSession t;
    t.context.Rights = Rights::all();
    t.context.Rights.set(Right::MemberEdit, false);
    member(*t.database, u"001"_s, u"王芳"_s, u"0"_s, u"1234"_s);
    THYChangePassFm window(t.session);
    window.show();
    window.cardBox()->setText(u"001"_s);
    t.prompt.answers.enqueue(true);
    window.resetButton()->click();
    QCOMPARE(t.prompt.shown.size(), 1);
    QCOMPARE(t.prompt.messages(), QStringList{u"没有权限"_s});
    QVERIFY(window.isVisible());
    QCOMPARE(t.database->scalar(u"select 密码 from 会员管理"_s).toString(), u"1234"_s);
    QCOMPARE(countOf(*t.database, u"日志"_s), 0);
}

// ---------------------------------------------------------------- member consumption

namespace {

void bill(Database &db, const QString &number, const QString &card, const QString &customer,
          const QString &state, const QString &received, const QString &due)
{
    BillStore::Bill row;
    row.number = number;
    row.plate = u"SP001"_s;
    row.card = card;
    row.customer = customer;
    row.status = state;
    row.received = Money::fromText(received);
    row.due = Money::fromText(due);
    row.operatorName = u"前台"_s;
    row.settledAt = QDateTime(QDate(2024, 3, 1), QTime(10, 0));
    ShopBuilder(db).bill(row);
}

} // namespace

void TestMemberServiceWindows::consumptionWindowShowsEveryBill()
{
    TestSession t;
    bill(*t.database, u"B1"_s, u"8001"_s, u"张三"_s, u"已结"_s, u"20.5"_s, u"50"_s);
    bill(*t.database, u"B2"_s, u"非会员"_s, u"李女士"_s, u"免单"_s, u"0"_s, u"0.0001"_s);
    THYConsumeCXFm window(t.session);
    QCOMPARE(window.windowTitle(), u"会员消费查询"_s);
    QVERIFY(window.windowState() & Qt::WindowMaximized);
    QCOMPARE(headings(window.grid()),
             (QStringList{u"id"_s, u"单据号"_s, u"号牌"_s, u"进店时间"_s, u"离店时间"_s,
                          u"实收金额"_s, u"应收金额"_s, u"结帐方式"_s, u"状态"_s, u"结帐时间"_s,
                          u"会员卡号"_s, u"顾客姓名"_s, u"营业员"_s, u"备注"_s}));
    QCOMPARE(window.rows()->rowCount(), 2);
    QCOMPARE(window.footer()->text(5), u"20.5"_s);
    QCOMPARE(window.footer()->text(6), u"50.0001"_s);
    QCOMPARE(window.fieldBox()->currentText(), u"会员卡号"_s);
    QVERIFY(window.fieldBox()->isEditable());
    QStringList entries;
    for (int i = 0; i < window.fieldBox()->count(); ++i)
        entries.append(window.fieldBox()->itemText(i));
    QCOMPARE(entries, (QStringList{u"会员卡号"_s, u"会员姓名"_s, u"营业员"_s, u"状态"_s}));
    QVERIFY(window.valueBox()->text().isEmpty());
    QVERIFY(t.prompt.shown.isEmpty());
}

void TestMemberServiceWindows::consumptionSearch()
{
    TestSession t;
    bill(*t.database, u"B1"_s, u"8001"_s, u"张三"_s, u"已结"_s, u"20"_s, u"50"_s);
    bill(*t.database, u"B2"_s, u"非会员"_s, u"李女士"_s, u"免单"_s, u"0"_s, u"30"_s);
    THYConsumeCXFm window(t.session);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    // Enter in the value box searches; "会员姓名" looks in the customer name.
    window.fieldBox()->setEditText(u"会员姓名"_s);
    window.valueBox()->setFocus();
    QTRY_VERIFY(window.valueBox()->hasFocus());
    window.valueBox()->setText(u"女士"_s);
    QTest::keyClick(window.valueBox(), Qt::Key_Return);
    QCOMPARE(window.rows()->rowCount(), 1);
    QCOMPARE(window.currentValue(u"单据号"_s).toString(), u"B2"_s);
    QCOMPARE(window.footer()->text(6), u"30"_s);

    // An empty box: nothing happens, the list stays.
    window.valueBox()->clear();
    window.searchButton()->click();
    QCOMPARE(window.rows()->rowCount(), 1);

    // Nothing found: an empty list, no message.
    window.fieldBox()->setEditText(u"状态"_s);
    window.valueBox()->setText(u"撤单"_s);
    window.searchButton()->click();
    QCOMPARE(window.rows()->rowCount(), 0);
    QCOMPARE(window.footer()->text(6), u"0"_s);
    QVERIFY(t.prompt.messages().isEmpty());

    // A typed name that is no column runs nothing.
    window.fieldBox()->setEditText(u"1=1 or 状态"_s);
    window.valueBox()->setText(u"x"_s);
    window.searchButton()->click();
    QCOMPARE(t.prompt.messages(), QStringList{u"没有这个查询字段: 1=1 or 状态"_s});
    QVERIFY(window.isVisible());
}

void TestMemberServiceWindows::consumptionPrintedList()
{
    TestSession t;
    bill(*t.database, u"B1"_s, u"8001"_s, u"张三"_s, u"已结"_s, u"20.5"_s, u"50"_s);
    bill(*t.database, u"B2"_s, u"8002"_s, u"李娜"_s, u"已结"_s, u"0.0001"_s, u"30"_s);
    ListReport report = THYConsumeCXFm::report();
    QStringList headingsPrinted;
    QStringList fields;
    for (const ReportColumn &column : report.columns()) {
        headingsPrinted.append(column.heading);
        fields.append(column.field);
    }
    QCOMPARE(headingsPrinted, (QStringList{u"ID编号"_s, u"单据号"_s, u"会员卡号"_s, u"顾客姓名"_s,
                                           u"消费金额"_s, u"实收金额"_s, u"营业员"_s}));
    QCOMPARE(fields, (QStringList{u"id"_s, u"单据号"_s, u"会员卡号"_s, u"顾客姓名"_s, u"应收金额"_s,
                                  u"实收金额"_s, u"营业员"_s}));
    THYConsumeCXFm window(t.session);
    report.setModel(window.rows());
    QVERIFY(!report.modelColumns().contains(-1));
    QCOMPARE(report.closingLines().size(), 1);
    QCOMPARE(report.expand(report.closingLines().first().text),
             u"消费金额:80    实收金额:20.5001"_s);
}

// ---------------------------------------------------------------- menus

void TestMemberServiceWindows::menuEntriesNeedNoRight_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("window");
    QTest::newRow("会员消费查询") << u"会员消费查询"_s << u"THYConsumeCXFm"_s;
    QTest::newRow("充值记录统计") << u"充值记录统计"_s << u"TChongZhiRecordFm"_s;
    QTest::newRow("会员密码修改") << u"会员密码修改"_s << u"THYChangePassFm"_s;
}

void TestMemberServiceWindows::menuEntriesNeedNoRight()
{
    QFETCH(QString, entry);
    QFETCH(QString, window);
    TestSession t;
    // An operator without a single right.
    t.context.Rights = Rights();
    TMainFm board(t.session);
    board.setAskOnClose(false);
    Navigator navigator(t.session, board);
    board.show();
    QVERIFY(board.menuAction(entry)->isEnabled());

    QString opened;
    QTimer::singleShot(0, &board, [&opened] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            opened = QString::fromLatin1(dialog->metaObject()->className());
            dialog->done(QDialog::Rejected);
        }
    });
    board.menuAction(entry)->trigger();
    QCOMPARE(opened, window);
    QVERIFY(t.prompt.shown.isEmpty());
}

SALONDESK_DB_GUI_TEST_MAIN(TestMemberServiceWindows)

#include "tst_member_service_windows.moc"
