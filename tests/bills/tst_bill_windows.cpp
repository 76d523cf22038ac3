#include "support/TestSession.h"

#include "BillsFixture.h"
#include "bills/BillSearch.h"
#include "bills/LineSearch.h"
#include "bills/ui/TZdCxFm.h"
#include "bills/ui/TZdMxFm.h"
#include "bills/ui/TZdMxShowFm.h"
#include "board/ui/TMainFm.h"
#include "db/ResultTableModel.h"
#include "lists/ui/FooterBar.h"
#include "session/Rights.h"
#include "shell/Navigator.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>

#include <functional>

using namespace Qt::StringLiterals;

// The bill query, the bill line window and the bill detail: what they
// open on, what their bars and buttons do, the reversal's questions and
// messages, and how the board opens them.
class TestBillWindows : public QObject
{
    Q_OBJECT

private slots:
    void billQueryOpensOnEveryBill();
    void billQuerySearchesWhatTheBarSays();
    void billQueryTakesOnlyColumnsForTheField();
    void billQueryPrintsItsList();
    void reverseFromThePopup_data();
    void reverseFromThePopup();
    void detailShowsTheCurrentBill();
    void billLinesOpenOnToday();
    void billLinesSearch();
    void boardOpensTheBillWindows_data();
    void boardOpensTheBillWindows();
};

namespace {

// Two visits settled this morning: SP001 with SP002 (a group; the member
// pays partly by card) and SP003 alone, paid in cash. A bill of last year.
struct Shop : TestSession
{
    BillsFixture make{*database, clock};
    QString groupBill;
    QString singleBill;

    Shop()
    {
        context.OperatorName = u"前台"_s;
        context.Rights = Rights::all();
        make.plate(u"SP001"_s, u"占用"_s, u"SP001"_s);
        make.plate(u"SP002"_s, u"占用"_s, u"SP001"_s);
        make.plate(u"SP003"_s, u"占用"_s, u"SP003"_s);
        make.line(u"SP001"_s, u"SP001"_s, u"烫发"_s, u"40"_s);
        make.line(u"SP002"_s, u"SP001"_s, u"洗发水"_s, u"10"_s);
        make.line(u"SP003"_s, u"SP003"_s, u"剪发"_s, u"15"_s, u"2"_s);
        make.member(u"8001"_s, u"30"_s, u"100"_s);
        make.bill(u"OLD"_s, QDateTime(QDate(2023, 5, 1), QTime(10, 0)), u"5"_s, u"5"_s);
        clock.advanceSeconds(1800);
        groupBill = make.settle(u"SP001"_s, {u"8001"_s, u"卡内扣除"_s});
        clock.advanceSeconds(1800);
        singleBill = make.settle(u"SP003"_s);
        clock.advanceSeconds(1800);
    }

    QStringList column(ListWindow &window, const QString &name) const
    {
        QStringList values;
        for (int row = 0; row < window.rows()->rowCount(); ++row)
            values.append(window.rows()->value(row, name).toString());
        return values;
    }
};

QStringList headings(QTableView *grid)
{
    QStringList texts;
    for (int column = 0; column < grid->model()->columnCount(); ++column)
        texts.append(grid->model()->headerData(column, Qt::Horizontal).toString());
    return texts;
}

QStringList items(QComboBox *box)
{
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts.append(box->itemText(i));
    return texts;
}

// Runs `action`; whatever modal dialog it opens is handed to `look` and closed.
QString whileModal(const std::function<void()> &action,
                   const std::function<void(QDialog *)> &look = {})
{
    QString opened;
    // A timer of its own, stopped afterwards: an action that opens nothing
    // must not leave it to fire into a later test.
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, qApp, [&] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            opened = QString::fromLatin1(dialog->metaObject()->className());
            if (look)
                look(dialog);
            dialog->done(QDialog::Rejected);
        }
    });
    timer.start(0);
    action();
    timer.stop();
    return opened;
}

} // namespace

