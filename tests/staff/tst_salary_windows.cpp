#include "support/ShopBuilder.h"
#include "support/TestSession.h"

#include "board/ui/TMainFm.h"
#include "lists/ui/FooterBar.h"
#include "shell/Navigator.h"
#include "staff/ui/TFaGongZiFm.h"
#include "staff/ui/TFwsGlFm.h"
#include "staff/ui/TFwsTcMxFm.h"
#include "staff/ui/TFwsTcTjFm.h"
#include "staff/ui/TGongZiRecordFm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <stdexcept>

using namespace Qt::StringLiterals;

// The salary payment screen, the commission and salary lists, and how the
// board and the employee list open them.
class TestSalaryWindows : public QObject
{
    Q_OBJECT

private slots:
    void paymentScreenOffersAndPays();
    void ticksRecomputeTheTotalAndNote();
    void levelWithoutRowOffersOnlyCancel();
    void changedCommissionIsShownBeforePaying();
    void paymentAsksNamingTheLastOne_data();
    void paymentAsksNamingTheLastOne();
    void unreadableCommissionIsShownNotPaid_data();
    void unreadableCommissionIsShownNotPaid();
    void employeeListOpensThePayment();
    void menuEntriesOpenTheirWindows_data();
    void menuEntriesOpenTheirWindows();
    void commissionTotalsSearch();
    void commissionLinesSearch();
    void salaryRecordsSearch();
};

namespace {

struct Staff
{
    TestSession t;

    Staff()
    {
        t.context.OperatorName = u"前台"_s;
        // 员工信息管理, the way to a payment, needs the right.
        t.context.Rights.set(Right::Employees, true);
        ShopBuilder(*t.database).level(u"发型师"_s, u"3000"_s);
        employee(u"001"_s, u"张敏"_s, u"发型师"_s);
    }
    void employee(const QString &code, const QString &name, const QString &level)
    {
        ShopBuilder(*t.database).employee(code, name, level);
    }
    // A line settled as checkout leaves it; the lines of a fresh shop are
    // numbered from 1 in the order they are made.
    void line(int id, const QString &code, const QString &commission,
              const QString &at = u"2024-03-01 10:00:00"_s)
    {
        ShopBuilder::Line line;
        line.plate = u"SP001"_s;
        line.goods = u"洗剪吹"_s;
        line.price = Money::fromInt(30);
        line.commission = Money::fromText(commission);
        line.employee = code;
        line.employeeName = u"张敏"_s;
        line.time = QDateTime::fromString(at, u"yyyy-MM-dd hh:mm:ss"_s);
        if (ShopBuilder(*t.database).settledLine(line, u"B1"_s) != id)
            throw std::logic_error("the settled line was not numbered as the test expects");
    }
    int payments() { return t.database->scalar(u"select count(*) from 员工工资表"_s).toInt(); }
};

// Calls `handle` with every modal dialog that shows, until it returns true.
void whileModal(QObject *context, std::function<bool(QDialog &)> handle)
{
    auto *timer = new QTimer(context);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, context, [timer, handle = std::move(handle)] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (dialog && dialog->isVisible() && handle(*dialog))
            timer->stop();
    });
    timer->start();
}

} // namespace

