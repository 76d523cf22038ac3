#include "support/ShopBuilder.h"
#include "support/TestSession.h"

#include "common/Money.h"
#include "db/ResultTableModel.h"
#include "lists/ui/FooterBar.h"
#include "members/ui/MemberForm.h"
#include "members/ui/TMemberAddFm.h"
#include "members/ui/TMemberEditFm.h"
#include "members/ui/TMemberFm.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlRecord>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolBar>

using namespace Qt::StringLiterals;

// The member list, the add and the edit window: what they show, what the
// operator's keys and buttons do, and the messages.
class TestMemberWindows : public QObject
{
    Q_OBJECT

private slots:
    void listShowsItsColumnsAndFooters();
    void search_data();
    void search();
    void enterInTheValueBoxSearches();
    void showAllAfterASearch();
    void deleteNeedsTheRightAndAsks();
    void rechargeAsksForTheCurrentCardAndRereads();
    void listFollowsMembersAddedElsewhere();
    void printedList();
    void addWindowCaptionAndPresets();
    void addWindowClearKeepsTypeAndBirth();
    void addWindowSavesOrStaysOpen();
    void addWindowWithoutTypes();
    void editWindowShowsTheMemberAsStoredNow();
    void editWindowSaveKeepsABalanceChangedMeanwhile();
    void editWindowRefusalsKeepItOpen_data();
    void editWindowRefusalsKeepItOpen();
    void editWindowCancelDiscards();
    void editFromTheListRereadsAndSelects();

private:
    static void member(Database &db, const QString &card, const QString &name,
                       const QString &balance, const QString &type = u"金卡"_s);
};

void TestMemberWindows::member(Database &db, const QString &card, const QString &name,
                               const QString &balance, const QString &type)
{
    ShopBuilder(db).member({.card = card, .name = name, .type = type,
                            .balance = Money::fromText(balance), .points = Money::fromInt(3)});
}

void TestMemberWindows::listShowsItsColumnsAndFooters()
{
    TestSession t;
    member(*t.database, u"001"_s, u"王芳"_s, u"100.5"_s);
    member(*t.database, u"002"_s, u"李娜"_s, u"20"_s);
    TMemberFm window(t.session);
    QCOMPARE(window.windowTitle(), u"会员管理"_s);
    QVERIFY(window.windowState() & Qt::WindowMaximized);
    QStringList buttons;
    for (QAction *action : window.toolbar()->actions())
        buttons.append(action->text());
    QCOMPARE(buttons, (QStringList{u"添加"_s, u"修改"_s, u"删除"_s, u"刷新"_s, u"显示全部"_s,
                                   u"打印"_s, u"充值"_s, u"Excel"_s, u"退出"_s}));
    QCOMPARE(window.fieldBox()->currentText(), u"会员卡号"_s);
    QVERIFY(window.fieldBox()->isEditable());
    QVERIFY(window.valueBox()->text().isEmpty());

    QAbstractItemModel *grid = window.grid()->model();
    QStringList headings;
    for (int column = 0; column < grid->columnCount(); ++column)
        headings.append(grid->headerData(column, Qt::Horizontal).toString());
    QCOMPARE(headings, (QStringList{u"会员卡号"_s, u"会员姓名"_s, u"会员类型"_s, u"会员性别"_s,
                                    u"卡内金额"_s, u"当前积分"_s, u"当前状态"_s, u"出生日期"_s,
                                    u"联系电话"_s, u"备注"_s, u"登记日期"_s}));
    QCOMPARE(grid->rowCount(), 2);
    QCOMPARE(window.footer()->text(0), u"2"_s);
    QCOMPARE(window.footer()->text(4), u"120.5"_s);
    QCOMPARE(window.footer()->text(5), QString());
    QVERIFY(window.grid()->editTriggers() == QAbstractItemView::NoEditTriggers);
    QVERIFY(t.prompt.messages().isEmpty());
}

