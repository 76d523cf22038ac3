#include "support/ShopBuilder.h"
#include "support/TestSession.h"

#include "db/Amounts.h"
#include "goods/ui/TXmKindFm.h"
#include "lists/RecordTable.h"
#include "members/ui/TMemBerTypeFm.h"
#include "staff/ui/TYgDjFm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTest>

using namespace Qt::StringLiterals;

// The three record screens: their states, what they say and what they
// write. Behaviour they share runs as a table over the three.
class TestRecordScreens : public QObject
{
    Q_OBJECT

private slots:
    void statesAndButtons_data();
    void statesAndButtons();
    void addsAndSaves_data();
    void addsAndSaves();
    void changesAndSaves_data();
    void changesAndSaves();
    void deleteAsksWithTheName_data();
    void deleteAsksWithTheName();
    void staleSaveIsRefused_data();
    void staleSaveIsRefused();
    void duplicateNameIsRefused_data();
    void duplicateNameIsRefused();
    void leftOnlyThroughTheButtons_data();
    void leftOnlyThroughTheButtons();
    void withoutDatabaseSaysWhy_data();
    void withoutDatabaseSaysWhy();

    void levelNeedsNameOrSalary();
    void goodsTypeWithoutDiscountChoiceIsNotSaved();
    void goodsTypeScreenLooksAndDefaults();
    void memberTypeTypingStartsEditing();
    void memberTypeHasNoCloseButton();
    void memberTypeRefusesWhatTheCheckoutCannotUse_data();
    void memberTypeRefusesWhatTheCheckoutCannotUse();
    void memberTypeKeepsEveryDecimalOfTheRate_data();
    void memberTypeKeepsEveryDecimalOfTheRate();
};

namespace {

const QString StaleText = u"该记录已被其他工作站修改或删除，请刷新后重试。"_s;

// Two rows per table: the first and the second name of each data row.
void seed(const QString &screen, Database &db)
{
    if (screen == u"TXmKindFm")
        ShopBuilder(db).goodsType(u"洗发"_s, true, true, false).goodsType(u"烫发"_s, false, false, true);
    else if (screen == u"TYgDjFm")
        db.execute(u"insert into 员工等级 (等级名称, 工资) values ('高级', 3000), ('初级', 2000.5)"_s);
    else
        db.execute(u"insert into 会员类型 (类型名称, 初始积分, 打折率) values ('金卡', 100, 0.8), "
                   "('银卡', 50, 0.9)"_s);
}

// Opened as from the board, by an operator who holds the screen's right.
std::unique_ptr<RecordScreen> openScreen(const QString &screen, Session &session)
{
    session.context.Rights = Rights::all();
    if (screen == u"TXmKindFm")
        return std::make_unique<TXmKindFm>(session);
    if (screen == u"TYgDjFm")
        return std::make_unique<TYgDjFm>(session);
    return std::make_unique<TMemBerTypeFm>(session);
}

QLineEdit *nameBox(RecordScreen &window)
{
    return qobject_cast<QLineEdit *>(window.field(window.description().nameColumn));
}

QString tableOf(RecordScreen &window)
{
    return window.description().table.table;
}

int count(Database &db, RecordScreen &window)
{
    return db.scalar(u"select count(*) from "_s + tableOf(window)).toInt();
}

bool stored(Database &db, RecordScreen &window, const QString &name)
{
    return db.exists(u"select 1 from "_s + tableOf(window) + u" where "_s + window.description().nameColumn
                         + u" = ?"_s,
                     {name});
}

void selectName(RecordScreen &window, const QString &name)
{
    QTableWidget *grid = window.grid();
    for (int row = 0; row < grid->rowCount(); ++row) {
        if (grid->item(row, 0) && grid->item(row, 0)->text() == name) {
            grid->setCurrentCell(row, 0);
            return;
        }
    }
    QFAIL("no such row");
}

// "1"/"0" per toolbar button, left to right, then the form and the grid.
QString enabling(RecordScreen &window)
{
    QString states;
    for (RecordScreenDescription::Action which : window.description().buttons)
        states += window.action(which)->isEnabled() ? u'1' : u'0';
    states += u' ';
    states += window.form()->isEnabled() ? u'1' : u'0';
    states += window.grid()->isEnabled() ? u'1' : u'0';
    return states;
}

// Starts changing the current row the way the screen offers it.
void startChanging(RecordScreen &window)
{
    if (QAction *change = window.action(RecordScreenDescription::Action::Change)) {
        change->trigger();
        return;
    }
    nameBox(window)->setFocus();
    QTest::keyClick(nameBox(window), Qt::Key_End);
    QTest::keyClicks(nameBox(window), u"x"_s);
}

void screens()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::newRow("goods types") << u"TXmKindFm"_s << u"洗发"_s << u"烫发"_s;
    QTest::newRow("employee levels") << u"TYgDjFm"_s << u"高级"_s << u"初级"_s;
    QTest::newRow("member types") << u"TMemBerTypeFm"_s << u"金卡"_s << u"银卡"_s;
}

} // namespace