void TestBillWindows::billQueryOpensOnEveryBill()
{
    Shop shop;
    shop.database->execute(u"update 结帐管理 set 单据号='linshi' where 单据号='OLD'"_s);
    TZdCxFm window(shop.session);
    QCOMPARE(window.windowTitle(), u"账单查询"_s);
    QVERIFY(window.windowState() & Qt::WindowMaximized);
    QVERIFY(window.fieldBox()->isEditable());
    QCOMPARE(items(window.fieldBox()),
             (QStringList{u"单据号"_s, u"号牌"_s, u"备注"_s, u"顾客姓名"_s, u"营业员"_s}));
    QCOMPARE(window.fieldBox()->currentText(), u"顾客姓名"_s);
    QVERIFY(window.valueBox()->text().isEmpty());
    QCOMPARE(QDateTime(window.fromDate()->date(), window.fromTime()->time()),
             QDateTime(QDate(2000, 1, 1), QTime(0, 0)));
    QCOMPARE(QDateTime(window.toDate()->date(), window.toTime()->time()),
             QDateTime(QDate(2024, 3, 2), QTime(23, 59, 59)));
    QCOMPARE(items(window.methodBox()), BillSearch::paymentMethods());
    QCOMPARE(window.methodBox()->currentText(), u"现金支付"_s);
    QCOMPARE(items(window.stateBox()), (QStringList{u"已结"_s, u"免单"_s}));
    QCOMPARE(window.stateBox()->currentText(), u"已结"_s);
    QVERIFY(!window.methodCheck()->isChecked() && !window.methodBox()->isEnabled());
    QVERIFY(!window.stateCheck()->isChecked() && !window.stateBox()->isEnabled());
    window.methodCheck()->setChecked(true);
    QVERIFY(window.methodBox()->isEnabled());
    window.methodCheck()->setChecked(false);
    for (const QString &caption : {u"查询"_s, u"打印"_s, u"退出"_s, u"Excel"_s, u"显示明细"_s})
        QVERIFY2(window.button(caption), qPrintable(caption));

    QCOMPARE(headings(window.grid()),
             (QStringList{u"id"_s, u"单据号"_s, u"号牌"_s, u"进店时间"_s, u"实收金额"_s,
                          u"卡内扣除"_s, u"应收金额"_s, u"结帐方式"_s, u"状态"_s, u"结帐时间"_s,
                          u"顾客姓名"_s, u"营业员"_s, u"备注"_s}));
    QVERIFY(window.grid()->editTriggers() == QAbstractItemView::NoEditTriggers);
    // Every bill, the temporary one too, latest checkout first.
    QCOMPARE(shop.column(window, u"单据号"_s),
             (QStringList{shop.singleBill, shop.groupBill, u"linshi"_s}));
    QCOMPARE(window.footer()->text(0), u"3"_s);
    // Received 30 + 20 + 5, from the card 30, due 30 + 50 + 5.
    QCOMPARE(window.footer()->text(4), u"55"_s);
    QCOMPARE(window.footer()->text(5), u"30"_s);
    QCOMPARE(window.footer()->text(6), u"85"_s);
    QCOMPARE(window.grid()->actions().size(), 1);
    QCOMPARE(window.grid()->actions().first()->text(), u"撤销结帐"_s);
    QCOMPARE(window.grid()->contextMenuPolicy(), Qt::ActionsContextMenu);
    QVERIFY(shop.prompt.shown.isEmpty());

    // "查询" leaves the temporary bill out.
    window.button(u"查询"_s)->click();
    QCOMPARE(shop.column(window, u"单据号"_s), (QStringList{shop.singleBill, shop.groupBill}));

    // 另存为 a workbook, then open it.
    shop.prompt.files.enqueue(shop.dir.filePath(u"bills.xlsx"_s));
    shop.prompt.answers.enqueue(true);
    window.button(u"Excel"_s)->click();
    QCOMPARE(shop.opener.opened.size(), 1);
}

