#include "support/TestSession.h"

#include "operators/ui/TAdminChangePassFm.h"
#include "operators/ui/TAdminFm.h"
#include "operators/ui/TLgFm.h"
#include "shell/StarterShop.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

using namespace Qt::StringLiterals;

// The sign-in and operator windows: keys, modes and what they say.
class TestOperatorWindows : public QObject
{
    Q_OBJECT

private slots:
    void signInPrefillsAndEnterSignsIn();
    void changingTheNameMovesToPassword();
    void wrongPasswordSaysSoAndSelectsIt();
    void noDatabaseShowsItsError();
    void signInShowsDatabaseErrorAndStaysUsable();
    void signInRefusesControlCharacters_data();
    void signInRefusesControlCharacters();
    void signInKeepsTheNameAsTyped();
    void passwordBoxesShowStars();
    void operatorWindowModes();
    void operatorWindowAddsAndRefusesEmptyName();
    void operatorWindowDeletion();
    void operatorWindowKeepsAnotherWorkstationsChange();
    void operatorWindowDeletionOfAnOperatorGoneMeanwhile();
    void passwordWindowMessages();
};

void TestOperatorWindows::signInPrefillsAndEnterSignsIn()
{
    TestSession t;
    StarterShop::seed(*t.database);
    TLgFm window(t.session);
    window.loadOperators();
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(window.windowTitle(), u"美容美发管理系统"_s);
    QCOMPARE(window.nameBox()->currentText(), u"超级管理员"_s);
    QCOMPARE(window.passwordBox()->text(), u"1"_s);
    QTRY_VERIFY(window.passwordBox()->hasFocus());
    QVERIFY(window.signInButton()->isDefault());

    QTest::keyClick(window.passwordBox(), Qt::Key_Return);
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QCOMPARE(t.context.OperatorName, u"超级管理员"_s);
    QVERIFY(t.context.Rights.has(Right::Administration));
    QVERIFY(t.prompt.messages().isEmpty());
}

void TestOperatorWindows::changingTheNameMovesToPassword()
{
    TestSession t;
    t.database->execute(u"insert into 管理员 (用户名, 密码) values (?, ?), (?, ?)"_s,
                        {u"甲"_s, u"1"_s, u"乙"_s, u"2"_s});
    TLgFm window(t.session);
    window.loadOperators();
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.nameBox()->setFocus();
    QTRY_VERIFY(window.nameBox()->hasFocus());
    window.nameBox()->setCurrentIndex(1);
    QTRY_VERIFY(window.passwordBox()->hasFocus());

    window.nameBox()->setFocus();
    QTRY_VERIFY(window.nameBox()->hasFocus());
    QTest::keyClick(window.nameBox(), Qt::Key_X);
    QTRY_VERIFY(window.passwordBox()->hasFocus());
}

void TestOperatorWindows::wrongPasswordSaysSoAndSelectsIt()
{
    TestSession t;
    StarterShop::seed(*t.database);
    TLgFm window(t.session);
    window.loadOperators();
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.passwordBox()->setText(u"wrong"_s);
    window.signInButton()->click();
    QCOMPARE(t.prompt.messages(), QStringList{u"用户名或者密码错误请重新输入！"_s});
    QVERIFY(window.isVisible());
    QCOMPARE(window.passwordBox()->selectedText(), u"wrong"_s);
    QVERIFY(t.context.OperatorName.isEmpty());
}

void TestOperatorWindows::noDatabaseShowsItsError()
{
    TestSession t;
    t.session.database = nullptr;
    t.session.databaseError = u"could not connect to server"_s;
    TLgFm window(t.session);
    window.loadOperators();
    window.signInButton()->click();
    QCOMPARE(t.prompt.messages(), (QStringList{u"could not connect to server"_s, u"could not connect to server"_s}));
    QCOMPARE(window.result(), int(QDialog::Rejected));
}