void TestRecordScreens::statesAndButtons_data()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QString>("browsing");
    QTest::addColumn<QString>("editing");
    const QStringList classic{u"添加"_s, u"修改"_s, u"删除"_s, u"保存"_s, u"取消"_s, u"退  出"_s};
    QTest::newRow("goods types") << u"TXmKindFm"_s << u"洗发"_s << u"烫发"_s << u"商品类型"_s
                                 << classic << u"111001 01"_s << u"000110 10"_s;
    QTest::newRow("employee levels") << u"TYgDjFm"_s << u"高级"_s << u"初级"_s << u"员工等级"_s
                                     << classic << u"111001 01"_s << u"000110 10"_s;
    QTest::newRow("member types") << u"TMemBerTypeFm"_s << u"金卡"_s << u"银卡"_s << u"会员类型"_s
                                  << QStringList{u"添加"_s, u"保存"_s, u"删除"_s, u"取消"_s, u"退出"_s}
                                  << u"11111 11"_s << u"01010 10"_s;
}

void TestRecordScreens::statesAndButtons()
{
    QFETCH(QString, screen);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, title);
    QFETCH(QStringList, buttons);
    QFETCH(QString, browsing);
    QFETCH(QString, editing);
    TestSession t;
    seed(screen, *t.database);
    auto window = openScreen(screen, t.session);
    window->show();
    QCOMPARE(window->windowTitle(), title);
    QCOMPARE(QString::fromLatin1(window->metaObject()->className()), screen);
    QStringList captions;
    for (RecordScreenDescription::Action which : window->description().buttons)
        captions.append(window->action(which)->text());
    QCOMPARE(captions, buttons);

    QCOMPARE(window->state(), RecordScreen::State::Browsing);
    QCOMPARE(enabling(*window), browsing);
    QCOMPARE(window->grid()->rowCount(), 2);
    selectName(*window, second);
    QCOMPARE(nameBox(*window)->text(), second);

    startChanging(*window);
    QCOMPARE(window->state(), RecordScreen::State::Changing);
    QCOMPARE(enabling(*window), editing);
    nameBox(*window)->setText(u"不要"_s);
    window->action(u"取消"_s)->trigger();
    QCOMPARE(window->state(), RecordScreen::State::Browsing);
    QCOMPARE(enabling(*window), browsing);
    QCOMPARE(nameBox(*window)->text(), second);

    window->action(u"添加"_s)->trigger();
    QCOMPARE(window->state(), RecordScreen::State::Adding);
    QCOMPARE(enabling(*window), editing);
    QCOMPARE(window->grid()->rowCount(), 3);
    QCOMPARE(window->grid()->currentRow(), 2);
    QCOMPARE(nameBox(*window)->text(), QString());
    QTRY_VERIFY(nameBox(*window)->hasFocus());
    window->action(u"取消"_s)->trigger();
    QCOMPARE(window->grid()->rowCount(), 2);
    QCOMPARE(nameBox(*window)->text(), second);
    QCOMPARE(count(*t.database, *window), 2);
    QVERIFY(stored(*t.database, *window, first));
    QVERIFY(t.prompt.shown.isEmpty());
}

