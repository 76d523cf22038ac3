#include "../export/WorkbookReader.h"
#include "support/ShopBuilder.h"
#include "support/TestSession.h"

#include "bills/ui/TZdCxFm.h"
#include "bills/ui/TZdMxFm.h"
#include "db/ResultTableModel.h"
#include "db/Transaction.h"
#include "goods/ui/TXmAddChaXunFm.h"
#include "goods/ui/TXmFm.h"
#include "lists/ui/FooterBar.h"
#include "lists/ui/ListWindow.h"
#include "lists/ui/SearchBarWidget.h"
#include "members/ui/TChongZhiRecordFm.h"
#include "members/ui/THYConsumeCXFm.h"
#include "members/ui/TMemberFm.h"
#include "staff/ui/TFwsTcMxFm.h"
#include "staff/ui/TGongZiRecordFm.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

using namespace Qt::StringLiterals;

// The window every list stands on: what its grid, footer, refresh and
// Excel show of the rows a search read.
class TestListWindow : public QObject
{
    Q_OBJECT

private slots:
    void gridShowsTheListsColumnsWithFooters();
    void refreshKeepsSearchAndCurrentRow();
    void refusedSearchKeepsTheRows();
    void excelExportsEveryColumn();
    void longListsReadPageByPage();
    void enterInTheValueBoxSearchesOnce_data();
    void enterInTheValueBoxSearchesOnce();

private:
    static std::unique_ptr<ListWindow> open(const QString &name, Session &session);
    static ListDescription members();
    static void member(Database &db, const QString &card, const QString &name, const QString &balance);
};

ListDescription TestListWindow::members()
{
    return {u"会员管理"_s, u"select * from 会员管理"_s, u"order by 会员卡号"_s,
            {{u"会员卡号"_s, u"会员卡号"_s, ListColumn::Footer::Count},
             {u"姓名"_s, u"会员姓名"_s},
             {u"卡内金额"_s, u"卡内金额"_s, ListColumn::Footer::Sum}}};
}

void TestListWindow::member(Database &db, const QString &card, const QString &name,
                            const QString &balance)
{
    ShopBuilder(db).member({.card = card, .name = name, .balance = Money::fromText(balance)});
}

void TestListWindow::gridShowsTheListsColumnsWithFooters()
{
    TestSession t;
    member(*t.database, u"001"_s, u"王芳"_s, u"100.5"_s);
    member(*t.database, u"002"_s, u"李娜"_s, u"20"_s);
    ListWindow window(t.session, members());
    QCOMPARE(window.load(), 2);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QAbstractItemModel *grid = window.grid()->model();
    QCOMPARE(grid->columnCount(), 3);
    QCOMPARE(grid->headerData(1, Qt::Horizontal).toString(), u"姓名"_s);
    QCOMPARE(grid->index(0, 2).data().toString(), u"100.5"_s);
    QCOMPARE(window.footer()->text(0), u"2"_s);
    QCOMPARE(window.footer()->text(1), QString());
    QCOMPARE(window.footer()->text(2), u"120.5"_s);
    // Each footer text stands under its column.
    for (int column = 0; column < 3; ++column)
        QCOMPARE(window.footer()->sectionSize(column), window.grid()->columnWidth(column));
    QCOMPARE(window.currentValue(u"会员卡号"_s).toString(), u"001"_s);
}

void TestListWindow::refreshKeepsSearchAndCurrentRow()
{
    TestSession t;
    member(*t.database, u"001"_s, u"王芳"_s, u"1"_s);
    member(*t.database, u"002"_s, u"王丽"_s, u"2"_s);
    member(*t.database, u"003"_s, u"李娜"_s, u"3"_s);
    ListWindow window(t.session, members());
    ListFilter filter;
    filter.conditions.append({u"会员姓名"_s, ListFilter::Match::Contains, u"王"_s});
    QCOMPARE(window.load(filter), 2);
    QVERIFY(window.selectRow(u"会员卡号"_s, u"002"_s));
    // Another workstation adds a member of the same name meanwhile.
    member(*t.database, u"000"_s, u"王强"_s, u"4"_s);
    QCOMPARE(window.refresh(), 3);
    QCOMPARE(window.currentValue(u"会员卡号"_s).toString(), u"002"_s);
    QCOMPARE(window.footer()->text(2), u"7"_s);
}

void TestListWindow::refusedSearchKeepsTheRows()
{
    TestSession t;
    member(*t.database, u"001"_s, u"王芳"_s, u"1"_s);
    ListWindow window(t.session, members());
    QCOMPARE(window.load(), 1);
    ListFilter filter;
    filter.conditions.append({u"1=1; drop table 会员管理"_s, ListFilter::Match::Equals, u"x"_s});
    QCOMPARE(window.load(filter), std::nullopt);
    QCOMPARE(t.prompt.messages(), QStringList{u"没有这个查询字段: 1=1; drop table 会员管理"_s});
    QCOMPARE(window.rows()->rowCount(), 1);
    QVERIFY(t.database->hasTable(u"会员管理"_s));
}

void TestListWindow::excelExportsEveryColumn()
{
    if (!WorkbookReader::available())
        QSKIP("python3 with openpyxl is needed to read the workbook");
    TestSession t;
    member(*t.database, u"001"_s, u"王芳"_s, u"100.5"_s);
    ListWindow window(t.session, members());
    window.load();
    t.prompt.files.enqueue(t.dir.filePath(u"members.xlsx"_s));
    t.prompt.answers.enqueue(true);
    window.exportList();
    QCOMPARE(t.opener.opened.size(), 1);
    WorkbookReader::Sheet sheet;
    QString error;
    QVERIFY2(WorkbookReader::read(t.opener.opened.first(), &sheet, &error), qPrintable(error));
    QStringList headings;
    for (const WorkbookReader::Cell &cell : sheet.rows.first())
        headings.append(cell.value);
    QCOMPARE(headings, t.database->columns(u"会员管理"_s));
}

