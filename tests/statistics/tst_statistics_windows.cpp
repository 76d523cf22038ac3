#include "support/ShopBuilder.h"
#include "support/TestSession.h"

#include "board/ui/TMainFm.h"
#include "lists/ui/FooterBar.h"
#include "shell/Navigator.h"
#include "statistics/ui/TItemCountFm.h"
#include "statistics/ui/TXfCxFm.h"

#include <QAction>
#include <QApplication>
#include <QDateEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <stdexcept>

using namespace Qt::StringLiterals;

// The current consumption and item statistics windows: what they show on
// opening, what a click or a search shows, and how the board opens them.
class TestStatisticsWindows : public QObject
{
    Q_OBJECT

private slots:
    void noOccupiedPlate();
    void firstPlateByItsOwnLines();
    void clickedPlateShowsItsGroup();
    void searchedPlateWithoutLinesKeepsTheList();
    void itemStatisticsOpenOnEverything();
    void typeClickCountsThatType();
    void menuEntriesOpenTheirWindows_data();
    void menuEntriesOpenTheirWindows();
};

namespace {

void plate(Database &db, const QString &number, const QString &state, const QString &main)
{
    ShopBuilder(db).plate({.plate = number, .state = state, .mainPlate = main});
}

void open(Database &db, const QString &number, const QString &main, const QString &goods,
          const QString &quantity, const QString &total)
{
    ShopBuilder(db).line({.plate = number, .mainPlate = main, .goods = goods,
                          .price = Money::fromText(total), .quantity = Money::fromText(quantity),
                          .total = Money::fromText(total),
                          .time = QDateTime(QDate(2024, 3, 1), QTime(7, 0))});
}

// A line settled under bill B1; the lines of a fresh shop are numbered from
// 1 in the order they are made.
void settled(Database &db, int id, const QString &goods, const QString &type,
             const QString &quantity, const QString &total, const QString &at)
{
    ShopBuilder::Line line;
    line.plate = u"SP001"_s;
    line.goods = goods;
    line.type = type;
    line.quantity = Money::fromText(quantity);
    line.total = Money::fromText(total);
    line.time = QDateTime::fromString(at, u"yyyy-MM-dd hh:mm:ss"_s);
    if (ShopBuilder(db).settledLine(line, u"B1"_s) != id)
        throw std::logic_error("the settled line was not numbered as the test expects");
}

QStringList column(QAbstractItemModel *model, int column)
{
    QStringList values;
    for (int row = 0; row < model->rowCount(); ++row)
        values.append(model->index(row, column).data().toString());
    return values;
}

// SP001 leads SP002; SP003 is alone; SP004 is free.
void group(Database &db)
{
    plate(db, u"SP001"_s, u"占用"_s, u"SP001"_s);
    plate(db, u"SP002"_s, u"占用"_s, u"SP001"_s);
    plate(db, u"SP003"_s, u"占用"_s, u"SP003"_s);
    plate(db, u"SP004"_s, u"可用"_s, QString());
    open(db, u"SP001"_s, u"SP001"_s, u"洗剪吹"_s, u"1"_s, u"30"_s);
    open(db, u"SP002"_s, u"SP001"_s, u"烫发"_s, u"2"_s, u"560.5"_s);
    open(db, u"SP003"_s, u"SP003"_s, u"染发"_s, u"1"_s, u"200"_s);
}

} // namespace

void TestStatisticsWindows::noOccupiedPlate()
{
    TestSession t;
    plate(*t.database, u"SP001"_s, u"可用"_s, QString());
    TXfCxFm window(t.session);
    window.show();
    QCOMPARE(t.prompt.messages(), QStringList{u"没有正在消费的号牌!"_s});
    QVERIFY(window.isVisible());
    QCOMPARE(window.windowTitle(), u"消费查询"_s);
    QCOMPARE(window.plateList()->count(), 0);
    QCOMPARE(window.grid()->model()->rowCount(), 0);
}

