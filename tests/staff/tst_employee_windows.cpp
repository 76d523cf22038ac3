#include "support/ShopBuilder.h"
#include "support/TestSession.h"

#include "db/ResultTableModel.h"
#include "lists/ui/FooterBar.h"
#include "staff/ui/TFwsEditFm.h"
#include "staff/ui/TFwsGlFm.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <functional>

using namespace Qt::StringLiterals;

// The employee list and form: what they show, what their buttons open and
// say, and that the list always shows what the table holds.
class TestEmployeeWindows : public QObject
{
    Q_OBJECT

private slots:
    void listReadsEveryShowing();
    void formModes();
    void addThroughTheListShowsTheNewRow();
    void refusedSaveKeepsTheFormOpen_data();
    void refusedSaveKeepsTheFormOpen();
    void changeOfARowChangedMeanwhileIsRefused();
    void deleteAsksAndReadsAgain_data();
    void deleteAsksAndReadsAgain();
    void paySalaryNeedsALevel_data();
    void paySalaryNeedsALevel();
};

namespace {

void employee(Database &db, const QString &code, const QString &name, const QVariant &level)
{
    if (level.isNull() || level.toString().trimmed().isEmpty()) {
        // The form refuses an employee without a level; only older data
        // has one, written by hand.
        db.execute(u"insert into 员工管理 (员工编号, 员工姓名, 性别, 员工等级) values (?, ?, ?, ?)"_s,
                   {code, name, u"女"_s, level});
        return;
    }
    ShopBuilder(db).employee(code, name, level.toString());
}

// Runs `handle` on the employee form once the list has opened it modally.
void onForm(QObject *context, std::function<void(TFwsEditFm &)> handle)
{
    QTimer::singleShot(0, context, [handle = std::move(handle)] {
        auto *form = qobject_cast<TFwsEditFm *>(QApplication::activeModalWidget());
        QVERIFY(form);
        handle(*form);
        // A form that is still open closes, as with "退出".
        if (form->isVisible())
            form->exitButton()->click();
    });
}

QStringList toolbarCaptions(const TFwsGlFm &window)
{
    QStringList captions;
    for (const QAction *action : window.toolbar()->actions())
        captions.append(action->text());
    return captions;
}

} // namespace

void TestEmployeeWindows::listReadsEveryShowing()
{
    TestSession t;
    employee(*t.database, u"001"_s, u"王芳"_s, u"高级"_s);
    TFwsGlFm window(t.session);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.windowTitle(), u"员工管理"_s);
    QVERIFY(window.windowState() & Qt::WindowMaximized);
    QCOMPARE(toolbarCaptions(window), (QStringList{u"添加"_s, u"修改"_s, u"删除"_s, u"刷新"_s,
                                                   u"显示全部"_s, u"发工资"_s, u"打印"_s,
                                                   u"退出"_s}));
    QAbstractItemModel *grid = window.grid()->model();
    QStringList headings;
    for (int column = 0; column < grid->columnCount(); ++column)
        headings.append(grid->headerData(column, Qt::Horizontal).toString());
    QCOMPARE(headings, (QStringList{u"员工编号"_s, u"员工姓名"_s, u"性别"_s, u"员工等级"_s,
                                    u"联系电话"_s, u"证件号码"_s, u"备注"_s}));
    QCOMPARE(window.footer()->text(0), u"1"_s);

    // Shown again later, the list holds what was added meanwhile.
    window.hide();
    employee(*t.database, u"002"_s, u"李娜"_s, u"初级"_s);
    window.show();
    QCOMPARE(grid->rowCount(), 2);
    QCOMPARE(window.footer()->text(0), u"2"_s);
    QVERIFY(t.prompt.messages().isEmpty());
}