void TestOperatorWindows::signInShowsDatabaseErrorAndStaysUsable()
{
    TestSession t;
    StarterShop::seed(*t.database);
    TLgFm window(t.session);
    window.loadOperators();
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    t.database->execute(u"alter table 管理员 drop column 免单"_s);
    window.signInButton()->click();
    QCOMPARE(t.prompt.messages().size(), 1);
    QVERIFY2(t.prompt.lastMessage().contains(u"免单"_s), qPrintable(t.prompt.lastMessage()));
    QVERIFY(window.isVisible());
    QVERIFY(t.context.OperatorName.isEmpty());

    // Once the column is back, the same window signs in.
    t.database->execute(u"alter table 管理员 add column 免单 "_s + t.database->dialect().booleanType());
    window.signInButton()->click();
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QCOMPARE(t.context.OperatorName, u"超级管理员"_s);
}

void TestOperatorWindows::signInRefusesControlCharacters_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::newRow("NUL after the password") << u"超级管理员"_s << QString(u"1\0x"_s);
    QTest::newRow("NUL after the name") << QString(u"超级管理员\0x"_s) << u"1"_s;
    QTest::newRow("escape in the name") << u"超级管理员\x1b"_s << u"1"_s;
}

// A control character pasted into a box reaches the database as nothing
// that could match: the database's refusal is shown, without the statement,
// and the window signs in once the boxes hold proper text.
void TestOperatorWindows::signInRefusesControlCharacters()
{
    QFETCH(QString, name);
    QFETCH(QString, password);
    TestSession t;
    StarterShop::seed(*t.database);
    QString refusal;
    try {
        t.database->exec(u"select ?"_s, {u"\x01"_s});
    } catch (const DbError &error) {
        refusal = error.text();
    }
    if (refusal.isEmpty())
        QSKIP("this database connection still passes control characters on");

    TLgFm window(t.session);
    window.loadOperators();
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.nameBox()->setEditText(name);
    window.passwordBox()->setText(password);
    window.signInButton()->click();
    QCOMPARE(t.prompt.messages(), QStringList{refusal});
    QVERIFY(!refusal.contains(u"select"_s, Qt::CaseInsensitive));
    QVERIFY(window.isVisible());
    QVERIFY(t.context.OperatorName.isEmpty());

    window.nameBox()->setEditText(u"超级管理员"_s);
    window.passwordBox()->setText(u"1"_s);
    window.signInButton()->click();
    QCOMPARE(window.result(), int(QDialog::Accepted));
}

// Later records name the operator as typed; the embedded database lets the
// name's letters be typed in any case, the server does not.
void TestOperatorWindows::signInKeepsTheNameAsTyped()
{
    TestSession t;
    t.database->execute(u"insert into 管理员 (用户名, 密码) values (?, ?)"_s, {u"Lily"_s, u"Pw"_s});
    TLgFm window(t.session);
    window.loadOperators();
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.nameBox()->setEditText(u"LILY"_s);
    window.passwordBox()->setText(u"Pw"_s);
    window.signInButton()->click();
    if (TestDb::backend() == Backend::Sqlite) {
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QCOMPARE(t.context.OperatorName, u"LILY"_s);
        QVERIFY(t.prompt.messages().isEmpty());
    } else {
        QCOMPARE(t.prompt.messages(), QStringList{u"用户名或者密码错误请重新输入！"_s});
        QVERIFY(t.context.OperatorName.isEmpty());
    }
}

// Typing into any password box shows one "*" per character.
void TestOperatorWindows::passwordBoxesShowStars()
{
    TestSession t;
    StarterShop::seed(*t.database);
    t.context.OperatorName = u"超级管理员"_s;
    TLgFm signIn(t.session);
    signIn.loadOperators();
    TAdminChangePassFm change(t.session);
    const QList<QLineEdit *> boxes{signIn.passwordBox(), change.oldPassword(), change.newPassword(),
                                   change.confirmation()};
    for (QLineEdit *box : boxes) {
        box->clear();
        QTest::keyClicks(box, u"abc"_s);
        QCOMPARE(box->text(), u"abc"_s);
        QCOMPARE(box->displayText(), u"***"_s);
    }
}