void TestSalaryWindows::paymentScreenOffersAndPays()
{
    Staff s;
    s.line(1, u"001"_s, u"5"_s);
    s.line(2, u"001"_s, u"-1.5"_s);
    s.t.database->execute(u"insert into 员工工资表 (员工编号, 员工姓名, 员工等级, 日期, 工资, 提成, 合计, "
                          "备注, 登记人) values ('001', '张敏', '发型师', '2024-02-01 10:00:00', "
                          "3000, 0, 3000, ' 基本工资 ', '店长')"_s);
    TFaGongZiFm window(s.t.session, u" 001"_s);
    QCOMPARE(window.windowTitle(), u"发工资"_s);
    QCOMPARE(window.codeEdit()->text(), u"001"_s);
    QCOMPARE(window.nameEdit()->text(), u"张敏"_s);
    QCOMPARE(window.levelEdit()->text(), u"发型师"_s);
    QVERIFY(window.baseBox()->isChecked());
    QVERIFY(window.commissionBox()->isChecked());
    QCOMPARE(window.baseEdit()->text(), u"3000"_s);
    QCOMPARE(window.commissionEdit()->text(), u"3.5"_s);
    QCOMPARE(window.totalEdit()->text(), u"3003.5"_s);
    QCOMPARE(window.noteEdit()->text(), u" 基本工资  提成 "_s);
    QVERIFY(window.baseEdit()->isReadOnly() && window.totalEdit()->isReadOnly());

    QAbstractItemModel *history = window.history()->model();
    QStringList headings;
    for (int column = 0; column < history->columnCount(); ++column)
        headings.append(history->headerData(column, Qt::Horizontal).toString());
    QCOMPARE(headings, (QStringList{u"日期"_s, u"工资"_s, u"提成"_s, u"合计"_s, u"登记人"_s,
                                    u"备注"_s}));
    QCOMPARE(history->rowCount(), 1);
    QCOMPARE(window.historyFooter()->text(0), u"1"_s);

    window.noteEdit()->setText(u"三月工资"_s);
    window.show();
    s.t.prompt.answers.enqueue(true);
    window.okButton()->click();
    QCOMPARE(s.t.prompt.messages(), QStringList{u"完成"_s});
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QCOMPARE(s.payments(), 2);
    QCOMPARE(s.t.database->scalar(u"select 备注 from 员工工资表 where 登记人='前台'"_s).toString(),
             u"三月工资"_s);
    QCOMPARE(s.t.database->scalar(u"select count(*) from jzmx where TcYf='1'"_s).toInt(), 2);
}

void TestSalaryWindows::ticksRecomputeTheTotalAndNote()
{
    Staff s;
    s.line(1, u"001"_s, u"12"_s);
    TFaGongZiFm window(s.t.session, u"001"_s);
    window.show();
    window.commissionBox()->click();
    QCOMPARE(window.totalEdit()->text(), u"3000"_s);
    QCOMPARE(window.noteEdit()->text(), u" 基本工资 "_s);
    window.baseBox()->click();
    QCOMPARE(window.totalEdit()->text(), u"0"_s);
    QCOMPARE(window.noteEdit()->text(), QString());
    window.okButton()->click();
    QCOMPARE(s.t.prompt.messages(), QStringList{u"不能发零!"_s});
    QVERIFY(window.isVisible());
    window.commissionBox()->click();
    QCOMPARE(window.totalEdit()->text(), u"12"_s);
    QCOMPARE(window.noteEdit()->text(), u" 提成 "_s);
    QCOMPARE(s.payments(), 0);

    // 取消 records nothing.
    window.cancelButton()->click();
    QCOMPARE(window.result(), int(QDialog::Rejected));
    QCOMPARE(s.payments(), 0);
}

void TestSalaryWindows::levelWithoutRowOffersOnlyCancel()
{
    Staff s;
    s.employee(u"002"_s, u"李娜"_s, u"特级"_s);
    s.line(1, u"002"_s, u"12"_s);
    s.t.database->execute(u"insert into 员工工资表 (员工编号, 合计) values ('002', 100)"_s);
    TFaGongZiFm window(s.t.session, u"002"_s);
    QCOMPARE(s.t.prompt.messages(),
             QStringList{u"没有找到该员工的员工等级的工资,请先添加好对应的员工等级!"_s});
    QCOMPARE(window.nameEdit()->text(), u"李娜"_s);
    QCOMPARE(window.totalEdit()->text(), QString());
    QCOMPARE(window.history()->model()->rowCount(), 0);
    QVERIFY(!window.okButton()->isEnabled());
    QVERIFY(!window.baseBox()->isEnabled());
    QVERIFY(!window.commissionBox()->isEnabled());
    QVERIFY(window.cancelButton()->isEnabled());
    window.payout();
    QCOMPARE(s.payments(), 1);
    QCOMPARE(s.t.database->scalar(u"select TcYf from jzmx"_s).toString(), u"0"_s);
}

