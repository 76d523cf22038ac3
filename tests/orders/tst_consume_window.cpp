#include "support/TestSession.h"

#include "board/BoardFixture.h"
#include "support/ShopBuilder.h"
#include "orders/ui/TAddConsumeFm.h"
#include "orders/ui/TFwsXzFm.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;
using namespace BoardFixture;

namespace {

QString amount(const QVariant &value)
{
    return Money::fromVariant(value).toString();
}

// A plate of a group of two with a deposit, a line already on each plate,
// one stocked product and one service, and one employee.
struct Desk
{
    TestSession t;
    std::unique_ptr<TAddConsumeFm> window;
    // Answers the employee chooser when it opens; without one, a chooser
    // that opens is recorded and closed, so a wrong one cannot hang the test.
    std::function<void(TFwsXzFm &)> chooser;
    QStringList choosers;
    QTimer watch;

    Desk()
    {
        Database &db = *t.database;
        t.context.OperatorName = u"小王"_s;
        plate(db, u"SP001"_s, u"大厅"_s, u"占用"_s);
        ShopBuilder(db).plate({.plate = u"SP002"_s, .state = u"占用"_s, .mainPlate = u"SP001"_s,
                               .deposit = Money::fromText(u"7.5")});
        line(db, u"SP001"_s, u"门票"_s, u"20"_s, u"1"_s, u"20"_s);
        line(db, u"SP002"_s, u"门票"_s, u"20"_s, u"1"_s, u"20"_s);
        ShopBuilder(db).goodsType(u"商品"_s, true, true).goodsType(u"服务"_s, false, false);
        goods(u"101"_s, u"洗发水"_s, u"XFS"_s, u"商品"_s, u"19.9"_s, u"否"_s);
        goods(u"201"_s, u"剪发"_s, u"JF"_s, u"服务"_s, u"30"_s, u"是"_s);
        ShopBuilder(db).level(u"发型师"_s, u"3000"_s).employee(u"001"_s, u"张敏"_s, u"发型师"_s);

        watch.setInterval(10);
        QObject::connect(&watch, &QTimer::timeout, [this] {
            auto *open = qobject_cast<TFwsXzFm *>(QApplication::activeModalWidget());
            if (!open)
                return;
            choosers.append(open->windowTitle());
            if (chooser)
                chooser(*open);
            if (open->isVisible())
                open->done(QDialog::Rejected);
        });
        watch.start();
    }

    void goods(const QString &code, const QString &name, const QString &pinyin,
               const QString &type, const QString &price, const QString &service)
    {
        ShopBuilder(*t.database)
            .goods({code, name, pinyin, type, Money::fromText(price), Money::fromInt(5),
                    Money::fromInt(10), service == u"是"_s});
    }

    TAddConsumeFm &open(const QString &plate = u"SP002"_s)
    {
        window = std::make_unique<TAddConsumeFm>(t.session, plate);
        window->show();
        QApplication::setActiveWindow(window.get());
        if (!QTest::qWaitForWindowActive(window.get()))
            qWarning("the window did not become active");
        return *window;
    }

    // Makes the goods row with this 编号 current.
    bool pick(const QString &code)
    {
        QTableWidget *grid = window->goodsGrid();
        for (int row = 0; row < grid->rowCount(); ++row) {
            if (grid->item(row, 0)->text() == code) {
                grid->setCurrentCell(row, 1);
                return true;
            }
        }
        return false;
    }

    int lineCount(const QString &plate = u"SP002"_s) const
    {
        return t.database->scalar(u"select count(*) from xfmx where 号牌=?"_s, {plate}).toInt();
    }

    QString stock(const QString &code) const
    {
        return amount(t.database->scalar(u"select 库存 from 商品库 where 编号=?"_s, {code}));
    }