void TestOperatorWindows::operatorWindowModes()
{
    TestSession t;
    StarterShop::seed(*t.database);
    TAdminFm window(t.session);
    QCOMPARE(window.windowTitle(), u"管理员管理 （新增用户的默认初始密码是0000）"_s);
    const auto enabled = [&window]() -> QString {
        QString states;
        for (const QString &caption : {u"添加"_s, u"修改"_s, u"保存"_s, u"取消"_s, u"删除"_s})
            states += window.action(caption)->isEnabled() ? u'1' : u'0';
        return states + (window.nameEdit()->isEnabled() ? u'1' : u'0');
    };
    QCOMPARE(enabled(), u"110010"_s);
    QCOMPARE(window.nameEdit()->text(), u"超级管理员"_s);
    QVERIFY(window.rightBox(u"会员删除"_s)->isChecked());

    window.action(u"修改"_s)->trigger();
    QCOMPARE(enabled(), u"001101"_s);
    window.rightBox(u"会员删除"_s)->setChecked(false);
    window.action(u"取消"_s)->trigger();
    QCOMPARE(enabled(), u"110010"_s);
    QVERIFY(window.rightBox(u"会员删除"_s)->isChecked());

    window.action(u"退出"_s)->trigger();
    QCOMPARE(t.prompt.lastMessage(), u"重启软件后,新的设置才能生效!"_s);
}

void TestOperatorWindows::operatorWindowAddsAndRefusesEmptyName()
{
    TestSession t;
    StarterShop::seed(*t.database);
    TAdminFm window(t.session);
    window.action(u"添加"_s)->trigger();
    QVERIFY(window.isEditing());
    QCOMPARE(window.nameEdit()->text(), QString());
    QVERIFY(!window.rightBox(u"管理员设置"_s)->isChecked());

    window.action(u"保存"_s)->trigger();
    QCOMPARE(t.prompt.lastMessage(), u"用户名必须填写！"_s);
    QVERIFY(window.isEditing());

    window.nameEdit()->setText(u"超级管理员"_s);
    window.action(u"保存"_s)->trigger();
    QVERIFY(window.isEditing()); // the database refused the duplicate
    QCOMPARE(t.database->scalar(u"select count(*) from 管理员"_s).toInt(), 1);

    window.nameEdit()->setText(u"收银员"_s);
    window.rightBox(u"消费管理"_s)->setChecked(true);
    window.action(u"保存"_s)->trigger();
    QVERIFY(!window.isEditing());
    QCOMPARE(window.list()->rowCount(), 2);
    QCOMPARE(window.nameEdit()->text(), u"收银员"_s);
    QVERIFY(t.database->exists(u"select 1 from 管理员 where 用户名=? and 密码=? and 消费管理=true and 免单=false"_s,
                               {u"收银员"_s, u"0000"_s}));
}

void TestOperatorWindows::operatorWindowDeletion()
{
    TestSession t;
    StarterShop::seed(*t.database);
    t.database->execute(u"insert into 管理员 (用户名, 密码) values (?, ?)"_s, {u"小李"_s, u"1"_s});
    TAdminFm window(t.session);
    window.list()->setCurrentCell(0, 0);
    window.action(u"删除"_s)->trigger();
    QCOMPARE(t.prompt.lastMessage(), u"超级管理员 用户不能删除！"_s);

    window.list()->setCurrentCell(1, 0);
    t.prompt.answers.enqueue(false);
    window.action(u"删除"_s)->trigger();
    QCOMPARE(t.prompt.shown.last().text, u"您是否要删除\" 小李\""_s);
    QCOMPARE(window.list()->rowCount(), 2);

    t.prompt.answers.enqueue(true);
    window.action(u"删除"_s)->trigger();
    QCOMPARE(window.list()->rowCount(), 1);

    window.action(u"删除"_s)->trigger();
    QCOMPARE(t.prompt.lastMessage(), u"至少留有一个管理员！！"_s);
}