void TestEmployeeWindows::formModes()
{
    TestSession t;
    t.database->execute(u"insert into 员工等级 (等级名称, 工资) values (?, ?), (?, ?)"_s,
                        {u"高级"_s, 3000, u"初级"_s, 1000});
    TFwsEditFm adding(t.session, TFwsEditFm::Mode::Add);
    QCOMPARE(adding.windowTitle(), u"员工"_s);
    QCOMPARE(adding.sexBox()->currentText(), u"男"_s);
    QCOMPARE(adding.codeEdit()->text(), QString());
    QCOMPARE(adding.levelBox()->currentText(), QString());
    QStringList levels;
    for (int index = 0; index < adding.levelBox()->count(); ++index)
        levels.append(adding.levelBox()->itemText(index));
    QCOMPARE(levels, (QStringList{u"高级"_s, u"初级"_s}));

    // Changing shows the row as the list showed it, a level without a row included.
    TFwsEditFm changing(t.session, TFwsEditFm::Mode::Change,
                        {u"001"_s, u"王芳"_s, u"女"_s, u"特级"_s, u"138"_s, QVariant(),
                         u"两行\n备注"_s});
    QCOMPARE(changing.codeEdit()->text(), u"001"_s);
    QCOMPARE(changing.nameEdit()->text(), u"王芳"_s);
    QCOMPARE(changing.sexBox()->currentText(), u"女"_s);
    QCOMPARE(changing.levelBox()->currentText(), u"特级"_s);
    QCOMPARE(changing.phoneEdit()->text(), u"138"_s);
    QCOMPARE(changing.idNumberEdit()->text(), QString());
    QCOMPARE(changing.noteEdit()->toPlainText(), u"两行\n备注"_s);
    QVERIFY(t.prompt.messages().isEmpty());
}

void TestEmployeeWindows::addThroughTheListShowsTheNewRow()
{
    TestSession t;
    t.database->execute(u"insert into 员工等级 (等级名称) values (?)"_s, {u"高级"_s});
    employee(*t.database, u"001"_s, u"王芳"_s, u"高级"_s);
    TFwsGlFm window(t.session);
    window.show();
    onForm(&window, [](TFwsEditFm &form) {
        QCOMPARE(form.mode(), TFwsEditFm::Mode::Add);
        form.codeEdit()->setText(u"002"_s);
        form.nameEdit()->setText(u"李娜"_s);
        form.levelBox()->setCurrentIndex(0);
        form.saveButton()->click();
        QCOMPARE(form.result(), int(QDialog::Accepted));
    });
    window.action(u"添加"_s)->trigger();
    QCOMPARE(window.footer()->text(0), u"2"_s);
    QCOMPARE(window.currentValue(u"员工编号"_s).toString(), u"002"_s);
    QCOMPARE(window.currentValue(u"性别"_s).toString(), u"男"_s);
    QCOMPARE(window.currentValue(u"员工等级"_s).toString(), u"高级"_s);

    // "修改" opens the form on the current row and shows the change.
    onForm(&window, [](TFwsEditFm &form) {
        QCOMPARE(form.mode(), TFwsEditFm::Mode::Change);
        QCOMPARE(form.nameEdit()->text(), u"李娜"_s);
        form.phoneEdit()->setText(u"139"_s);
        form.saveButton()->click();
    });
    window.action(u"修改"_s)->trigger();
    QCOMPARE(window.currentValue(u"员工编号"_s).toString(), u"002"_s);
    QCOMPARE(window.currentValue(u"联系电话"_s).toString(), u"139"_s);
    QVERIFY(t.prompt.messages().isEmpty());
}

void TestEmployeeWindows::refusedSaveKeepsTheFormOpen_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("dropTable");
    QTest::addColumn<QString>("message"); // empty: the database's own text
    QTest::newRow("incomplete") << QString() << false << u"编号 姓名 等级必须填写！"_s;
    QTest::newRow("taken code") << u"王丽"_s << false << u"员工编号 001 已经存在,请换一个编号!"_s;
    QTest::newRow("refused by the database") << u"王丽"_s << true << QString();
}

void TestEmployeeWindows::refusedSaveKeepsTheFormOpen()
{
    QFETCH(QString, name);
    QFETCH(bool, dropTable);
    QFETCH(QString, message);
    TestSession t;
    employee(*t.database, u"001"_s, u"王芳"_s, u"高级"_s);
    if (dropTable)
        t.database->execute(u"drop table 员工管理"_s);
    TFwsEditFm form(t.session, TFwsEditFm::Mode::Add);
    form.show();
    form.codeEdit()->setText(u"001"_s);
    form.nameEdit()->setText(name);
    form.levelBox()->setEditText(u"高级"_s);
    form.saveButton()->click();
    QVERIFY(form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Rejected));
    QCOMPARE(t.prompt.messages().size(), 1);
    if (message.isEmpty())
        QVERIFY(!t.prompt.lastMessage().isEmpty());
    else
        QCOMPARE(t.prompt.lastMessage(), message);
    // What was typed is still there to correct.
    QCOMPARE(form.codeEdit()->text(), u"001"_s);
    QCOMPARE(form.levelBox()->currentText(), u"高级"_s);
}