    // The newest line of the plate, as stored.
    QString newest(const QString &column) const
    {
        const QVariant value = t.database->scalar(
            u"select "_s + column + u" from xfmx where 号牌='SP002' order by ID desc"_s);
        return column == u"数量" || column == u"合计" || column == u"提成金额" ? amount(value)
                                                                            : value.toString();
    }
};

QStringList column(const QTableWidget *grid, int column)
{
    QStringList texts;
    for (int row = 0; row < grid->rowCount(); ++row)
        texts.append(grid->item(row, column)->text());
    return texts;
}

QStringList row(const QTableWidget *grid, int row)
{
    QStringList texts;
    for (int column = 0; column < grid->columnCount(); ++column)
        texts.append(grid->item(row, column)->text());
    return texts;
}

QStringList headings(const QTableWidget *grid)
{
    QStringList texts;
    for (int column = 0; column < grid->columnCount(); ++column)
        texts.append(grid->horizontalHeaderItem(column)->text());
    return texts;
}

void doubleClickRow(QTableWidget *grid, int row)
{
    const QPoint cell = grid->visualRect(grid->model()->index(row, 1)).center();
    // As a real double click comes: a press first, which the view counts on.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell);
}

} // namespace

// The add-consumption window's wiring: what it shows, the ways a line is
// added, the questions and messages on the way, the employee chooser, the
// deposit and the way out to checkout.
class TestConsumeWindow : public QObject
{
    Q_OBJECT

private slots:
    void showsPlateGoodsAndLines();
    void typeListFilters();
    void addsALine_data();
    void addsALine();
    void negativeNeedsConfirmation_data();
    void negativeNeedsConfirmation();
    void nothingBookedWithAMessage_data();
    void nothingBookedWithAMessage();
    void refusalLeavesNoLine();
    void employeeChooser_data();
    void employeeChooser();
    void searchesAndReload();
    void quantityKeys();
    void focusKeysSelectText();
    void deposit_data();
    void deposit();
    void leaving_data();
    void leaving();
};

void TestConsumeWindow::showsPlateGoodsAndLines()
{
    Desk d;
    TAddConsumeFm &window = d.open();
    QCOMPARE(window.windowTitle(), u"消费"_s);
    QCOMPARE(window.plateLabel()->text(), u"SP002"_s);
    QCOMPARE(window.mainPlateLabel()->text(), u"SP001"_s);
    QCOMPARE(window.depositCaption()->text(), u"押金:"_s);
    QCOMPARE(window.depositLabel()->text(), u"7.5"_s);
    QCOMPARE(window.quantityEdit()->text(), u"1"_s);
    QCOMPARE(window.signedQuantityLabel()->text(), u"1"_s);
    QVERIFY(!window.negativeBox()->isChecked());
    QVERIFY(window.nameEdit()->text().isEmpty());
    QVERIFY(window.codeEdit()->text().isEmpty());
    QCOMPARE(window.addButton()->text(), u"增加[F5]"_s);

    QCOMPARE(headings(window.goodsGrid()),
             (QStringList{u"编号"_s, u"商品名"_s, u"单价"_s, u"库存"_s, u"商品类型"_s}));
    QCOMPARE(row(window.goodsGrid(), 0),
             (QStringList{u"101"_s, u"洗发水"_s, u"19.90"_s, u"10"_s, u"商品"_s}));
    QCOMPARE(row(window.goodsGrid(), 1),
             (QStringList{u"201"_s, u"剪发"_s, u"30.00"_s, u"10"_s, u"服务"_s}));
    QCOMPARE(headings(window.linesGrid()),
             (QStringList{u"商品名"_s, u"单价"_s, u"数量"_s, u"合计"_s, u"折"_s, u"员工编号"_s,
                          u"员工姓名"_s, u"营业员"_s}));
    // The main plate's own line is not this plate's. Booked lines take part
    // in discounting (折 "y") unless their type says otherwise.
    QCOMPARE(window.linesGrid()->rowCount(), 1);
    QCOMPARE(row(window.linesGrid(), 0),
             (QStringList{u"门票"_s, u"20.00"_s, u"1"_s, u"20.00"_s, u"y"_s, u"001"_s,
                          u"张敏"_s, u"超级管理员"_s}));
    QVERIFY(d.t.prompt.shown.isEmpty());
}

void TestConsumeWindow::typeListFilters()
{
    Desk d;
    d.goods(u"301"_s, u"护理"_s, u"HL"_s, u"服务套餐"_s, u"50"_s, u"否"_s);
    TAddConsumeFm &window = d.open();
    QListWidget *types = window.typeList();
    QCOMPARE(types->count(), 3);
    QCOMPARE(types->item(0)->text(), u"全部"_s);
    QCOMPARE(types->item(1)->text(), u"商品"_s);
    QCOMPARE(types->item(2)->text(), u"服务"_s);

    // A type shows every goods whose type name holds it.
    const QRect serviceRow = types->visualItemRect(types->item(2));
    QTest::mouseClick(types->viewport(), Qt::LeftButton, {}, serviceRow.center());
    QCOMPARE(column(window.goodsGrid(), 0), (QStringList{u"201"_s, u"301"_s}));
    QCOMPARE(window.goodsGrid()->currentRow(), 0);
    QTest::mouseClick(types->viewport(), Qt::LeftButton, {},
                      types->visualItemRect(types->item(0)).center());
    QCOMPARE(column(window.goodsGrid(), 0), (QStringList{u"101"_s, u"201"_s, u"301"_s}));
}