void TestRecordScreens::addsAndSaves_data()
{
    screens();
}

void TestRecordScreens::addsAndSaves()
{
    QFETCH(QString, screen);
    TestSession t;
    seed(screen, *t.database);
    auto window = openScreen(screen, t.session);
    window->action(u"添加"_s)->trigger();
    nameBox(*window)->setText(u"新的"_s);
    window->action(u"保存"_s)->trigger();
    QVERIFY(t.prompt.shown.isEmpty());
    QCOMPARE(window->state(), RecordScreen::State::Browsing);
    QCOMPARE(count(*t.database, *window), 3);
    QVERIFY(stored(*t.database, *window, u"新的"_s));
    QCOMPARE(window->grid()->rowCount(), 3);
    // The saved row is the current one.
    QCOMPARE(nameBox(*window)->text(), u"新的"_s);
    QCOMPARE(window->grid()->item(window->grid()->currentRow(), 0)->text(), u"新的"_s);
}

void TestRecordScreens::changesAndSaves_data()
{
    screens();
}

void TestRecordScreens::changesAndSaves()
{
    QFETCH(QString, screen);
    QFETCH(QString, first);
    QFETCH(QString, second);
    TestSession t;
    seed(screen, *t.database);
    auto window = openScreen(screen, t.session);
    window->show();
    selectName(*window, second);
    startChanging(*window);
    nameBox(*window)->setText(u"改名"_s);
    window->action(u"保存"_s)->trigger();
    QVERIFY(t.prompt.shown.isEmpty());
    QCOMPARE(window->state(), RecordScreen::State::Browsing);
    QVERIFY(stored(*t.database, *window, u"改名"_s));
    QVERIFY(!stored(*t.database, *window, second));
    QVERIFY(stored(*t.database, *window, first));
    QCOMPARE(count(*t.database, *window), 2);
    QCOMPARE(nameBox(*window)->text(), u"改名"_s);
}

void TestRecordScreens::deleteAsksWithTheName_data()
{
    screens();
}

void TestRecordScreens::deleteAsksWithTheName()
{
    QFETCH(QString, screen);
    QFETCH(QString, first);
    QFETCH(QString, second);
    TestSession t;
    seed(screen, *t.database);
    auto window = openScreen(screen, t.session);
    selectName(*window, second);

    t.prompt.answers.enqueue(false);
    window->action(u"删除"_s)->trigger();
    QCOMPARE(t.prompt.shown.size(), 1);
    QCOMPARE(t.prompt.shown.last().kind, u"question"_s);
    QCOMPARE(t.prompt.shown.last().text, u"您是否要删除\" "_s + second + u'"');
    QCOMPARE(count(*t.database, *window), 2);

    t.prompt.answers.enqueue(true);
    window->action(u"删除"_s)->trigger();
    QCOMPARE(count(*t.database, *window), 1);
    QVERIFY(stored(*t.database, *window, first));
    QCOMPARE(window->grid()->rowCount(), 1);
    QCOMPARE(nameBox(*window)->text(), first);

    t.prompt.answers.enqueue(true);
    window->action(u"删除"_s)->trigger();
    QCOMPARE(window->grid()->rowCount(), 0);
    QCOMPARE(nameBox(*window)->text(), QString());

    t.prompt.clear();
    window->action(u"删除"_s)->trigger();
    QCOMPARE(t.prompt.messages(), QStringList{u"没有记录可以删除!"_s});
    QCOMPARE(t.prompt.shown.size(), 1);
}

void TestRecordScreens::staleSaveIsRefused_data()
{
    screens();
}