void TestMemberWindows::search_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("cards");
    const QStringList all{u"001"_s, u"002"_s, u"003"_s};
    QTest::newRow("no value") << u"会员卡号"_s << QString() << QStringList{u"请填写查询条件!"_s} << all;
    QTest::newRow("no field") << QString() << u"001"_s << QStringList{u"请填写查询条件!"_s} << all;
    QTest::newRow("card") << u"会员卡号"_s << u"002"_s << QStringList() << QStringList{u"002"_s};
    QTest::newRow("type") << u"会员类型"_s << u"银卡"_s << QStringList() << QStringList{u"003"_s};
    // The whole value, although the label says "中含有".
    QTest::newRow("part of a name") << u"会员姓名"_s << u"王"_s
                                    << QStringList{u"没有找到符合条件的数据."_s} << QStringList();
    QTest::newRow("untrimmed value") << u"会员卡号"_s << u"002 "_s
                                     << QStringList{u"没有找到符合条件的数据."_s} << QStringList();
    QTest::newRow("quote in the value") << u"会员姓名"_s << u"O'Neil"_s << QStringList()
                                        << QStringList{u"003"_s};
    // A typed field is a column of the table or nothing is run.
    QTest::newRow("typed column") << u"会员性别"_s << u"女"_s << QStringList() << all;
    QTest::newRow("not a column") << u"会员卡号='001' or 1"_s << u"1"_s
                                  << QStringList{u"没有这个查询字段: 会员卡号='001' or 1"_s} << all;
}

void TestMemberWindows::search()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, cards);
    TestSession t;
    member(*t.database, u"001"_s, u"王芳"_s, u"1"_s);
    member(*t.database, u"002"_s, u"李娜"_s, u"2"_s);
    member(*t.database, u"003"_s, u"O'Neil"_s, u"4"_s, u"银卡"_s);
    TMemberFm window(t.session);
    window.fieldBox()->setEditText(field);
    window.valueBox()->setText(value);
    window.findButton()->click();
    QCOMPARE(t.prompt.messages(), messages);
    QStringList shown;
    for (int row = 0; row < window.rows()->rowCount(); ++row)
        shown.append(window.rows()->value(row, u"会员卡号"_s).toString());
    shown.sort();
    QCOMPARE(shown, cards);
    QCOMPARE(window.footer()->text(0), QString::number(cards.size()));
}

void TestMemberWindows::enterInTheValueBoxSearches()
{
    TestSession t;
    member(*t.database, u"001"_s, u"王芳"_s, u"1"_s);
    member(*t.database, u"002"_s, u"李娜"_s, u"2"_s);
    TMemberFm window(t.session);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.valueBox()->setFocus();
    QTRY_VERIFY(window.valueBox()->hasFocus());
    QVERIFY(window.findButton()->isDefault());
    QTest::keyClicks(window.valueBox(), u"002"_s);
    QTest::keyClick(window.valueBox(), Qt::Key_Return);
    QCOMPARE(window.rows()->rowCount(), 1);
    QCOMPARE(window.currentValue(u"会员姓名"_s).toString(), u"李娜"_s);
    QVERIFY(window.isVisible());
}

void TestMemberWindows::showAllAfterASearch()
{
    TestSession t;
    member(*t.database, u"001"_s, u"王芳"_s, u"1"_s);
    member(*t.database, u"002"_s, u"李娜"_s, u"2"_s);
    TMemberFm window(t.session);
    window.valueBox()->setText(u"001"_s);
    window.search();
    QCOMPARE(window.rows()->rowCount(), 1);
    member(*t.database, u"003"_s, u"张三"_s, u"4"_s);
    window.action(u"刷新"_s)->trigger();
    QCOMPARE(window.rows()->rowCount(), 1);
    window.action(u"显示全部"_s)->trigger();
    QCOMPARE(window.rows()->rowCount(), 3);
    QCOMPARE(window.footer()->text(4), u"7"_s);
}