void TestStatisticsWindows::firstPlateByItsOwnLines()
{
    TestSession t;
    group(*t.database);
    TXfCxFm window(t.session);
    window.show();
    QVERIFY(t.prompt.messages().isEmpty());
    QCOMPARE(column(window.plateList()->model(), 0), (QStringList{u"SP001"_s, u"SP002"_s, u"SP003"_s}));
    QCOMPARE(window.searchBox()->text(), QString());
    QCOMPARE(window.shownPlate(), u"SP001"_s);
    // Only what was booked on SP001 itself, not on SP002 of its group.
    QCOMPARE(column(window.grid()->model(), 0), QStringList{u"洗剪吹"_s});
    QCOMPARE(window.shownTotal(), u"30"_s);
    QAbstractItemModel *grid = window.grid()->model();
    QStringList headings;
    for (int c = 0; c < grid->columnCount(); ++c)
        headings.append(grid->headerData(c, Qt::Horizontal).toString());
    QCOMPARE(headings, (QStringList{u"商品名"_s, u"单价"_s, u"数量"_s, u"合计"_s, u"员工姓名"_s,
                                    u"状态"_s, u"主号牌"_s, u"消费时间"_s}));
}

void TestStatisticsWindows::clickedPlateShowsItsGroup()
{
    TestSession t;
    group(*t.database);
    TXfCxFm window(t.session);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const auto click = [&window](int row) {
        QListWidget *plates = window.plateList();
        const QRect cell = plates->visualItemRect(plates->item(row));
        QTest::mouseClick(plates->viewport(), Qt::LeftButton, {}, cell.center());
    };
    click(0);
    QCOMPARE(window.shownPlate(), u"SP001"_s);
    QCOMPARE(column(window.grid()->model(), 0), (QStringList{u"洗剪吹"_s, u"烫发"_s}));
    QCOMPARE(window.shownTotal(), u"590.5"_s);
    QCOMPARE(window.footer()->text(2), u"3"_s);
    // A plate of another plate's group leads none.
    click(1);
    QCOMPARE(window.shownPlate(), u"SP002"_s);
    QCOMPARE(window.grid()->model()->rowCount(), 0);
    QCOMPARE(window.shownTotal(), u"0"_s);
    QVERIFY(t.prompt.messages().isEmpty());
}

void TestStatisticsWindows::searchedPlateWithoutLinesKeepsTheList()
{
    TestSession t;
    group(*t.database);
    TXfCxFm window(t.session);
    window.show();
    window.searchBox()->setText(u"SP003"_s);
    QTest::keyClick(window.searchBox(), Qt::Key_Return);
    QCOMPARE(window.shownPlate(), u"SP003"_s);
    QCOMPARE(column(window.grid()->model(), 0), QStringList{u"染发"_s});
    QCOMPARE(window.shownTotal(), u"200"_s);

    window.searchBox()->setText(u"SP009"_s);
    QTest::keyClick(window.searchBox(), Qt::Key_Return);
    QCOMPARE(window.shownPlate(), u"SP009"_s);
    QCOMPARE(window.shownTotal(), u"0"_s);
    QCOMPARE(column(window.grid()->model(), 0), QStringList{u"染发"_s});
    QVERIFY(t.prompt.messages().isEmpty());
    QVERIFY(window.isVisible());
}