void TestBillWindows::billQuerySearchesWhatTheBarSays()
{
    Shop shop;
    TZdCxFm window(shop.session);
    window.fieldBox()->setEditText(u"号牌"_s);
    window.valueBox()->setText(u"00"_s);
    window.stateCheck()->setChecked(true);
    window.methodCheck()->setChecked(true);
    window.methodBox()->setCurrentText(u"卡内扣除"_s);
    window.button(u"查询"_s)->click();
    QCOMPARE(shop.column(window, u"单据号"_s), QStringList{shop.groupBill});
    QCOMPARE(window.footer()->text(0), u"1"_s);

    // The end of the range is the chosen second: the group's bill was
    // settled at 08:30:00.
    window.methodCheck()->setChecked(false);
    window.fromDate()->setDate(QDate(2024, 3, 1));
    window.toDate()->setDate(QDate(2024, 3, 1));
    window.toTime()->setTime(QTime(8, 30, 0));
    window.button(u"查询"_s)->click();
    QCOMPARE(shop.column(window, u"单据号"_s), QStringList{shop.groupBill});
    window.toTime()->setTime(QTime(8, 29, 59));
    window.button(u"查询"_s)->click();
    QCOMPARE(shop.column(window, u"单据号"_s), QStringList());
    QCOMPARE(window.footer()->text(0), u"0"_s);
    QVERIFY(shop.prompt.shown.isEmpty());
}

void TestBillWindows::billQueryTakesOnlyColumnsForTheField()
{
    Shop shop;
    TZdCxFm window(shop.session);
    window.fieldBox()->setEditText(u"顾客姓名='x' or 1=1"_s);
    window.valueBox()->setText(u"x"_s);
    window.button(u"查询"_s)->click();
    QCOMPARE(shop.prompt.messages(), QStringList{u"没有这个查询字段: 顾客姓名='x' or 1=1"_s});
    // The grid keeps what it showed.
    QCOMPARE(window.rows()->rowCount(), 3);

    // A column typed in another case is the table's column.
    shop.prompt.clear();
    window.fieldBox()->setEditText(u"单据号"_s);
    window.valueBox()->setText(shop.singleBill);
    window.button(u"查询"_s)->click();
    QVERIFY(shop.prompt.shown.isEmpty());
    QCOMPARE(shop.column(window, u"单据号"_s), QStringList{shop.singleBill});
}

void TestBillWindows::billQueryPrintsItsList()
{
    Shop shop;
    TZdCxFm window(shop.session);
    ListReport report = BillSearch::report();
    report.setModel(window.rows());
    report.setPrintedAt(shop.clock.now());
    QStringList columns;
    for (const ReportColumn &column : report.columns())
        columns.append(column.heading + u'=' + column.field);
    QCOMPARE(columns, (QStringList{u"ID编号=id"_s, u"单据号=单据号"_s, u"会员卡号=会员卡号"_s,
                                   u"顾客姓名=顾客姓名"_s, u"消费金额=应收金额"_s,
                                   u"实收金额=实收金额"_s, u"营业员=营业员"_s}));
    QCOMPARE(report.closingLines().size(), 1);
    QCOMPARE(report.expand(report.closingLines().first().text),
             u"2024-03-01 09:30:00    应收金额:85    实收金额:55"_s);

    QCOMPARE(whileModal([&] { window.button(u"打印"_s)->click(); }), u"QPrintPreviewDialog"_s);
}

void TestBillWindows::reverseFromThePopup_data()
{
    // %1 stands for the group's bill number.
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("takenPlate");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("billsLeft");
    QTest::newRow("No keeps the bill") << false << QString() << QStringList() << 3;
    QTest::newRow("Yes reverses and says what came back")
        << true << QString()
        << QStringList{u"撤销完毕：单据号 %1 的号牌 SP001、SP002 重新占用，消费项目已退回。"
                       u"会员卡 8001 卡内金额退回 30 元，积分扣回 20。"_s}
        << 2;
    QTest::newRow("a plate taken meanwhile")
        << true << u"SP002"_s
        << QStringList{u"牌号 SP002 当前状态不是可用状态,故无法完成撤销操作!"_s} << 3;
}