void TestMemberWindows::deleteNeedsTheRightAndAsks()
{
    TestSession t;
    member(*t.database, u"001"_s, u"王芳"_s, u"1"_s);
    member(*t.database, u"002"_s, u"李娜"_s, u"2"_s);
    TMemberFm window(t.session);
    QVERIFY(window.selectRow(u"会员卡号"_s, u"002"_s));

    window.action(u"删除"_s)->trigger();
    QCOMPARE(t.prompt.messages(), QStringList{u"没有该权限!"_s});
    QCOMPARE(t.prompt.shown.size(), 1);

    t.prompt.clear();
    t.context.Rights.set(Right::MemberDelete, true);
    t.prompt.answers.enqueue(false);
    window.action(u"删除"_s)->trigger();
    QCOMPARE(t.prompt.shown.size(), 1);
    QCOMPARE(t.prompt.shown.first().kind, u"question"_s);
    QCOMPARE(t.prompt.shown.first().text, u"您是否要删除\" 李娜\""_s);
    QCOMPARE(window.rows()->rowCount(), 2);

    t.prompt.answers.enqueue(true);
    window.action(u"删除"_s)->trigger();
    QCOMPARE(window.rows()->rowCount(), 1);
    QCOMPARE(window.footer()->text(0), u"1"_s);
    QCOMPARE(t.database->scalar(u"select 会员卡号 from 会员管理"_s).toString(), u"001"_s);
}

void TestMemberWindows::rechargeAsksForTheCurrentCardAndRereads()
{
    TestSession t;
    member(*t.database, u"001"_s, u"王芳"_s, u"1"_s);
    member(*t.database, u"002"_s, u"李娜"_s, u"2"_s);
    TMemberFm window(t.session);
    QVERIFY(window.selectRow(u"会员卡号"_s, u"002"_s));
    QStringList asked;
    // As the recharge window would: the balance changes in place.
    connect(&window, &TMemberFm::rechargeRequested, this, [&](const QString &card) {
        asked.append(card);
        t.database->execute(u"update 会员管理 set 卡内金额 = 卡内金额 + 50 where 会员卡号=?"_s,
                            {card});
    });
    window.action(u"充值"_s)->trigger();
    QCOMPARE(asked, QStringList{u"002"_s});
    QCOMPARE(window.footer()->text(4), u"53"_s);
    QCOMPARE(window.currentValue(u"会员卡号"_s).toString(), u"002"_s);
    QCOMPARE(Money::fromVariant(window.currentValue(u"卡内金额"_s)), Money::fromInt(52));
}

void TestMemberWindows::listFollowsMembersAddedElsewhere()
{
    TestSession t;
    member(*t.database, u"001"_s, u"王芳"_s, u"1"_s);
    member(*t.database, u"002"_s, u"李娜"_s, u"2"_s);
    TMemberFm window(t.session);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.selectRow(u"会员卡号"_s, u"002"_s));

    // Another workstation adds a member and announces it, as its store does.
    auto other = Database::open(t.database->settings());
    member(*other, u"003"_s, u"赵敏"_s, u"30"_s);
    other->announce(Change::Members);

    // No "刷新": the list reads its rows again and keeps its current row.
    QTRY_COMPARE_WITH_TIMEOUT(window.grid()->model()->rowCount(), 3, 1000);
    QCOMPARE(window.footer()->text(0), u"3"_s);
    QCOMPARE(window.currentValue(u"会员卡号"_s).toString(), u"002"_s);
    QVERIFY(t.prompt.messages().isEmpty());
}

void TestMemberWindows::printedList()
{
    TestSession t;
    ListReport report = TMemberFm::report();
    report.setPrintedAt(t.clock.now());
    QCOMPARE(report.titles().size(), 1);
    QCOMPARE(report.expand(report.titles().first().text), u"会员资料    2024-03-01"_s);
    QStringList headings;
    QStringList fields;
    for (const ReportColumn &column : report.columns()) {
        headings.append(column.heading);
        fields.append(column.field);
    }
    QCOMPARE(headings, (QStringList{u"会员卡号"_s, u"会员姓名"_s, u"性别"_s, u"会员类型"_s, u"联系电话"_s}));
    QCOMPARE(fields, (QStringList{u"会员卡号"_s, u"会员姓名"_s, u"会员性别"_s, u"会员类型"_s, u"联系电话"_s}));
    QCOMPARE(report.closingLines().size(), 1);
    QCOMPARE(report.expand(report.closingLines().first().text), u"打印日期:2024-03-01"_s);
    QVERIFY(!report.hasSums());

    // Every field is a column of the list's rows.
    member(*t.database, u"001"_s, u"王芳"_s, u"1"_s);
    TMemberFm window(t.session);
    report.setModel(window.rows());
    QVERIFY(!report.modelColumns().contains(-1));
    QCOMPARE(report.cellText(0, report.modelColumns().at(2)), u"女"_s);
}