void TestConsumeWindow::addsALine_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("增加[F5]") << u"button"_s;
    QTest::newRow("F5") << u"F5"_s;
    QTest::newRow("double click") << u"double click"_s;
    QTest::newRow("Enter on a code") << u"code"_s;
}

void TestConsumeWindow::addsALine()
{
    QFETCH(QString, how);
    Desk d;
    TAddConsumeFm &window = d.open();
    window.quantityEdit()->setText(u"1.50"_s);
    if (how == u"code") {
        window.codeEdit()->setText(u"101"_s);
        QTest::keyClick(window.codeEdit(), Qt::Key_Return);
        QCOMPARE(column(window.goodsGrid(), 0), QStringList{u"101"_s});
    } else {
        // The second row first, so that a line of the first row proves the pick.
        QVERIFY(d.pick(u"201"_s));
        QVERIFY(d.pick(u"101"_s));
        if (how == u"button") {
            window.addButton()->click();
        } else if (how == u"F5") {
            window.nameEdit()->setFocus();
            QTest::keyClick(window.nameEdit(), Qt::Key_F5);
        } else {
            doubleClickRow(window.goodsGrid(), 0);
        }
    }
    QVERIFY2(d.t.prompt.shown.isEmpty(), qPrintable(d.t.prompt.lastMessage()));
    QVERIFY(d.choosers.isEmpty());
    QCOMPARE(d.lineCount(), 2);
    QCOMPARE(d.newest(u"商品名"_s), u"洗发水"_s);
    QCOMPARE(d.newest(u"数量"_s), u"1.5"_s);
    QCOMPARE(d.newest(u"员工编号"_s), u"n"_s);
    QCOMPARE(d.newest(u"营业员"_s), u"小王"_s);
    QCOMPARE(d.newest(u"主号牌"_s), u"SP001"_s);
    QCOMPARE(d.stock(u"101"_s), u"8.5"_s);

    // The lines read again, the quantity ready for the next line.
    QCOMPARE(window.linesGrid()->rowCount(), 2);
    QCOMPARE(row(window.linesGrid(), 1),
             (QStringList{u"洗发水"_s, u"19.90"_s, u"1.5"_s, u"29.85"_s, u"y"_s, u"n"_s, u"n"_s,
                          u"小王"_s}));
    QCOMPARE(window.goodsGrid()->item(window.goodsGrid()->currentRow(), 3)->text(), u"8.5"_s);
    QCOMPARE(window.quantityEdit()->text(), u"1"_s);
    QCOMPARE(window.signedQuantityLabel()->text(), u"1"_s);
}

void TestConsumeWindow::negativeNeedsConfirmation_data()
{
    QTest::addColumn<bool>("confirmed");
    QTest::newRow("是") << true;
    QTest::newRow("否") << false;
}

void TestConsumeWindow::negativeNeedsConfirmation()
{
    QFETCH(bool, confirmed);
    Desk d;
    TAddConsumeFm &window = d.open();
    QVERIFY(d.pick(u"101"_s));
    window.quantityEdit()->setText(u"2"_s);
    window.negativeBox()->setChecked(true);
    QCOMPARE(window.signedQuantityLabel()->text(), u"-2"_s);
    d.t.prompt.answers.enqueue(confirmed);
    window.addButton()->click();

    QCOMPARE(d.t.prompt.shown.size(), 1);
    QCOMPARE(d.t.prompt.shown.first().kind, u"question"_s);
    QCOMPARE(d.t.prompt.shown.first().text, u"您选择了\"负数\",请确定."_s);
    if (confirmed) {
        QCOMPARE(d.lineCount(), 2);
        QCOMPARE(d.newest(u"数量"_s), u"-2"_s);
        QCOMPARE(d.newest(u"合计"_s), u"-39.8"_s);
        QCOMPARE(d.newest(u"提成金额"_s), u"-5"_s);
        QCOMPARE(d.stock(u"101"_s), u"12"_s);
        QVERIFY(!window.negativeBox()->isChecked());
        QCOMPARE(window.signedQuantityLabel()->text(), u"1"_s);
    } else {
        QCOMPARE(d.lineCount(), 1);
        QCOMPARE(d.stock(u"101"_s), u"10"_s);
        QVERIFY(window.negativeBox()->isChecked());
        QCOMPARE(window.quantityEdit()->text(), u"2"_s);
    }
}