void TestStatisticsWindows::itemStatisticsOpenOnEverything()
{
    TestSession t;
    ShopBuilder(*t.database).goodsType(u"洗护用品"_s).goodsType(u"美发服务"_s);
    settled(*t.database, 1, u"洗剪吹"_s, u"美发服务"_s, u"1"_s, u"30"_s, u"2000-01-01 00:00:00"_s);
    settled(*t.database, 2, u"洗发水"_s, u"洗护用品"_s, u"2"_s, u"90"_s, u"2024-03-01 07:59:00"_s);
    settled(*t.database, 3, u"门票"_s, u"门票"_s, u"1"_s, u"10"_s, u"2024-03-01 23:59:59"_s);
    settled(*t.database, 4, u"染发"_s, u"美发服务"_s, u"1"_s, u"200"_s, u"2024-03-02 00:00:00"_s);
    TItemCountFm window(t.session);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.windowTitle(), u"营业项目统计"_s);
    QCOMPARE(window.firstDate()->date(), QDate(2000, 1, 1));
    QCOMPARE(window.lastDate()->date(), QDate(2024, 3, 1));
    QCOMPARE(column(window.typeList()->model(), 0),
             (QStringList{u"全部"_s, u"洗护用品"_s, u"美发服务"_s}));
    QCOMPARE(QApplication::focusWidget(), window.typeList());
    QCOMPARE(window.chosenType(), u"全部"_s);
    // The whole of today, up to its last second.
    QAbstractItemModel *grid = window.grid()->model();
    QCOMPARE(grid->rowCount(), 3);
    QCOMPARE(window.footer()->text(0), u"3"_s);
    QCOMPARE(window.footer()->text(1), u"4"_s);
    QCOMPARE(window.footer()->text(2), u"130"_s);
    QVERIFY(t.prompt.messages().isEmpty());
}

void TestStatisticsWindows::typeClickCountsThatType()
{
    TestSession t;
    ShopBuilder(*t.database).goodsType(u"洗护用品"_s).goodsType(u"美发服务"_s);
    settled(*t.database, 1, u"洗剪吹"_s, u"美发服务"_s, u"1"_s, u"30"_s, u"2024-02-01 10:00:00"_s);
    settled(*t.database, 2, u"洗发水"_s, u"洗护用品"_s, u"2"_s, u"90"_s, u"2024-02-01 10:00:00"_s);
    TItemCountFm window(t.session);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QListWidget *types = window.typeList();
    QTest::mouseClick(types->viewport(), Qt::LeftButton, {},
                      types->visualItemRect(types->item(2)).center());
    QCOMPARE(window.chosenType(), u"美发服务"_s);
    QCOMPARE(column(window.grid()->model(), 0), QStringList{u"洗剪吹"_s});
    QCOMPARE(window.footer()->text(2), u"30"_s);

    // "统计" counts again with the days chosen.
    window.firstDate()->setDate(QDate(2024, 2, 2));
    window.findChild<QPushButton *>(u"统计"_s)->click();
    QCOMPARE(window.grid()->model()->rowCount(), 0);
    QCOMPARE(window.footer()->text(0), u"0"_s);
    QCOMPARE(window.footer()->text(2), u"0"_s);
}

void TestStatisticsWindows::menuEntriesOpenTheirWindows_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("window");
    QTest::newRow("当前消费查询") << u"当前消费查询"_s << u"TXfCxFm"_s;
    QTest::newRow("营业项目统计") << u"营业项目统计"_s << u"TItemCountFm"_s;
}

void TestStatisticsWindows::menuEntriesOpenTheirWindows()
{
    QFETCH(QString, entry);
    QFETCH(QString, window);
    TestSession t;
    t.context.Rights = Rights::all();
    plate(*t.database, u"SP001"_s, u"占用"_s, u"SP001"_s);
    TMainFm board(t.session);
    board.setAskOnClose(false);
    Navigator navigator(t.session, board);
    board.show();

    QString opened;
    QTimer::singleShot(0, &board, [&opened] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            opened = QString::fromLatin1(dialog->metaObject()->className());
            dialog->done(QDialog::Rejected);
        }
    });
    board.menuAction(entry)->trigger();
    QCOMPARE(opened, window);

    // Without the right 营业查询 the board offers neither.
    Rights rights = Rights::all();
    rights.set(Right::BusinessQueries, false);
    t.context.Rights = rights;
    TMainFm limited(t.session);
    limited.setAskOnClose(false);
    limited.show();
    QVERIFY(!limited.menu(u"查询统计"_s)->menuAction()->isEnabled());
}

SALONDESK_DB_GUI_TEST_MAIN(TestStatisticsWindows)
#include "tst_statistics_windows.moc"