void TestRecordScreens::staleSaveIsRefused()
{
    QFETCH(QString, screen);
    QFETCH(QString, first);
    TestSession t;
    seed(screen, *t.database);
    auto window = openScreen(screen, t.session);
    window->show();
    selectName(*window, first);
    startChanging(*window);
    nameBox(*window)->setText(u"我的"_s);

    // Another workstation renames the row meanwhile.
    t.database->execute(u"update "_s + tableOf(*window) + u" set "_s + window->description().nameColumn
                            + u" = '别处' where "_s + window->description().nameColumn + u" = ?"_s,
                        {first});
    window->action(u"保存"_s)->trigger();
    QCOMPARE(t.prompt.messages(), QStringList{StaleText});
    QCOMPARE(window->state(), RecordScreen::State::Changing);
    QVERIFY(stored(*t.database, *window, u"别处"_s));
    QVERIFY(!stored(*t.database, *window, u"我的"_s));

    window->action(u"取消"_s)->trigger();
    QCOMPARE(window->state(), RecordScreen::State::Browsing);
    QCOMPARE(nameBox(*window)->text(), u"别处"_s);
}

void TestRecordScreens::duplicateNameIsRefused_data()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::newRow("goods types") << u"TXmKindFm"_s << u"洗发"_s << u"烫发"_s;
    QTest::newRow("employee levels") << u"TYgDjFm"_s << u"高级"_s << u"初级"_s;
}

void TestRecordScreens::duplicateNameIsRefused()
{
    QFETCH(QString, screen);
    QFETCH(QString, first);
    QFETCH(QString, second);
    TestSession t;
    seed(screen, *t.database);
    auto window = openScreen(screen, t.session);
    window->action(u"添加"_s)->trigger();
    nameBox(*window)->setText(first);
    window->action(u"保存"_s)->trigger();
    QCOMPARE(t.prompt.messages(), QStringList{u"错误:请检查是否有重名记录!"_s});
    QCOMPARE(window->state(), RecordScreen::State::Adding);
    QCOMPARE(count(*t.database, *window), 2);
    window->action(u"取消"_s)->trigger();

    t.prompt.clear();
    selectName(*window, second);
    window->action(u"修改"_s)->trigger();
    nameBox(*window)->setText(first);
    window->action(u"保存"_s)->trigger();
    QCOMPARE(t.prompt.messages(), QStringList{u"错误:请检查是否有重名记录!"_s});
    QCOMPARE(window->state(), RecordScreen::State::Changing);
    QVERIFY(stored(*t.database, *window, second));
}

void TestRecordScreens::leftOnlyThroughTheButtons_data()
{
    screens();
}

void TestRecordScreens::leftOnlyThroughTheButtons()
{
    QFETCH(QString, screen);
    TestSession t;
    seed(screen, *t.database);
    auto window = openScreen(screen, t.session);
    const bool closable = window->description().closable;
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));

    // A row being edited is never dropped by closing the window.
    startChanging(*window);
    window->close();
    QVERIFY(window->isVisible());
    QTest::keyClick(window.get(), Qt::Key_Escape);
    QVERIFY(window->isVisible());
    window->action(u"取消"_s)->trigger();

    window->close();
    QCOMPARE(window->isVisible(), !closable);
    if (window->isVisible()) {
        QTest::keyClick(window.get(), Qt::Key_Escape);
        QVERIFY(window->isVisible());
        window->action(window->description().exitCaption)->trigger();
    }
    QVERIFY(!window->isVisible());
    QVERIFY(t.prompt.shown.isEmpty());
}

void TestRecordScreens::withoutDatabaseSaysWhy_data()
{
    screens();
}

void TestRecordScreens::withoutDatabaseSaysWhy()
{
    QFETCH(QString, screen);
    TestSession t;
    t.session.database = nullptr;
    t.session.databaseError = u"could not connect to server"_s;
    auto window = openScreen(screen, t.session);
    QCOMPARE(t.prompt.messages(), QStringList{u"could not connect to server"_s});
    QCOMPARE(window->grid()->rowCount(), 0);
    window->action(u"添加"_s)->trigger();
    window->action(u"删除"_s)->trigger();
    QCOMPARE(t.prompt.messages().size(), 3);
    QCOMPARE(window->state(), RecordScreen::State::Browsing);
}