void TestListWindow::longListsReadPageByPage()
{
    TestSession t;
    {
        Transaction transaction(*t.database);
        for (int i = 0; i < 1200; ++i)
            member(*t.database, u"%1"_s.arg(i, 5, 10, QChar(u'0')), u"会员"_s, u"0.5"_s);
        transaction.commit();
    }
    ListWindow window(t.session, members());
    // The footer counts and sums every row; the grid has read the first page.
    QCOMPARE(window.load(), 1200);
    QCOMPARE(window.footer()->text(0), u"1200"_s);
    QCOMPARE(window.footer()->text(2), u"600"_s);
    QVERIFY(window.rows()->rowCount() < 1200);
    // Scrolling to the end reads the next page.
    window.resize(600, 400);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const int firstPage = window.rows()->rowCount();
    window.grid()->scrollToBottom();
    QTRY_VERIFY(window.rows()->rowCount() > firstPage);
    // Excel takes every row, read or not.
    if (!WorkbookReader::available())
        return;
    t.prompt.files.enqueue(t.dir.filePath(u"members.xlsx"_s));
    t.prompt.answers.enqueue(true);
    window.exportList();
    WorkbookReader::Sheet sheet;
    QString error;
    QVERIFY2(WorkbookReader::read(t.opener.opened.value(0), &sheet, &error), qPrintable(error));
    QCOMPARE(sheet.rows.size(), 1201);
    QCOMPARE(sheet.rows.last().value(t.database->columns(u"会员管理"_s).indexOf(u"会员卡号"_s)).value,
             u"01199"_s);
}

std::unique_ptr<ListWindow> TestListWindow::open(const QString &name, Session &session)
{
    if (name == u"TZdCxFm")
        return std::make_unique<TZdCxFm>(session);
    if (name == u"TZdMxFm")
        return std::make_unique<TZdMxFm>(session);
    if (name == u"TXmFm")
        return std::make_unique<TXmFm>(session);
    if (name == u"TXmAddChaXunFm")
        return std::make_unique<TXmAddChaXunFm>(session);
    if (name == u"TGongZiRecordFm")
        return std::make_unique<TGongZiRecordFm>(session);
    if (name == u"TFwsTcMxFm")
        return std::make_unique<TFwsTcMxFm>(session);
    if (name == u"THYConsumeCXFm")
        return std::make_unique<THYConsumeCXFm>(session);
    if (name == u"TMemberFm")
        return std::make_unique<TMemberFm>(session);
    if (name == u"TChongZhiRecordFm")
        return std::make_unique<TChongZhiRecordFm>(session);
    return nullptr;
}

void TestListWindow::enterInTheValueBoxSearchesOnce_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QStringList>("said");
    QTest::newRow("账单查询") << u"TZdCxFm"_s << u"顾客姓名"_s << QStringList();
    QTest::newRow("账单明细") << u"TZdMxFm"_s << u"商品名"_s << QStringList();
    QTest::newRow("商品项目管理") << u"TXmFm"_s << u"商品名"_s
                                  << QStringList{u"没有符合条件的记录!"_s};
    QTest::newRow("进货表统计") << u"TXmAddChaXunFm"_s << u"商品名"_s << QStringList();
    QTest::newRow("员工工资表") << u"TGongZiRecordFm"_s << u"员工编号"_s << QStringList();
    QTest::newRow("服务生提成明细") << u"TFwsTcMxFm"_s << u"员工编号"_s
                                    << QStringList{u"没有找到符合条件的记录"_s};
    QTest::newRow("会员消费查询") << u"THYConsumeCXFm"_s << u"会员卡号"_s << QStringList();
    QTest::newRow("会员管理") << u"TMemberFm"_s << u"会员卡号"_s
                              << QStringList{u"没有找到符合条件的数据."_s};
    QTest::newRow("充值记录查询") << u"TChongZhiRecordFm"_s << u"会员卡号"_s
                                  << QStringList{u"没有符合条件的记录!"_s};
}

void TestListWindow::enterInTheValueBoxSearchesOnce()
{
    QFETCH(QString, window);
    QFETCH(QString, column);
    QFETCH(QStringList, said);
    TestSession t;
    const std::unique_ptr<ListWindow> list = open(window, t.session);
    list->show();
    QVERIFY(QTest::qWaitForWindowExposed(list.get()));
    t.prompt.clear();

    // Shown, the dialog's default button answers Enter too: the search
    // still runs once, so its message is said once.
    QLineEdit *value = list->searchBar()->valueBox();
    value->setFocus();
    value->setText(u"x'%_"_s);
    QTest::keyClick(value, Qt::Key_Return);
    QCOMPARE(t.prompt.messages(), said);
    bool searched = false;
    for (const ListFilter::Condition &condition : list->filter().conditions)
        searched |= condition.column == column && condition.value == u"x'%_"_s;
    QVERIFY2(searched, "Enter in the value box did not search");
    QVERIFY(list->isVisible());
}

SALONDESK_DB_GUI_TEST_MAIN(TestListWindow)
#include "tst_list_window.moc"