void TestEmployeeWindows::changeOfARowChangedMeanwhileIsRefused()
{
    TestSession t;
    employee(*t.database, u"001"_s, u"王芳"_s, u"高级"_s);
    TFwsGlFm window(t.session);
    window.show();
    // Another workstation renames the employee after the list was read.
    t.database->execute(u"update 员工管理 set 员工姓名=?"_s, {u"王丽"_s});
    bool stayedOpen = false;
    onForm(&window, [&stayedOpen](TFwsEditFm &form) {
        form.phoneEdit()->setText(u"139"_s);
        form.saveButton()->click();
        stayedOpen = form.isVisible();
    });
    window.action(u"修改"_s)->trigger();
    QVERIFY(stayedOpen);
    QCOMPARE(t.prompt.messages(),
             QStringList{u"该员工的资料已被其他工作站修改或删除,请刷新后再操作!"_s});
    QCOMPARE(t.database->scalar(u"select 员工姓名 from 员工管理"_s).toString(), u"王丽"_s);
    QVERIFY(t.database->scalar(u"select 联系电话 from 员工管理"_s).isNull());
}

void TestEmployeeWindows::deleteAsksAndReadsAgain_data()
{
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("yes") << true << QStringList{u"002"_s, u"003"_s};
    QTest::newRow("no") << false << QStringList{u"001"_s, u"002"_s, u"003"_s};
}

void TestEmployeeWindows::deleteAsksAndReadsAgain()
{
    QFETCH(bool, yes);
    QFETCH(QStringList, left);
    TestSession t;
    employee(*t.database, u"001"_s, u"王\"芳"_s, u"高级"_s);
    employee(*t.database, u"002"_s, u"李娜"_s, u"初级"_s);
    TFwsGlFm window(t.session);
    window.show();
    QVERIFY(window.selectRow(u"员工编号"_s, u"001"_s));
    // Another workstation adds an employee while the question is open.
    employee(*t.database, u"003"_s, u"赵六"_s, u"初级"_s);
    t.prompt.answers.enqueue(yes);
    window.action(u"删除"_s)->trigger();

    QCOMPARE(t.prompt.shown.size(), 1);
    QCOMPARE(t.prompt.shown.first().kind, u"question"_s);
    QCOMPARE(t.prompt.shown.first().text, u"您是否要删除\" 王\"芳\""_s);
    QStringList listed;
    for (int row = 0; row < window.rows()->rowCount(); ++row)
        listed.append(window.rows()->value(row, u"员工编号"_s).toString());
    listed.sort();
    QCOMPARE(listed, left);
    QCOMPARE(window.footer()->text(0), QString::number(left.size()));
}

void TestEmployeeWindows::paySalaryNeedsALevel_data()
{
    QTest::addColumn<QVariant>("level");
    QTest::addColumn<bool>("requested");
    QTest::newRow("no level") << QVariant() << false;
    QTest::newRow("empty level") << QVariant(u""_s) << false;
    QTest::newRow("blank level") << QVariant(u"  "_s) << false;
    // Whether the level has a row is the salary payment's to say.
    QTest::newRow("level without a row") << QVariant(u"特级"_s) << true;
}

void TestEmployeeWindows::paySalaryNeedsALevel()
{
    QFETCH(QVariant, level);
    QFETCH(bool, requested);
    TestSession t;
    employee(*t.database, u"007"_s, u"王芳"_s, level);
    TFwsGlFm window(t.session);
    window.show();
    QSignalSpy salary(&window, &TFwsGlFm::salaryRequested);
    window.action(u"发工资"_s)->trigger();
    if (requested) {
        QCOMPARE(salary.count(), 1);
        QCOMPARE(salary.first().first().toString(), u"007"_s);
        QVERIFY(t.prompt.messages().isEmpty());
    } else {
        QCOMPARE(salary.count(), 0);
        QCOMPARE(t.prompt.messages(), QStringList{u"请先为该员工设置好员工等级后才能操作!"_s});
    }
}

SALONDESK_DB_GUI_TEST_MAIN(TestEmployeeWindows)
#include "tst_employee_windows.moc"