void TestConsumeWindow::nothingBookedWithAMessage_data()
{
    QTest::addColumn<QString>("search"); // a name search first; empty: none
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("message");
    QTest::newRow("no quantity") << QString() << QString() << u"请填写数量!"_s;
    QTest::newRow("blank quantity") << QString() << u"  "_s << u"请填写数量!"_s;
    QTest::newRow("two points") << QString() << u"1.2.3"_s << u"数量输入错误!"_s;
    QTest::newRow("a lone point") << QString() << u"."_s << u"数量输入错误!"_s;
    QTest::newRow("zero") << QString() << u"0.00"_s << u"数量不能是0"_s;
    QTest::newRow("nothing found") << u"没有这个"_s << u"1"_s << u"请先选择商品"_s;
    QTest::newRow("nothing found, no quantity") << u"没有这个"_s << QString() << u"请先选择商品"_s;
}

void TestConsumeWindow::nothingBookedWithAMessage()
{
    QFETCH(QString, search);
    QFETCH(QString, quantity);
    QFETCH(QString, message);
    Desk d;
    TAddConsumeFm &window = d.open();
    if (!search.isEmpty()) {
        window.nameEdit()->setText(search);
        QTest::keyClick(window.nameEdit(), Qt::Key_Return);
        QCOMPARE(window.goodsGrid()->rowCount(), 0);
    }
    window.quantityEdit()->setText(quantity);
    window.nameEdit()->setFocus();
    window.addButton()->click();
    QCOMPARE(d.t.prompt.messages(), QStringList{message});
    QCOMPARE(d.t.prompt.shown.size(), 1);
    QCOMPARE(d.lineCount(), 1);
    QCOMPARE(d.stock(u"101"_s), u"10"_s);
    if (message == u"请填写数量!")
        QTRY_VERIFY(window.quantityEdit()->hasFocus());
}

void TestConsumeWindow::refusalLeavesNoLine()
{
    Desk d;
    TAddConsumeFm &window = d.open();
    // Another workstation settles the plate while the window is open.
    d.t.database->execute(u"update 号牌管理 set 号牌状态='可用' where 号牌='SP002'"_s);
    QVERIFY(d.pick(u"101"_s));
    window.quantityEdit()->setText(u"007"_s);
    window.addButton()->click();
    QCOMPARE(d.t.prompt.messages(),
             QStringList{u"该号牌已结帐或已撤单，不能再添加消费项目！"_s});
    QCOMPARE(d.lineCount(), 1);
    QCOMPARE(d.stock(u"101"_s), u"10"_s);
    QCOMPARE(window.linesGrid()->rowCount(), 1);
    // The quantity was read and written back in its shortest form.
    QCOMPARE(window.quantityEdit()->text(), u"7"_s);
    QCOMPARE(window.signedQuantityLabel()->text(), u"7"_s);
}

void TestConsumeWindow::employeeChooser_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("lines"); // of the plate afterwards
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("name");
    QTest::newRow("选择") << u"选择"_s << 2 << u"001"_s << u"张敏"_s;
    QTest::newRow("双击") << u"双击"_s << 2 << u"001"_s << u"张敏"_s;
    QTest::newRow("取消") << u"取消"_s << 1 << QString() << QString();
    // Leaving the chooser without an employee books nothing: no service on
    // the employee "n".
    QTest::newRow("closed") << u"close"_s << 1 << QString() << QString();
    QTest::newRow("Esc") << u"Esc"_s << 1 << QString() << QString();
}

