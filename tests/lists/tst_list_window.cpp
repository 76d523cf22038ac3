#include "../export/WorkbookReader.h"
#include "support/ShopBuilder.h"
#include "support/TestSession.h"

#include "db/ResultTableModel.h"
#include "db/Transaction.h"
#include "lists/ui/FooterBar.h"
#include "lists/ui/ListWindow.h"

#include <QApplication>
#include <QHeaderView>
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

private:
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
    window.exportList();
    WorkbookReader::Sheet sheet;
    QString error;
    QVERIFY2(WorkbookReader::read(t.opener.opened.value(0), &sheet, &error), qPrintable(error));
    QCOMPARE(sheet.rows.size(), 1201);
    QCOMPARE(sheet.rows.last().value(t.database->columns(u"会员管理"_s).indexOf(u"会员卡号"_s)).value,
             u"01199"_s);
}

SALONDESK_DB_GUI_TEST_MAIN(TestListWindow)
#include "tst_list_window.moc"