void TestRecordScreens::levelNeedsNameOrSalary()
{
    TestSession t;
    t.context.Rights = Rights::all();
    TYgDjFm window(t.session);
    window.show();
    auto *salary = qobject_cast<QLineEdit *>(window.field(u"工资"_s));
    QVERIFY(salary);
    QCOMPARE(window.grid()->horizontalHeaderItem(1)->text(), u"工资"_s);

    window.action(u"添加"_s)->trigger();
    window.action(u"保存"_s)->trigger();
    QCOMPARE(t.prompt.messages(), QStringList{u"不能为空!"_s});
    QCOMPARE(window.state(), RecordScreen::State::Adding);
    QCOMPARE(count(*t.database, window), 0);

    // Letters never reach the box; a second point does, and is refused.
    salary->setFocus();
    QTest::keyClicks(salary, u"a1.2b.3"_s);
    QCOMPARE(salary->text(), u"1.2.3"_s);
    t.prompt.clear();
    window.action(u"保存"_s)->trigger();
    QCOMPARE(t.prompt.messages(), QStringList{u"工资 不是有效的数字！"_s});
    QCOMPARE(window.state(), RecordScreen::State::Adding);

    salary->setText(u"1500"_s);
    window.action(u"保存"_s)->trigger();
    QCOMPARE(window.state(), RecordScreen::State::Browsing);
    QVERIFY(t.database->exists(u"select 1 from 员工等级 where 等级名称 = '' and 工资 = 1500"_s));

    window.action(u"添加"_s)->trigger();
    nameBox(window)->setText(u"学徒"_s);
    window.action(u"保存"_s)->trigger();
    QCOMPARE(window.state(), RecordScreen::State::Browsing);
    QCOMPARE(count(*t.database, window), 2);
    QCOMPARE(t.prompt.messages(), QStringList{u"工资 不是有效的数字！"_s});

    // Amounts show in their shortest form.
    window.action(u"修改"_s)->trigger();
    salary->setText(u"2800.50"_s);
    window.action(u"保存"_s)->trigger();
    QCOMPARE(salary->text(), u"2800.5"_s);
    QCOMPARE(window.grid()->item(window.grid()->currentRow(), 1)->text(), u"2800.5"_s);
}

void TestRecordScreens::goodsTypeWithoutDiscountChoiceIsNotSaved()
{
    TestSession t;
    // A type without a discount choice only older data has; made by hand.
    t.database->execute(u"insert into 商品类型 (名称, 库存, 参与打折, 是否需要服务) "
                        "values ('旧类', false, null, false)"_s);
    t.context.Rights = Rights::all();
    TXmKindFm window(t.session);
    auto *discount = qobject_cast<QComboBox *>(window.field(u"参与打折"_s));
    QVERIFY(discount);
    QCOMPARE(discount->currentText(), QString());

    window.action(u"修改"_s)->trigger();
    window.action(u"保存"_s)->trigger();
    QVERIFY(t.prompt.shown.isEmpty());
    QCOMPARE(window.state(), RecordScreen::State::Changing);

    window.action(u"取消"_s)->trigger();
    window.action(u"添加"_s)->trigger();
    nameBox(window)->setText(u"新类"_s);
    discount->setCurrentIndex(-1);
    window.action(u"保存"_s)->trigger();
    QVERIFY(t.prompt.shown.isEmpty());
    QCOMPARE(window.state(), RecordScreen::State::Adding);
    QCOMPARE(count(*t.database, window), 1);

    discount->setCurrentIndex(discount->findText(u"y"_s));
    window.action(u"保存"_s)->trigger();
    QCOMPARE(window.state(), RecordScreen::State::Browsing);
    QVERIFY(t.database->exists(u"select 1 from 商品类型 where 名称 = '新类' and 参与打折 = 'y'"_s));
}