void TestSalaryWindows::changedCommissionIsShownBeforePaying()
{
    Staff s;
    s.line(1, u"001"_s, u"5"_s);
    TFaGongZiFm window(s.t.session, u"001"_s);
    window.show();
    window.noteEdit()->setText(u"三月"_s);
    // A visit of hers is settled while the screen is open.
    s.line(2, u"001"_s, u"8"_s);
    s.t.prompt.answers.enqueue(true);
    window.okButton()->click();
    QCOMPARE(s.t.prompt.messages(),
             QStringList{u"该员工未发的提成已变动，现为13元。本次没有发放，请核对合计后再按确定。"_s});
    QCOMPARE(window.commissionEdit()->text(), u"13"_s);
    QCOMPARE(window.totalEdit()->text(), u"3013"_s);
    QCOMPARE(window.noteEdit()->text(), u"三月"_s);
    QVERIFY(window.isVisible());
    QCOMPARE(s.payments(), 0);
    QCOMPARE(s.t.database->scalar(u"select count(*) from jzmx where TcYf='1'"_s).toInt(), 0);

    s.t.prompt.clear();
    s.t.prompt.answers.enqueue(true);
    window.okButton()->click();
    QCOMPARE(s.t.prompt.messages(), QStringList{u"完成"_s});
    QCOMPARE(s.t.database->scalar(u"select count(*) from jzmx where TcYf='1'"_s).toInt(), 2);
}

void TestSalaryWindows::paymentAsksNamingTheLastOne_data()
{
    // Payments made before, as 日期 and 合计; the clock stands at
    // 2024-03-01 08:00.
    QTest::addColumn<QStringList>("earlier");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("question");
    const QString ask = u"向 张敏（001）发放 3005 元?\n"_s;
    const QString warning = u"\n注意：本月已经发放过，再发就是本月的第二次，请核对是否重复发放。"_s;
    QTest::newRow("first, No") << QStringList() << false << ask + u"此前没有发放记录。"_s;
    QTest::newRow("first, Yes") << QStringList() << true << ask + u"此前没有发放记录。"_s;
    QTest::newRow("paid last month, Yes")
        << QStringList{u"2024-01-31 18:00:00"_s, u"3000"_s, u"2024-02-29 23:59:59"_s, u"3012.5"_s}
        << true << ask + u"上次发放：2024-02-29 23:59:59，3012.5 元。"_s;
    QTest::newRow("paid this month, No")
        << QStringList{u"2024-03-01 00:00:00"_s, u"3000"_s} << false
        << ask + u"上次发放：2024-03-01 00:00:00，3000 元。"_s + warning;
    QTest::newRow("paid this month, Yes")
        << QStringList{u"2024-03-01 07:30:00"_s, u"40"_s} << true
        << ask + u"上次发放：2024-03-01 07:30:00，40 元。"_s + warning;
    // Another workstation's clock ahead: the latest row does not hide
    // this month's payment.
    QTest::newRow("paid this month and dated ahead")
        << QStringList{u"2024-03-01 07:30:00"_s, u"3000"_s, u"2024-04-02 09:00:00"_s, u"5"_s}
        << false << ask + u"上次发放：2024-04-02 09:00:00，5 元。"_s + warning;
}