void TestMemberWindows::addWindowCaptionAndPresets()
{
    TestSession t;
    t.database->execute(u"insert into 会员类型 (类型名称, 打折率) values (?, 0.9), (?, 0.8)"_s,
                        {u"银卡"_s, u"金卡"_s});
    TMemberAddFm window(t.session);
    QCOMPARE(window.windowTitle(), u"添加会员   (初始密码默认0000)"_s);
    QCOMPARE(window.form()->typeBox()->count(), 2);
    QCOMPARE(window.form()->typeBox()->currentText(), u"银卡"_s);
    QVERIFY(window.form()->typeBox()->isEditable());
    QCOMPARE(window.form()->sexBox()->currentText(), u"男"_s);
    QCOMPARE(window.form()->noteBox()->toPlainText(), u"无"_s);
    QCOMPARE(window.form()->birthBox()->date(), QDate(2024, 3, 1));
}

void TestMemberWindows::addWindowClearKeepsTypeAndBirth()
{
    TestSession t;
    t.database->execute(u"insert into 会员类型 (类型名称) values (?), (?)"_s, {u"银卡"_s, u"金卡"_s});
    TMemberAddFm window(t.session);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.form()->cardBox()->setText(u"001"_s);
    window.form()->nameBox()->setText(u"王芳"_s);
    window.form()->phoneBox()->setText(u"139"_s);
    window.form()->sexBox()->setEditText(u"女"_s);
    window.form()->typeBox()->setCurrentIndex(1);
    window.form()->birthBox()->setDate(QDate(1990, 5, 17));
    window.form()->noteBox()->setPlainText(u"常客"_s);
    window.form()->phoneBox()->setFocus();

    window.clearButton()->click();
    QVERIFY(window.form()->cardBox()->text().isEmpty());
    QVERIFY(window.form()->nameBox()->text().isEmpty());
    QVERIFY(window.form()->phoneBox()->text().isEmpty());
    QCOMPARE(window.form()->sexBox()->currentText(), u"男"_s);
    QCOMPARE(window.form()->noteBox()->toPlainText(), u"无"_s);
    QCOMPARE(window.form()->typeBox()->currentText(), u"金卡"_s);
    QCOMPARE(window.form()->birthBox()->date(), QDate(1990, 5, 17));
    QTRY_VERIFY(window.form()->cardBox()->hasFocus());
    QVERIFY(window.isVisible());
}

void TestMemberWindows::addWindowSavesOrStaysOpen()
{
    TestSession t;
    member(*t.database, u"001"_s, u"王芳"_s, u"1"_s);
    TMemberAddFm window(t.session);
    window.show();
    window.form()->cardBox()->setText(u"001"_s);
    window.form()->nameBox()->setText(u"李娜"_s);
    window.saveButton()->click();
    QCOMPARE(t.prompt.messages(), QStringList{u"会员卡号有重复，请换其他号码！"_s});
    QVERIFY(window.isVisible());
    QCOMPARE(window.form()->nameBox()->text(), u"李娜"_s);
    QVERIFY(window.addedCard().isEmpty());

    t.prompt.clear();
    window.form()->nameBox()->clear();
    window.saveButton()->click();
    QCOMPARE(t.prompt.messages(), QStringList{u"会员卡号和会员姓名必须填写！"_s});
    QVERIFY(window.isVisible());

    t.prompt.clear();
    window.form()->cardBox()->setText(u"002"_s);
    window.form()->nameBox()->setText(u"李娜"_s);
    window.saveButton()->click();
    QCOMPARE(t.prompt.messages(), QStringList{u"保存成功!"_s});
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QCOMPARE(window.addedCard(), u"002"_s);
    QCOMPARE(t.database->scalar(u"select 会员姓名 from 会员管理 where 会员卡号='002'"_s).toString(),
             u"李娜"_s);
}