void TestRecordScreens::goodsTypeScreenLooksAndDefaults()
{
    TestSession t;
    seed(u"TXmKindFm"_s, *t.database);
    t.context.Rights = Rights::all();
    TXmKindFm window(t.session);
    QStringList headings;
    for (int column = 0; column < window.grid()->columnCount(); ++column)
        headings.append(window.grid()->horizontalHeaderItem(column)->text());
    QCOMPARE(headings, (QStringList{u"名称"_s, u"库存"_s, u"参与打折"_s, u"是否需要服务"_s}));
    QStringList notes;
    for (const QLabel *label : window.findChildren<QLabel *>()) {
        if (label->text().startsWith(u"解释"_s))
            notes.append(label->text());
    }
    QCOMPARE(notes, (QStringList{u"解释1: 选y 就是这类商品在结帐时参与打折,选n就是结帐时不参与打折"_s,
                                 u"解释2: 选上需要服务后 在该类商品消费时就要选服务人员"_s,
                                 u"解释3: 有\"库存\"的商品会在消费时减去相应的数量"_s}));
    auto *stock = qobject_cast<QCheckBox *>(window.field(u"库存"_s));
    auto *service = qobject_cast<QCheckBox *>(window.field(u"是否需要服务"_s));
    auto *discount = qobject_cast<QComboBox *>(window.field(u"参与打折"_s));
    QVERIFY(stock && service && discount);
    QCOMPARE(stock->text(), u"是否有库存属性"_s);

    selectName(window, u"洗发"_s);
    QVERIFY(stock->isChecked());
    QVERIFY(!service->isChecked());
    QCOMPARE(discount->currentText(), u"y"_s);
    const int row = window.grid()->currentRow();
    QCOMPARE(window.grid()->item(row, 1)->data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
    QCOMPARE(window.grid()->item(row, 3)->data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));

    // A new type saved as it starts keeps no stock, needs no service and is not discounted.
    window.action(u"添加"_s)->trigger();
    QVERIFY(!stock->isChecked());
    QVERIFY(!service->isChecked());
    QCOMPARE(discount->currentText(), u"n"_s);
    nameBox(window)->setText(u"饮料"_s);
    window.action(u"保存"_s)->trigger();
    QVERIFY(t.database->exists(u"select 1 from 商品类型 where 名称 = '饮料' and 库存 = false "
                               "and 是否需要服务 = false and 参与打折 = 'n'"_s));

    window.action(u"修改"_s)->trigger();
    stock->click();
    service->click();
    window.action(u"保存"_s)->trigger();
    QVERIFY(t.database->exists(u"select 1 from 商品类型 where 名称 = '饮料' and 库存 = true "
                               "and 是否需要服务 = true"_s));
}

void TestRecordScreens::memberTypeTypingStartsEditing()
{
    TestSession t;
    TMemBerTypeFm window(t.session);
    window.show();
    QCOMPARE(window.grid()->rowCount(), 0);
    QCOMPARE(enabling(window), u"11111 11"_s);

    // With no type yet, typing a name begins a new one.
    nameBox(window)->setFocus();
    QTest::keyClicks(nameBox(window), u"VIP"_s);
    QCOMPARE(window.state(), RecordScreen::State::Adding);
    QCOMPARE(enabling(window), u"01010 10"_s);
    QCOMPARE(nameBox(window)->text(), u"VIP"_s);
    window.action(u"保存"_s)->trigger();
    QVERIFY(t.prompt.shown.isEmpty());
    QCOMPARE(enabling(window), u"11111 11"_s);
    // Untyped numbers take the column defaults; the rate shows two decimals.
    QCOMPARE(qobject_cast<QLineEdit *>(window.field(u"打折率"_s))->text(), u"1.00"_s);
    QCOMPARE(qobject_cast<QLineEdit *>(window.field(u"初始积分"_s))->text(), u"0"_s);
    QCOMPARE(window.grid()->item(0, 2)->text(), u"1.00"_s);

    auto *rate = qobject_cast<QLineEdit *>(window.field(u"打折率"_s));
    rate->setFocus();
    rate->selectAll();
    QTest::keyClicks(rate, u"0.8"_s);
    QCOMPARE(window.state(), RecordScreen::State::Changing);
    window.action(u"保存"_s)->trigger();
    QCOMPARE(rate->text(), u"0.80"_s);
    QVERIFY(t.database->exists(u"select 1 from 会员类型 where 类型名称 = 'VIP' and 打折率 = 0.8"_s));

    // Saving or cancelling with nothing typed does nothing.
    window.action(u"保存"_s)->trigger();
    window.action(u"取消"_s)->trigger();
    QVERIFY(t.prompt.shown.isEmpty());
    QCOMPARE(count(*t.database, window), 1);
}