void TestSalaryWindows::paymentAsksNamingTheLastOne()
{
    QFETCH(QStringList, earlier);
    QFETCH(bool, answer);
    QFETCH(QString, question);
    Staff s;
    s.line(1, u"001"_s, u"5"_s);
    for (qsizetype i = 0; i < earlier.size(); i += 2) {
        s.t.database->execute(u"insert into 员工工资表 (员工编号, 员工姓名, 员工等级, 日期, 工资, 提成, "
                              "合计, 登记人) values ('001', '张敏', '发型师', ?, 0, 0, ?, '店长')"_s,
                              {earlier.at(i), earlier.at(i + 1)});
    }
    const int before = s.payments();
    TFaGongZiFm window(s.t.session, u"001"_s);
    window.show();
    s.t.prompt.answers.enqueue(answer);

    window.okButton()->click();

    QCOMPARE(s.t.prompt.shown.size(), answer ? 2 : 1);
    QCOMPARE(s.t.prompt.shown.first().kind, u"question"_s);
    QCOMPARE(s.t.prompt.shown.first().text, question);
    QCOMPARE(s.payments(), before + (answer ? 1 : 0));
    QCOMPARE(s.t.database->scalar(u"select count(*) from jzmx where TcYf='1'"_s).toInt(),
             answer ? 1 : 0);
    QCOMPARE(window.result(), int(answer ? QDialog::Accepted : QDialog::Rejected));
}

void TestSalaryWindows::unreadableCommissionIsShownNotPaid_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("sqliteOnly");
    // SQLite keeps text in a number column; PostgreSQL refuses it.
    QTest::newRow("text in 提成金额") << u"update jzmx set 提成金额='五元' where ID=2"_s
                                     << u"表 jzmx 的字段 提成金额 中的值 \"五元\" 不是数字"_s << true;
    QTest::newRow("no 提成金额 column") << u"alter table jzmx rename column 提成金额 to 旧提成"_s
                                       << u"提成金额"_s << false;
}

void TestSalaryWindows::unreadableCommissionIsShownNotPaid()
{
    QFETCH(QString, damage);
    QFETCH(QString, reason);
    QFETCH(bool, sqliteOnly);
    if (sqliteOnly && TestDb::backend() != Backend::Sqlite)
        QSKIP("PostgreSQL keeps no text in a number column");
    Staff s;
    s.line(1, u"001"_s, u"5"_s);
    s.line(2, u"001"_s, u"8"_s);
    s.t.database->execute(damage);
    TFaGongZiFm window(s.t.session, u"001"_s);
    window.show();
    QCOMPARE(s.t.prompt.messages().size(), 1);
    const QString shown = s.t.prompt.lastMessage();
    QVERIFY2(shown.startsWith(u"无法读取员工001未发的提成（表 jzmx），现在不能发工资"_s), qPrintable(shown));
    QVERIFY2(shown.contains(reason), qPrintable(shown));
    // No figure stands for the one that could not be read, and nothing pays.
    QCOMPARE(window.commissionEdit()->text(), QString());
    QCOMPARE(window.totalEdit()->text(), QString());
    QCOMPARE(window.baseEdit()->text(), u"3000"_s);
    QVERIFY(!window.okButton()->isEnabled());
    QVERIFY(!window.commissionBox()->isEnabled());
    QVERIFY(window.cancelButton()->isEnabled());
    window.payout();
    QCOMPARE(s.payments(), 0);
    QCOMPARE(s.t.prompt.messages().size(), 1);
}