void TestMemberWindows::addWindowWithoutTypes()
{
    TestSession t;
    TMemberAddFm window(t.session);
    QCOMPARE(window.form()->typeBox()->currentText(), QString());
    window.form()->cardBox()->setText(u"001"_s);
    window.form()->nameBox()->setText(u"王芳"_s);
    window.form()->noteBox()->clear();
    window.saveButton()->click();
    QCOMPARE(t.prompt.messages(), QStringList{u"保存成功!"_s});
    const QSqlRecord stored = t.database->firstRow(u"select * from 会员管理"_s);
    QCOMPARE(stored.value(u"会员类型"_s).toString(), u"未设置"_s);
    QCOMPARE(stored.value(u"会员性别"_s).toString(), u"男"_s);
    QVERIFY(stored.value(u"备注"_s).isNull());
}

void TestMemberWindows::editWindowShowsTheMemberAsStoredNow()
{
    TestSession t;
    t.database->execute(u"insert into 会员类型 (类型名称) values (?), (?)"_s, {u"银卡"_s, u"金卡"_s});
    member(*t.database, u"001"_s, u"王芳"_s, u"12.5"_s);
    TMemberEditFm window(t.session, u"001"_s);
    QVERIFY(window.isLoaded());
    QCOMPARE(window.windowTitle(), u"会员资料修改"_s);
    QCOMPARE(window.form()->cardBox()->text(), u"001"_s);
    QCOMPARE(window.form()->nameBox()->text(), u"王芳"_s);
    QCOMPARE(window.form()->sexBox()->currentText(), u"女"_s);
    QCOMPARE(window.form()->typeBox()->currentText(), u"金卡"_s);
    QCOMPARE(window.form()->typeBox()->count(), 2);
    QCOMPARE(window.form()->balanceBox()->text(), u"12.5"_s);
    QCOMPARE(window.form()->pointsBox()->text(), u"3"_s);
    QCOMPARE(window.form()->stateBox()->text(), u"可用"_s);
    const MemberForm &form = *window.form();
    for (QLineEdit *box : {form.balanceBox(), form.pointsBox(), form.stateBox()})
        QVERIFY(box->isReadOnly());
    QCOMPARE(window.form()->registeredBox()->date(), QDate::currentDate());
    // No birth date stored: the box shows none.
    QCOMPARE(window.form()->birthBox()->text().trimmed(), QString());

    TMemberEditFm gone(t.session, u"009"_s);
    QVERIFY(!gone.isLoaded());
    QCOMPARE(t.prompt.messages(), QStringList{u"没有找到该会员，可能已被删除！"_s});
}

void TestMemberWindows::editWindowSaveKeepsABalanceChangedMeanwhile()
{
    TestSession t;
    t.context.Rights.set(Right::MemberEdit, true);
    member(*t.database, u"001"_s, u"王芳"_s, u"100"_s);
    TMemberFm list(t.session);
    // A recharge after the list was read and before the edit opened…
    t.database->execute(u"update 会员管理 set 卡内金额 = 卡内金额 + 10"_s);
    TMemberEditFm window(t.session, list.currentValue(u"会员卡号"_s).toString());
    QCOMPARE(window.form()->balanceBox()->text(), u"110"_s);
    // …and another while it is open.
    t.database->execute(u"update 会员管理 set 卡内金额 = 卡内金额 + 10"_s);
    window.form()->nameBox()->setText(u"王小芳"_s);
    window.form()->phoneBox()->setText(u"139"_s);
    window.saveButton()->click();
    QVERIFY(t.prompt.messages().isEmpty());
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QCOMPARE(window.savedCard(), u"001"_s);
    const QSqlRecord stored = t.database->firstRow(u"select * from 会员管理"_s);
    QCOMPARE(stored.value(u"会员姓名"_s).toString(), u"王小芳"_s);
    QCOMPARE(stored.value(u"联系电话"_s).toString(), u"139"_s);
    QCOMPARE(Money::fromVariant(stored.value(u"卡内金额"_s)), Money::fromInt(120));
    // Untouched date boxes wrote nothing.
    QVERIFY(stored.value(u"出生日期"_s).isNull());
}