void TestRecordScreens::memberTypeHasNoCloseButton()
{
    TestSession t;
    TMemBerTypeFm window(t.session);
    QVERIFY(!window.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    TYgDjFm levels(t.session);
    QVERIFY(levels.windowFlags().testFlag(Qt::WindowCloseButtonHint));
}

namespace {

// Every member type as "name=rate", in the list's order.
QStringList memberTypes(Database &db)
{
    QStringList types;
    QSqlQuery query = db.exec(u"select 类型名称, 打折率 from 会员类型 order by id"_s);
    while (query.next()) {
        const std::optional<Money> rate = tryReadAmount(query.value(1));
        types.append(query.value(0).toString() + u'=' + (rate ? rate->toString() : u"NULL"_s));
    }
    return types;
}

QLineEdit *box(RecordScreen &window, const QString &column)
{
    return qobject_cast<QLineEdit *>(window.field(column));
}

} // namespace

void TestRecordScreens::memberTypeRefusesWhatTheCheckoutCannotUse_data()
{
    QTest::addColumn<bool>("adding"); // otherwise 银卡 is changed
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("rate");
    QTest::addColumn<QString>("meanwhile"); // a type added at another workstation
    QTest::addColumn<QString>("message");
    const QString hint = u"（1 为原价，0.8 为八折）"_s;
    const QString empty = u"打折率不能为空，请填写打折率"_s + hint + u"后再保存！"_s;
    const auto noNumber = [&hint](const QString &rate) -> QString {
        return u"打折率 \""_s + rate + u"\" 不是有效的数字，请重新填写"_s + hint + u"！"_s;
    };
    const QString negative = u"打折率不能小于 0，请重新填写"_s + hint + u"！"_s;
    const QString noName = u"类型名称不能为空，请填写类型名称后再保存！"_s;
    const QString taken = u"会员类型中已有同名的类型，请换一个类型名称后再保存！"_s;
    const QString range = u"金额超出范围"_s;
    QTest::newRow("new, empty rate") << true << u"新卡"_s << u""_s << QString() << empty;
    QTest::newRow("new, blank rate") << true << u"新卡"_s << u"  "_s << QString() << empty;
    QTest::newRow("new, letters") << true << u"新卡"_s << u"abc"_s << QString() << noNumber(u"abc"_s);
    QTest::newRow("new, two points") << true << u"新卡"_s << u"1.2.3"_s << QString() << noNumber(u"1.2.3"_s);
    QTest::newRow("new, lone point") << true << u"新卡"_s << u"."_s << QString() << noNumber(u"."_s);
    QTest::newRow("new, negative") << true << u"新卡"_s << u"-0.1"_s << QString() << negative;
    QTest::newRow("new, past the range") << true << u"新卡"_s << u"100000000000"_s << QString() << range;
    QTest::newRow("new, empty name") << true << u""_s << u"0.9"_s << QString() << noName;
    QTest::newRow("new, blank name") << true << u"   "_s << u"0.9"_s << QString() << noName;
    QTest::newRow("new, name taken") << true << u"金卡"_s << u"0.9"_s << QString() << taken;
    QTest::newRow("new, name taken meanwhile") << true << u"钻石卡"_s << u"0.7"_s << u"钻石卡"_s << taken;
    QTest::newRow("changed, empty rate") << false << u"银卡"_s << u""_s << QString() << empty;
    QTest::newRow("changed, letters") << false << u"银卡"_s << u"abc"_s << QString() << noNumber(u"abc"_s);
    QTest::newRow("changed, negative") << false << u"银卡"_s << u"-0.1"_s << QString() << negative;
    QTest::newRow("changed, empty name") << false << u""_s << u"0.9"_s << QString() << noName;
    QTest::newRow("changed, renamed to a taken name") << false << u"金卡"_s << u"0.9"_s << QString() << taken;
}

void TestRecordScreens::memberTypeRefusesWhatTheCheckoutCannotUse()
{
    QFETCH(bool, adding);
    QFETCH(QString, name);
    QFETCH(QString, rate);
    QFETCH(QString, meanwhile);
    QFETCH(QString, message);
    TestSession t;
    seed(u"TMemBerTypeFm"_s, *t.database);
    TMemBerTypeFm window(t.session);
    window.show();
    if (adding) {
        window.action(u"添加"_s)->trigger();
    } else {
        selectName(window, u"银卡"_s);
        // Typing starts the change; the boxes take digits and points only,
        // so what no key can give is put in directly.
        box(window, u"初始积分"_s)->setFocus();
        QTest::keyClicks(box(window, u"初始积分"_s), u"0"_s);
        QCOMPARE(window.state(), RecordScreen::State::Changing);
    }
    nameBox(window)->setText(name);
    box(window, u"打折率"_s)->setText(rate);
    QStringList before = memberTypes(*t.database);
    if (!meanwhile.isEmpty()) {
        t.database->execute(u"insert into 会员类型 (类型名称, 打折率) values (?, 0.5)"_s, {meanwhile});
        before.append(meanwhile + u"=0.5"_s);
    }

    window.action(u"保存"_s)->trigger();
    QCOMPARE(t.prompt.messages(), QStringList{message});
    QCOMPARE(window.state(), adding ? RecordScreen::State::Adding : RecordScreen::State::Changing);
    QCOMPARE(memberTypes(*t.database), before);
}

void TestRecordScreens::memberTypeKeepsEveryDecimalOfTheRate_data()
{
    QTest::addColumn<QString>("rate");
    QTest::addColumn<QString>("shown");
    QTest::newRow("three decimals") << u"0.875"_s << u"0.875"_s;
    QTest::newRow("four decimals") << u"0.8125"_s << u"0.8125"_s;
    QTest::newRow("two decimals") << u"0.8"_s << u"0.80"_s;
    QTest::newRow("full price") << u"1"_s << u"1.00"_s;
    QTest::newRow("free") << u"0"_s << u"0.00"_s;
    QTest::newRow("a surcharge") << u"1.5"_s << u"1.50"_s;
    QTest::newRow("at the range's end") << u"99999999999.9999"_s << u"99999999999.9999"_s;
}

void TestRecordScreens::memberTypeKeepsEveryDecimalOfTheRate()
{
    QFETCH(QString, rate);
    QFETCH(QString, shown);
    TestSession t;
    t.database->execute(u"insert into 会员类型 (类型名称, 初始积分, 打折率) values ('金卡', 100, ?)"_s, {rate});
    TMemBerTypeFm window(t.session);
    window.show();
    QCOMPARE(box(window, u"打折率"_s)->text(), shown);
    QCOMPARE(window.grid()->item(0, 2)->text(), shown);

    // Changing another box saves the rate as the form holds it.
    box(window, u"初始积分"_s)->setFocus();
    QTest::keyClicks(box(window, u"初始积分"_s), u"0"_s);
    window.action(u"保存"_s)->trigger();
    QVERIFY(t.prompt.shown.isEmpty());
    QCOMPARE(memberTypes(*t.database), QStringList{u"金卡="_s + rate});

    // A new type typed with the rate keeps it as typed.
    window.action(u"添加"_s)->trigger();
    QCOMPARE(box(window, u"打折率"_s)->text(), u"1"_s);
    nameBox(window)->setText(u"银卡"_s);
    box(window, u"打折率"_s)->setText(rate);
    window.action(u"保存"_s)->trigger();
    QVERIFY(t.prompt.shown.isEmpty());
    QCOMPARE(memberTypes(*t.database), (QStringList{u"金卡="_s + rate, u"银卡="_s + rate}));
    QCOMPARE(box(window, u"打折率"_s)->text(), shown);
}

SALONDESK_DB_GUI_TEST_MAIN(TestRecordScreens)
#include "tst_record_screens.moc"