void TestSalaryWindows::employeeListOpensThePayment()
{
    Staff s;
    s.t.context.Rights = Rights::all();
    s.employee(u"002"_s, u"李娜"_s, u"发型师"_s);
    s.line(1, u"002"_s, u"7"_s);
    TMainFm board(s.t.session);
    board.setAskOnClose(false);
    Navigator navigator(s.t.session, board);
    board.show();

    QStringList opened;
    QString code;
    QString commission;
    QString paymentParent;
    whileModal(&board, [&](QDialog &dialog) {
        const QString name = QString::fromLatin1(dialog.metaObject()->className());
        if (opened.isEmpty() || opened.last() != name)
            opened.append(name);
        if (auto *list = qobject_cast<TFwsGlFm *>(&dialog)) {
            if (opened.size() == 1) {
                list->selectRow(u"员工编号"_s, u"002"_s);
                // Queued: the payment's own loop must run while this
                // timer is free to fire again.
                QMetaObject::invokeMethod(list->action(u"发工资"_s), &QAction::trigger,
                                          Qt::QueuedConnection);
                return false;
            }
            list->done(QDialog::Rejected);
            return true;
        }
        if (auto *payment = qobject_cast<TFaGongZiFm *>(&dialog)) {
            code = payment->codeEdit()->text();
            commission = payment->commissionEdit()->text();
            paymentParent = QString::fromLatin1(payment->parentWidget()->metaObject()->className());
            payment->cancelButton()->click();
        }
        return false;
    });
    board.menuAction(u"员工信息管理"_s)->trigger();
    QCOMPARE(opened, (QStringList{u"TFwsGlFm"_s, u"TFaGongZiFm"_s, u"TFwsGlFm"_s}));
    QCOMPARE(code, u"002"_s);
    QCOMPARE(commission, u"7"_s);
    // Over the list, as its "发工资" asked.
    QCOMPARE(paymentParent, u"TFwsGlFm"_s);
}

void TestSalaryWindows::menuEntriesOpenTheirWindows_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("caption");
    QTest::newRow("员工提成统计") << u"员工提成统计"_s << u"TFwsTcTjFm"_s << u"服务生提成统计"_s;
    QTest::newRow("员工提成明细") << u"员工提成明细"_s << u"TFwsTcMxFm"_s << u"服务生提成明细"_s;
    QTest::newRow("工资记录") << u"工资记录"_s << u"TGongZiRecordFm"_s << u"员工工资表"_s;
}

void TestSalaryWindows::menuEntriesOpenTheirWindows()
{
    QFETCH(QString, entry);
    QFETCH(QString, window);
    QFETCH(QString, caption);
    Staff s;
    // Open to every operator.
    s.t.context.Rights = Rights();
    TMainFm board(s.t.session);
    board.setAskOnClose(false);
    Navigator navigator(s.t.session, board);
    board.show();
    QVERIFY(board.menuAction(entry)->isEnabled());

    QString opened;
    QString title;
    whileModal(&board, [&](QDialog &dialog) {
        opened = QString::fromLatin1(dialog.metaObject()->className());
        title = dialog.windowTitle();
        dialog.done(QDialog::Rejected);
        return true;
    });
    board.menuAction(entry)->trigger();
    QCOMPARE(opened, window);
    QCOMPARE(title, caption);
    QVERIFY(s.t.prompt.messages().isEmpty());
}

void TestSalaryWindows::commissionTotalsSearch()
{
    Staff s;
    s.line(1, u"001"_s, u"5"_s, u"2024-02-29 23:59:59"_s);
    s.line(2, u"001"_s, u"7"_s, u"2024-03-01 08:00:00"_s);
    s.line(3, u"002"_s, u"3"_s, u"2024-03-01 00:00:00"_s);
    TFwsTcTjFm window(s.t.session);
    // Today on both pickers, every line in the grid.
    QCOMPARE(window.firstDate()->date(), QDate(2024, 3, 1));
    QCOMPARE(window.lastDate()->date(), QDate(2024, 3, 1));
    QAbstractItemModel *grid = window.grid()->model();
    QCOMPARE(grid->rowCount(), 2);
    QCOMPARE(grid->headerData(0, Qt::Horizontal).toString(), u"员工编号"_s);
    QCOMPARE(grid->headerData(1, Qt::Horizontal).toString(), u"金额"_s);
    QCOMPARE(grid->index(0, 1).data().toString(), u"12"_s);

    auto *find = window.findChild<QPushButton *>(u"查询"_s);
    find->click();
    QCOMPARE(grid->index(0, 1).data().toString(), u"7"_s);
    QCOMPARE(grid->index(1, 1).data().toString(), u"3"_s);
    QVERIFY(s.t.prompt.messages().isEmpty());

    window.firstDate()->setDate(QDate(2024, 3, 2));
    find->click();
    QCOMPARE(s.t.prompt.messages(), QStringList{u"起始日期不能大于终止日期,请重新选择!"_s});
    QCOMPARE(grid->rowCount(), 2);

    s.t.prompt.clear();
    window.lastDate()->setDate(QDate(2024, 3, 9));
    find->click();
    QCOMPARE(s.t.prompt.messages(), QStringList{u"没有找到符合条件的记录"_s});
    QCOMPARE(grid->rowCount(), 0);
}