void TestMemberWindows::editWindowRefusalsKeepItOpen_data()
{
    QTest::addColumn<bool>("right");
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("message");
    QTest::newRow("no right") << false << u"001"_s << u"金卡"_s << u"没有权限!"_s;
    QTest::newRow("no type") << true << u"001"_s << QString()
                             << u"会员卡号和会员姓名和会员类型必须认真填写！"_s;
    QTest::newRow("another member's card") << true << u"002"_s << u"金卡"_s
                                           << u"会员卡号有重复，请换其他号码！"_s;
}

void TestMemberWindows::editWindowRefusalsKeepItOpen()
{
    QFETCH(bool, right);
    QFETCH(QString, card);
    QFETCH(QString, type);
    QFETCH(QString, message);
    TestSession t;
    t.context.Rights.set(Right::MemberEdit, right);
    member(*t.database, u"001"_s, u"王芳"_s, u"1"_s);
    member(*t.database, u"002"_s, u"李娜"_s, u"2"_s);
    TMemberEditFm window(t.session, u"001"_s);
    window.show();
    window.form()->cardBox()->setText(card);
    window.form()->typeBox()->setEditText(type);
    window.form()->nameBox()->setText(u"王小芳"_s);
    window.saveButton()->click();
    QCOMPARE(t.prompt.messages(), QStringList{message});
    QVERIFY(window.isVisible());
    QCOMPARE(window.form()->nameBox()->text(), u"王小芳"_s);
    QCOMPARE(t.database->scalar(u"select count(*) from 会员管理 where 会员姓名='王小芳'"_s).toInt(), 0);

    // Put right, the same window saves.
    t.prompt.clear();
    t.context.Rights.set(Right::MemberEdit, true);
    window.form()->cardBox()->setText(u"003"_s);
    window.form()->typeBox()->setEditText(u"银卡"_s);
    window.saveButton()->click();
    QVERIFY(t.prompt.messages().isEmpty());
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QCOMPARE(t.database->scalar(u"select 会员姓名 from 会员管理 where 会员卡号='003'"_s).toString(),
             u"王小芳"_s);
}

void TestMemberWindows::editWindowCancelDiscards()
{
    TestSession t;
    t.context.Rights.set(Right::MemberEdit, true);
    member(*t.database, u"001"_s, u"王芳"_s, u"1"_s);
    TMemberEditFm window(t.session, u"001"_s);
    window.show();
    window.form()->nameBox()->setText(u"王小芳"_s);
    window.cancelButton()->click();
    QCOMPARE(window.result(), int(QDialog::Rejected));
    QVERIFY(!window.isVisible());
    QCOMPARE(t.database->scalar(u"select 会员姓名 from 会员管理"_s).toString(), u"王芳"_s);
    QVERIFY(t.prompt.messages().isEmpty());
}

void TestMemberWindows::editFromTheListRereadsAndSelects()
{
    TestSession t;
    t.context.Rights.set(Right::MemberEdit, true);
    member(*t.database, u"001"_s, u"王芳"_s, u"1"_s);
    member(*t.database, u"002"_s, u"李娜"_s, u"2"_s);
    TMemberFm window(t.session);
    window.show();
    QVERIFY(window.selectRow(u"会员卡号"_s, u"002"_s));
    QString opened;
    QTimer::singleShot(0, &window, [&opened] {
        auto *edit = qobject_cast<TMemberEditFm *>(QApplication::activeModalWidget());
        if (!edit)
            return;
        opened = edit->form()->cardBox()->text();
        edit->form()->cardBox()->setText(u"000"_s);
        edit->saveButton()->click();
    });
    window.action(u"修改"_s)->trigger();
    QCOMPARE(opened, u"002"_s);
    QCOMPARE(window.currentValue(u"会员卡号"_s).toString(), u"000"_s);
    QCOMPARE(window.currentValue(u"会员姓名"_s).toString(), u"李娜"_s);
    QCOMPARE(window.rows()->rowCount(), 2);
}

SALONDESK_DB_GUI_TEST_MAIN(TestMemberWindows)
#include "tst_member_windows.moc"