void TestBillWindows::reverseFromThePopup()
{
    QFETCH(bool, answer);
    QFETCH(QString, takenPlate);
    QFETCH(QStringList, messages);
    QFETCH(int, billsLeft);
    Shop shop;
    TZdCxFm window(shop.session);
    QVERIFY(window.selectRow(u"单据号"_s, shop.groupBill));
    if (!takenPlate.isEmpty())
        shop.database->execute(u"update 号牌管理 set 号牌状态='占用' where 号牌=?"_s, {takenPlate});
    shop.prompt.answers.enqueue(answer);

    window.reverseAction()->trigger();

    QVERIFY(!shop.prompt.shown.isEmpty());
    QCOMPARE(shop.prompt.shown.first().kind, u"question"_s);
    // The bill, its plates, its amount and what the card gets back.
    QCOMPARE(shop.prompt.shown.first().text,
             u"您是否要撤销这笔结帐呢?\n单据号 %1，号牌 SP001、SP002，应收金额 50 元。\n"
             u"会员卡 8001 将退回卡内金额 30 元。"_s.arg(shop.groupBill));
    for (QString &message : messages)
        message = message.arg(shop.groupBill);
    QCOMPARE(shop.prompt.messages(), messages);
    // The list is read again either way.
    QCOMPARE(window.rows()->rowCount(), billsLeft);
    QCOMPARE(shop.column(window, u"单据号"_s).contains(shop.groupBill), billsLeft == 3);
    const bool reversed = billsLeft == 2;
    QCOMPARE(shop.make.count(u"select count(*) from xfmx"_s), reversed ? 2 : 0);
    QCOMPARE(shop.make.text(u"select 号牌状态 from 号牌管理 where 号牌='SP001'"_s),
             reversed ? u"占用"_s : u"可用"_s);
    QCOMPARE(shop.make.amount(u"select 卡内金额 from 会员管理"_s), reversed ? u"30"_s : u"0"_s);

    // Without a current bill nothing is asked.
    shop.prompt.clear();
    window.load(BillSearch{u"单据号"_s, u"没有"_s, QDateTime(QDate(2000, 1, 1), QTime()),
                           shop.clock.now(), {}, {}}
                    .filter());
    window.reverseAction()->trigger();
    QVERIFY(shop.prompt.shown.isEmpty());
}

void TestBillWindows::detailShowsTheCurrentBill()
{
    Shop shop;
    TZdCxFm window(shop.session);
    QVERIFY(window.selectRow(u"单据号"_s, shop.groupBill));
    QStringList labels;
    QStringList plates;
    QString caption;
    QStringList columns;
    shop.prompt.files.enqueue(shop.dir.filePath(u"lines.xlsx"_s));
    shop.prompt.answers.enqueue(true);
    const QString opened = whileModal([&] { window.button(u"显示明细"_s)->click(); },
                                      [&](QDialog *dialog) {
        auto *detail = qobject_cast<TZdMxShowFm *>(dialog);
        QVERIFY(detail);
        caption = detail->windowTitle();
        for (QLabel *label : detail->labels())
            labels.append(label->text());
        for (int row = 0; row < detail->rows()->rowCount(); ++row)
            plates.append(detail->rows()->value(row, u"号牌"_s).toString());
        columns = headings(detail->grid());
        QCOMPARE(detail->okButton()->text(), u"确定"_s);
        detail->excelButton()->click();
    });
    QCOMPARE(opened, u"TZdMxShowFm"_s);
    QCOMPARE(caption, u"账单明细显示"_s);
    QCOMPARE(labels, (QStringList{u"单据号: "_s + shop.groupBill, u"号  牌: SP001"_s,
                                  u"应收金额: 50 (元)"_s, u"实收金额: 20 (元)"_s}));
    // The lines of both plates the bill covered.
    QCOMPARE(plates, (QStringList{u"SP001"_s, u"SP002"_s}));
    QCOMPARE(columns, (QStringList{u"单据号"_s, u"号牌"_s, u"商品名"_s, u"商品类型"_s, u"单价"_s,
                                   u"实际单价"_s, u"折扣"_s, u"会员卡号"_s, u"顾客姓名"_s,
                                   u"数量"_s, u"合计"_s, u"消费时间"_s, u"参与打折"_s,
                                   u"员工编号"_s, u"员工姓名"_s, u"提成金额"_s, u"营业员"_s,
                                   u"主号牌"_s}));
    QCOMPARE(shop.opener.opened.size(), 1);

    // A double click on a bill opens the same.
    QVERIFY(window.selectRow(u"单据号"_s, shop.singleBill));
    const QModelIndex cell = window.grid()->model()->index(0, 1);
    QCOMPARE(whileModal([&] { emit window.grid()->doubleClicked(cell); }), u"TZdMxShowFm"_s);

    // No current bill, nothing opens.
    window.load(BillSearch{u"单据号"_s, u"没有"_s, QDateTime(QDate(2000, 1, 1), QTime()),
                           shop.clock.now(), {}, {}}
                    .filter());
    QCOMPARE(whileModal([&] { window.button(u"显示明细"_s)->click(); }), QString());
}