void TestSalaryWindows::commissionLinesSearch()
{
    Staff s;
    s.line(1, u"001"_s, u"5"_s);
    s.line(2, u"002"_s, u"7"_s);
    TFwsTcMxFm window(s.t.session);
    window.show();
    QCOMPARE(window.fieldBox()->currentText(), u"员工编号"_s);
    QCOMPARE(window.valueBox()->text(), QString());
    QCOMPARE(window.grid()->model()->rowCount(), 2);
    QCOMPARE(window.footer()->text(0), u"2"_s);
    QCOMPARE(window.footer()->text(6), u"12"_s);
    QCOMPARE(window.grid()->model()->headerData(7, Qt::Horizontal).toString(), u"提成已发"_s);

    window.findChild<QPushButton *>(u"查询"_s)->click();
    QCOMPARE(s.t.prompt.lastMessage(), u"请认真填写查询条件"_s);

    // Enter in the value box searches; the whole value must match.
    window.valueBox()->setText(u"00"_s);
    window.valueBox()->setFocus();
    QTest::keyClick(window.valueBox(), Qt::Key_Return);
    QCOMPARE(s.t.prompt.lastMessage(), u"没有找到符合条件的记录"_s);

    s.t.prompt.clear();
    window.valueBox()->setText(u"002"_s);
    QTest::keyClick(window.valueBox(), Qt::Key_Return);
    QVERIFY(s.t.prompt.messages().isEmpty());
    QCOMPARE(window.grid()->model()->rowCount(), 1);
    QCOMPARE(window.footer()->text(6), u"7"_s);

    window.fieldBox()->setEditText(u"工资"_s);
    QTest::keyClick(window.valueBox(), Qt::Key_Return);
    QCOMPARE(s.t.prompt.lastMessage(), u"没有这个查询字段: 工资"_s);
    QCOMPARE(window.grid()->model()->rowCount(), 1);
}

void TestSalaryWindows::salaryRecordsSearch()
{
    Staff s;
    s.t.database->execute(u"insert into 员工工资表 (员工编号, 员工姓名, 合计, 备注) values "
                          "('001', '张敏', 3000, ' 基本工资 '), ('002', '李娜', 12, ' 提成 ')"_s);
    TGongZiRecordFm window(s.t.session);
    window.show();
    QCOMPARE(window.fieldBox()->currentText(), u"员工编号"_s);
    QCOMPARE(window.grid()->model()->rowCount(), 2);
    QCOMPARE(window.footer()->text(0), u"2"_s);

    window.findChild<QPushButton *>(u"查询"_s)->click();
    QCOMPARE(s.t.prompt.messages(), QStringList{u"请输入查询条件!"_s});

    s.t.prompt.clear();
    window.fieldBox()->setCurrentText(u"员工姓名"_s);
    window.valueBox()->setText(u"李娜"_s);
    window.valueBox()->setFocus();
    QTest::keyClick(window.valueBox(), Qt::Key_Return);
    QVERIFY(s.t.prompt.messages().isEmpty());
    QCOMPARE(window.grid()->model()->rowCount(), 1);
    QCOMPARE(window.currentValue(u"员工编号"_s).toString(), u"002"_s);
}

SALONDESK_DB_GUI_TEST_MAIN(TestSalaryWindows)
#include "tst_salary_windows.moc"