void TestConsumeWindow::employeeChooser()
{
    QFETCH(QString, how);
    QFETCH(int, lines);
    QFETCH(QString, number);
    QFETCH(QString, name);
    Desk d;
    TAddConsumeFm &window = d.open();
    QString quantityMeanwhile;
    d.chooser = [&](TFwsXzFm &chooser) {
        quantityMeanwhile = window.quantityEdit()->text();
        QVERIFY(chooser.selectRow(u"员工编号"_s, u"001"_s));
        if (how == u"选择")
            chooser.choose();
        else if (how == u"双击")
            emit chooser.grid()->doubleClicked(chooser.grid()->currentIndex());
        else if (how == u"取消")
            chooser.cancelChoice();
        else if (how == u"Esc")
            QTest::keyClick(&chooser, Qt::Key_Escape);
        else
            chooser.close();
    };
    QVERIFY(d.pick(u"201"_s));
    window.quantityEdit()->setText(u"02"_s);
    window.addButton()->click();

    QCOMPARE(d.choosers, QStringList{u"选择服务生"_s});
    // The quantity is read before the employee is asked for.
    QCOMPARE(quantityMeanwhile, u"2"_s);
    QVERIFY(d.t.prompt.shown.isEmpty());
    QCOMPARE(d.lineCount(), lines);
    QCOMPARE(window.linesGrid()->rowCount(), lines);
    if (number.isEmpty())
        return;
    QCOMPARE(d.newest(u"商品名"_s), u"剪发"_s);
    QCOMPARE(d.newest(u"员工编号"_s), number);
    QCOMPARE(d.newest(u"员工姓名"_s), name);
    QCOMPARE(d.newest(u"数量"_s), u"2"_s);
    QCOMPARE(window.linesGrid()->item(1, 5)->text(), number);
    QCOMPARE(window.linesGrid()->item(1, 6)->text(), name);
}

void TestConsumeWindow::searchesAndReload()
{
    Desk d;
    TAddConsumeFm &window = d.open();
    QLineEdit *name = window.nameEdit();
    name->setFocus();
    QTRY_VERIFY(name->hasFocus());
    // Pinyin initials in either case.
    QTest::keyClicks(name, u"jf"_s);
    QTest::keyClick(name, Qt::Key_Return);
    QCOMPARE(column(window.goodsGrid(), 0), QStringList{u"201"_s});
    QVERIFY(name->hasFocus());
    QCOMPARE(window.quantityEdit()->selectedText(), u"1"_s);

    // Leaving the name box empties it; a key in the empty box shows all goods again.
    window.codeEdit()->setFocus();
    QTRY_VERIFY(window.codeEdit()->hasFocus());
    QVERIFY(name->text().isEmpty());
    QCOMPARE(window.goodsGrid()->rowCount(), 1);
    QTest::keyClick(window.codeEdit(), Qt::Key_9);
    QCOMPARE(window.goodsGrid()->rowCount(), 2);

    // A code that is not there: the message, an empty list, and "增加" has nothing to book.
    QTest::keyClicks(window.codeEdit(), u"99"_s);
    QTest::keyClick(window.codeEdit(), Qt::Key_Return);
    QCOMPARE(d.t.prompt.messages(), QStringList{u"没找到!"_s});
    QCOMPARE(window.goodsGrid()->rowCount(), 0);
    QCOMPARE(d.lineCount(), 1);
    d.t.prompt.clear();
    QTest::keyClick(window.codeEdit(), Qt::Key_F5);
    QCOMPARE(d.t.prompt.messages(), QStringList{u"请先选择商品"_s});

    // A code is matched whole, not in part.
    window.codeEdit()->setText(u"10"_s);
    QTest::keyClick(window.codeEdit(), Qt::Key_Return);
    QCOMPARE(d.lineCount(), 1);
}

void TestConsumeWindow::quantityKeys()
{
    Desk d;
    TAddConsumeFm &window = d.open();
    QLineEdit *quantity = window.quantityEdit();
    quantity->setFocus();
    QTRY_VERIFY(quantity->hasFocus());
    quantity->selectAll();
    // Only digits and "." get in.
    QTest::keyClicks(quantity, u"2a-.5 e"_s);
    QCOMPARE(quantity->text(), u"2.5"_s);
    QCOMPARE(window.signedQuantityLabel()->text(), u"2.5"_s);
    QTest::keyClick(quantity, Qt::Key_Backspace);
    QCOMPARE(window.signedQuantityLabel()->text(), u"2."_s);
    window.negativeBox()->setChecked(true);
    QCOMPARE(window.signedQuantityLabel()->text(), u"-2."_s);
    QTest::keyClick(quantity, Qt::Key_5);
    QCOMPARE(window.signedQuantityLabel()->text(), u"-2.5"_s);
    window.negativeBox()->setChecked(false);
    QCOMPARE(window.signedQuantityLabel()->text(), u"2.5"_s);
}