void TestBillWindows::billLinesOpenOnToday()
{
    Shop shop;
    // A line of yesterday stays out.
    shop.make.settledLine(900, u"OLD"_s, u"SP009"_s, u"昨天"_s,
                          QDateTime(QDate(2024, 2, 29), QTime(23, 59, 59)));
    TZdMxFm window(shop.session);
    QCOMPARE(window.windowTitle(), u"账单明细"_s);
    QVERIFY(window.windowState() & Qt::WindowMaximized);
    QCOMPARE(QDateTime(window.fromDate()->date(), window.fromTime()->time()),
             QDateTime(QDate(2024, 3, 1), QTime(0, 0, 1)));
    QCOMPARE(QDateTime(window.toDate()->date(), window.toTime()->time()),
             QDateTime(QDate(2024, 3, 1), QTime(23, 59, 59)));
    QVERIFY(!window.timeCheck()->isChecked());
    QVERIFY(!window.fromDate()->isEnabled() && !window.toTime()->isEnabled());
    window.timeCheck()->setChecked(true);
    QVERIFY(window.fromDate()->isEnabled() && window.toTime()->isEnabled());
    QCOMPARE(items(window.fieldBox()), LineSearch::fields());
    QCOMPARE(window.fieldBox()->currentText(), u"商品名"_s);
    for (const QString &caption : {u"检索"_s, u"关闭"_s, u"打印"_s, u"Excel"_s})
        QVERIFY2(window.button(caption), qPrintable(caption));

    QCOMPARE(headings(window.grid()),
             (QStringList{u"单据号"_s, u"号牌"_s, u"顾客姓名"_s, u"商品名"_s, u"单价"_s, u"数量"_s,
                          u"折扣"_s, u"合计"_s, u"参与打折"_s, u"消费时间"_s, u"员工编号"_s,
                          u"员工姓名"_s, u"营业员"_s}));
    QCOMPARE(shop.column(window, u"商品名"_s),
             (QStringList{u"烫发"_s, u"洗发水"_s, u"剪发"_s}));
    QCOMPARE(window.footer()->text(0), u"3"_s);
    QCOMPARE(window.footer()->text(5), u"4"_s);
    QCOMPARE(window.footer()->text(7), u"80"_s);
    // Today's bills received 20 and 30 (the card's 30 is not received).
    QCOMPARE(window.takingsLabel()->text(), u"共 50 元"_s);
    QCOMPARE(window.countLabel()->text(), u"共3 条记录"_s);

    ListReport report = LineSearch::report();
    report.setModel(window.rows());
    report.setPrintedAt(shop.clock.now());
    QStringList columns;
    for (const ReportColumn &column : report.columns())
        columns.append(column.heading);
    QCOMPARE(columns, (QStringList{u"单据号"_s, u"商品名"_s, u"单价"_s, u"数量"_s, u"合计"_s,
                                   u"员工编号"_s, u"营业员"_s}));
    QCOMPARE(report.expand(report.closingLines().first().text),
             u"2024-03-01 09:30:00    消费数量:4    消费金额:80"_s);

    // A day without bills.
    shop.clock.advanceSeconds(86400);
    window.FreshDate();
    QCOMPARE(window.takingsLabel()->text(), u"0"_s);
    QCOMPARE(window.countLabel()->text(), u"共0 条记录"_s);
    QVERIFY(!window.timeCheck()->isChecked());
    QVERIFY(shop.prompt.shown.isEmpty());
}