// Another workstation renames the operator this window shows and changes
// its rights; saving here is refused and their change stays, and 取消 shows it.
void TestOperatorWindows::operatorWindowKeepsAnotherWorkstationsChange()
{
    TestSession t;
    StarterShop::seed(*t.database);
    t.database->execute(u"insert into 管理员 (用户名, 密码) values (?, ?)"_s, {u"小李"_s, u"1"_s});
    TAdminFm window(t.session);
    window.list()->setCurrentCell(1, 0);
    QCOMPARE(window.nameEdit()->text(), u"小李"_s);

    t.database->execute(u"update 管理员 set 用户名=?, 撤单=? where 用户名=?"_s,
                        {u"李店长"_s, true, u"小李"_s});
    window.action(u"修改"_s)->trigger();
    window.rightBox(u"免单"_s)->setChecked(true);
    window.action(u"保存"_s)->trigger();
    QCOMPARE(t.prompt.lastMessage(), u"该管理员已被其他工作站修改或删除，请刷新后重试。"_s);
    QVERIFY(window.isEditing());
    QVERIFY(t.database->exists(u"select 1 from 管理员 where 用户名=? and 撤单=true and 免单=false"_s,
                               {u"李店长"_s}));
    QCOMPARE(t.database->scalar(u"select count(*) from 管理员"_s).toInt(), 2);

    window.action(u"取消"_s)->trigger();
    QVERIFY(!window.isEditing());
    QCOMPARE(window.list()->item(1, 0)->text(), u"李店长"_s);
}

void TestOperatorWindows::operatorWindowDeletionOfAnOperatorGoneMeanwhile()
{
    TestSession t;
    StarterShop::seed(*t.database);
    t.database->execute(u"insert into 管理员 (用户名, 密码) values (?, ?), (?, ?)"_s,
                        {u"小李"_s, u"1"_s, u"小王"_s, u"1"_s});
    TAdminFm window(t.session);
    window.list()->setCurrentCell(1, 0);
    t.database->execute(u"delete from 管理员 where 用户名=?"_s, {u"小李"_s});
    t.prompt.answers.enqueue(true);
    window.action(u"删除"_s)->trigger();
    QCOMPARE(t.prompt.lastMessage(), u"该管理员已被其他工作站删除！"_s);
    QCOMPARE(window.list()->rowCount(), 2);
    QCOMPARE(window.list()->item(1, 0)->text(), u"小王"_s);
}

void TestOperatorWindows::passwordWindowMessages()
{
    TestSession t;
    StarterShop::seed(*t.database);
    t.context.OperatorName = u"超级管理员"_s;
    TAdminChangePassFm window(t.session);
    QCOMPARE(window.windowTitle(), u"更改密码"_s);
    window.oldPassword()->setText(u"9"_s);
    window.savePassword();
    QCOMPARE(t.prompt.lastMessage(), u"旧密码输入错误！"_s);
    window.oldPassword()->setText(u"1"_s);
    window.newPassword()->setText(u"abc"_s);
    window.confirmation()->setText(u"abd"_s);
    window.savePassword();
    QCOMPARE(t.prompt.lastMessage(), u"两次输入的新密码不一致！"_s);
    window.confirmation()->setText(u"abc"_s);
    window.savePassword();
    QCOMPARE(t.prompt.lastMessage(), u"修改成功！"_s);
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QCOMPARE(t.database->scalar(u"select 密码 from 管理员"_s).toString(), u"abc"_s);
}

SALONDESK_DB_GUI_TEST_MAIN(TestOperatorWindows)
#include "tst_operator_windows.moc"