void TestConsumeWindow::focusKeysSelectText()
{
    Desk d;
    TAddConsumeFm &window = d.open();
    window.codeEdit()->setText(u"101x"_s);
    window.quantityEdit()->setText(u"3"_s);
    window.nameEdit()->setFocus();
    QTRY_VERIFY(window.nameEdit()->hasFocus());

    QTest::keyClick(window.nameEdit(), Qt::Key_F2);
    QTRY_VERIFY(window.codeEdit()->hasFocus());
    QCOMPARE(window.codeEdit()->selectedText(), u"101x"_s);
    QTest::keyClick(window.codeEdit(), Qt::Key_F4);
    QTRY_VERIFY(window.quantityEdit()->hasFocus());
    QCOMPARE(window.quantityEdit()->selectedText(), u"3"_s);
    QTest::keyClick(window.quantityEdit(), Qt::Key_F1);
    QTRY_VERIFY(window.nameEdit()->hasFocus());

    // A click into the quantity or the code box selects all of it.
    QTest::mouseClick(window.quantityEdit(), Qt::LeftButton);
    QTRY_COMPARE(window.quantityEdit()->selectedText(), u"3"_s);
    QTest::mouseClick(window.codeEdit(), Qt::LeftButton);
    QTRY_COMPARE(window.codeEdit()->selectedText(), u"101x"_s);
}

void TestConsumeWindow::deposit_data()
{
    QTest::addColumn<bool>("cancelled");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("trailing zero") << false << u"12.50"_s << u"12.5"_s;
    QTest::newRow("not a number") << false << u"abc"_s << u"0"_s;
    QTest::newRow("empty") << false << QString() << u"0"_s;
    // Cancelling keeps the deposit shown.
    QTest::newRow("cancelled") << true << QString() << u"7.5"_s;
}

void TestConsumeWindow::deposit()
{
    QFETCH(bool, cancelled);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    Desk d;
    TAddConsumeFm &window = d.open();
    d.t.prompt.inputs.enqueue(cancelled ? std::nullopt : std::optional<QString>(typed));
    QTest::mouseDClick(window.depositCaption(), Qt::LeftButton);
    QCOMPARE(d.t.prompt.shown.size(), 1);
    QCOMPARE(d.t.prompt.shown.first().kind, u"input"_s);
    QCOMPARE(d.t.prompt.shown.first().caption, u"押金金额"_s);
    QCOMPARE(d.t.prompt.shown.first().text, u"请输入押金金额: "_s);
    QCOMPARE(window.depositLabel()->text(), stored);
    Database &db = *d.t.database;
    QCOMPARE(amount(db.scalar(u"select 押金金额 from 号牌管理 where 号牌='SP002'"_s)), stored);
    // The deposit is this plate's, not the main plate's.
    QCOMPARE(amount(db.scalar(u"select 押金金额 from 号牌管理 where 号牌='SP001'"_s)), u"0"_s);
}

void TestConsumeWindow::leaving_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("checkout");
    QTest::newRow("结帐") << u"结帐"_s << true;
    QTest::newRow("关闭") << u"关闭"_s << false;
    QTest::newRow("Esc") << u"Esc"_s << false;
}

void TestConsumeWindow::leaving()
{
    QFETCH(QString, how);
    QFETCH(bool, checkout);
    Desk d;
    TAddConsumeFm &window = d.open();
    QCOMPARE(window.checkoutButton()->text(), u"结帐"_s);
    QCOMPARE(window.closeButton()->text(), u"关闭"_s);
    if (how == u"结帐")
        window.checkoutButton()->click();
    else if (how == u"关闭")
        window.closeButton()->click();
    else
        QTest::keyClick(&window, Qt::Key_Escape);
    QVERIFY(!window.isVisible());
    QCOMPARE(window.checkoutRequested(), checkout);
    QVERIFY(d.t.prompt.shown.isEmpty());
}

SALONDESK_DB_GUI_TEST_MAIN(TestConsumeWindow)
#include "tst_consume_window.moc"