void TestBillWindows::billLinesSearch()
{
    Shop shop;
    TZdMxFm window(shop.session);
    const QString takings = window.takingsLabel()->text();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // Enter in the value box searches, the operator's wildcard kept.
    window.valueBox()->setFocus();
    window.valueBox()->setText(u"%发%"_s);
    QTest::keyClick(window.valueBox(), Qt::Key_Return);
    QCOMPARE(shop.column(window, u"商品名"_s), (QStringList{u"烫发"_s, u"洗发水"_s, u"剪发"_s}));
    QVERIFY(window.isVisible());

    // Without a wildcard the whole name.
    window.valueBox()->setText(u"发"_s);
    window.button(u"检索"_s)->click();
    QCOMPARE(shop.column(window, u"商品名"_s), QStringList());
    window.valueBox()->setText(u" 剪发 "_s);
    window.button(u"检索"_s)->click();
    QCOMPARE(shop.column(window, u"商品名"_s), QStringList{u"剪发"_s});
    QCOMPARE(window.footer()->text(5), u"2"_s);

    // The day's labels stay as they were.
    QCOMPARE(window.takingsLabel()->text(), takings);
    QCOMPARE(window.countLabel()->text(), u"共3 条记录"_s);

    window.fieldBox()->setEditText(u"商品名 or 1=1"_s);
    window.button(u"检索"_s)->click();
    QCOMPARE(shop.prompt.messages(), QStringList{u"没有这个查询字段: 商品名 or 1=1"_s});
    window.close();
}

void TestBillWindows::boardOpensTheBillWindows_data()
{
    QTest::addColumn<bool>("toolbar");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("right");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("menu 帐单查询") << false << u"帐单查询"_s << true << u"TZdCxFm"_s << QStringList();
    QTest::newRow("menu 账单明细") << false << u"账单明细"_s << true << u"TZdMxFm"_s << QStringList();
    QTest::newRow("toolbar 账单查询") << true << u"账单查询"_s << true << u"TZdCxFm"_s << QStringList();
    QTest::newRow("toolbar 账单明细") << true << u"账单明细"_s << true << u"TZdMxFm"_s << QStringList();
    QTest::newRow("toolbar 账单查询 without 营业查询")
        << true << u"账单查询"_s << false << QString() << QStringList{u"操作失败:没有权限!"_s};
    QTest::newRow("toolbar 账单明细 without 营业查询")
        << true << u"账单明细"_s << false << QString() << QStringList{u"操作失败:没有权限!"_s};
}

void TestBillWindows::boardOpensTheBillWindows()
{
    QFETCH(bool, toolbar);
    QFETCH(QString, entry);
    QFETCH(bool, right);
    QFETCH(QString, window);
    QFETCH(QStringList, messages);
    Shop shop;
    shop.context.Rights.set(Right::BusinessQueries, right);
    TMainFm board(shop.session);
    board.setAskOnClose(false);
    Navigator navigator(shop.session, board);
    board.show();
    QCOMPARE(board.menu(u"查询统计"_s)->menuAction()->isEnabled(), right);

    QAction *action = toolbar ? board.toolbarAction(entry) : board.menuAction(entry);
    QVERIFY(action);
    QCOMPARE(whileModal([&] { action->trigger(); }), window);
    QCOMPARE(shop.prompt.messages(), messages);
}

SALONDESK_DB_GUI_TEST_MAIN(TestBillWindows)
#include "tst_bill_windows.moc"
