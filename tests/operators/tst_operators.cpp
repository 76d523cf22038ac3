#include "support/TestDb.h"

#include "common/Refusal.h"
#include "db/Schema.h"
#include "operators/OperatorStore.h"
#include "operators/SignIn.h"
#include "shell/StarterShop.h"

#include <QSqlRecord>
#include <QTest>
#include <QThread>

#include <memory>

using namespace Qt::StringLiterals;

// Signing in and keeping operators.
class TestOperators : public QObject
{
    Q_OBJECT

private slots:
    void listsOperatorsAndPrefillsFactoryPassword_data();
    void listsOperatorsAndPrefillsFactoryPassword();
    void signsInOnlyWithTheRightPassword_data();
    void signsInOnlyWithTheRightPassword();
    void nameCaseOnlyMattersOnTheServer_data();
    void nameCaseOnlyMattersOnTheServer();
    void exactNameWinsOverOtherCase();
    void readsEveryRight();
    void missingGoodsRightsAreGranted();
    void missingOtherRightFailsWithDatabaseText();
    void newOperatorGetsDefaultPasswordAndNoRights();
    void updateRenamesAndSetsRights();
    void updateRefusesARowChangedMeanwhile_data();
    void updateRefusesARowChangedMeanwhile();
    void saveRefusesEmptyAndDuplicateNames();
    void deletionRules_data();
    void deletionRules();
    void racingDeletesKeepOneOperator();
    void changesOnlyOwnPassword_data();
    void changesOnlyOwnPassword();
};

namespace {

void addOperator(Database &db, const QString &name, const QString &password)
{
    db.execute(u"insert into 管理员 (用户名, 密码, 消费管理) values (?, ?, ?)"_s, {name, password, true});
}

} // namespace

void TestOperators::listsOperatorsAndPrefillsFactoryPassword_data()
{
    QTest::addColumn<QString>("firstPassword");
    QTest::addColumn<QString>("prefill");
    QTest::newRow("factory password kept") << u"1"_s << u"1"_s;
    QTest::newRow("password changed") << u"8888"_s << QString();
}

void TestOperators::listsOperatorsAndPrefillsFactoryPassword()
{
    QFETCH(QString, firstPassword);
    QFETCH(QString, prefill);
    auto db = TestDb::fresh();
    QCOMPARE(SignIn::loadOperators(*db).names, QStringList());
    addOperator(*db, u"超级管理员"_s, firstPassword);
    addOperator(*db, u"收银员"_s, u"1"_s);
    const SignIn::OperatorList list = SignIn::loadOperators(*db);
    QCOMPARE(list.names, (QStringList{u"超级管理员"_s, u"收银员"_s}));
    QCOMPARE(list.firstName, u"超级管理员"_s);
    QCOMPARE(list.prefillPassword, prefill);
}

void TestOperators::signsInOnlyWithTheRightPassword_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::newRow("plain") << u"收银员"_s << u"1234"_s;
    QTest::newRow("double quote in name") << u"王\"五"_s << u"pw"_s;
    QTest::newRow("quote and statement end") << u"x' or '1'='1"_s << u"a';--"_s;
    QTest::newRow("percent and semicolon") << u"50%;"_s << u"%"_s;
    QTest::newRow("empty password") << u"临时"_s << QString(u""_s);
}

void TestOperators::signsInOnlyWithTheRightPassword()
{
    QFETCH(QString, name);
    QFETCH(QString, password);
    auto db = TestDb::fresh();
    addOperator(*db, u"超级管理员"_s, u"1"_s);
    addOperator(*db, name, password);
    QVERIFY(SignIn::check(*db, name, password));
    QVERIFY(!SignIn::check(*db, name, password + u'x'));
    QVERIFY(!SignIn::check(*db, name, u"1"_s));
    QVERIFY(!SignIn::check(*db, u"x' or '1'='1"_s, u"x' or '1'='1"_s));
    QVERIFY(!SignIn::check(*db, u"%"_s, u"%"_s));
    QCOMPARE(db->scalar(u"select count(*) from 管理员"_s).toInt(), 2);
}

void TestOperators::nameCaseOnlyMattersOnTheServer_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("embedded");
    QTest::addColumn<bool>("server");
    QTest::newRow("same case") << u"admin"_s << u"admin"_s << u"Pw"_s << true << true;
    QTest::newRow("name in capitals") << u"admin"_s << u"ADMIN"_s << u"Pw"_s << true << false;
    QTest::newRow("mixed case, Chinese kept") << u"Lily店长"_s << u"lILY店长"_s << u"Pw"_s << true << false;
    QTest::newRow("password case always matters") << u"admin"_s << u"admin"_s << u"pw"_s << false << false;
    QTest::newRow("both in other case") << u"admin"_s << u"Admin"_s << u"PW"_s << false << false;
}

// The embedded database signs in whatever the case of the name's letters;
// the server compares exactly. The password always compares exactly, and
// the password change finds the operator the way sign-in did.
void TestOperators::nameCaseOnlyMattersOnTheServer()
{
    QFETCH(QString, stored);
    QFETCH(QString, typed);
    QFETCH(QString, password);
    QFETCH(bool, embedded);
    QFETCH(bool, server);
    const bool signsIn = TestDb::backend() == Backend::Sqlite ? embedded : server;
    auto db = TestDb::fresh();
    addOperator(*db, stored, u"Pw"_s);
    QCOMPARE(SignIn::check(*db, typed, password).has_value(), signsIn);

    OperatorStore store(*db);
    QString refused;
    try {
        store.changePassword(typed, password, u"new"_s, u"new"_s);
    } catch (const Refusal &refusal) {
        refused = refusal.text();
    }
    QCOMPARE(refused, signsIn ? QString() : u"旧密码输入错误！"_s);
    QCOMPARE(db->scalar(u"select 密码 from 管理员"_s).toString(), signsIn ? u"new"_s : u"Pw"_s);
}

void TestOperators::exactNameWinsOverOtherCase()
{
    auto db = TestDb::fresh();
    db->execute(u"insert into 管理员 (用户名, 密码, 撤单) values (?, ?, ?), (?, ?, ?)"_s,
                {u"Admin"_s, u"1"_s, true, u"admin"_s, u"1"_s, false});
    const auto rights = SignIn::check(*db, u"admin"_s, u"1"_s);
    QVERIFY(rights);
    QVERIFY(!rights->has(Right::Cancel));
    OperatorStore(*db).changePassword(u"admin"_s, u"1"_s, u"2"_s, u"2"_s);
    QCOMPARE(db->scalar(u"select 密码 from 管理员 where 用户名=?"_s, {u"Admin"_s}).toString(), u"1"_s);
    QCOMPARE(db->scalar(u"select 密码 from 管理员 where 用户名=?"_s, {u"admin"_s}).toString(), u"2"_s);
}

void TestOperators::readsEveryRight()
{
    auto db = TestDb::fresh();
    db->execute(u"insert into 管理员 (用户名, 密码, 撤单, 商品进货) values (?, ?, ?, ?)"_s,
                {u"店长"_s, u"9"_s, true, true});
    const auto rights = SignIn::check(*db, u"店长"_s, u"9"_s);
    QVERIFY(rights);
    QCOMPARE(Rights::every().size(), Schema::rightColumns().size());
    for (const QString &column : Schema::rightColumns()) {
        const std::optional<Right> right = Rights::ofColumn(column);
        QVERIFY2(right, qPrintable(column));
        QCOMPARE(rights->has(*right), column == u"撤单" || column == u"商品进货");
    }
}

void TestOperators::missingGoodsRightsAreGranted()
{
    auto db = TestDb::fresh();
    addOperator(*db, u"老店员"_s, u"1"_s);
    db->execute(u"alter table 管理员 drop column 商品管理"_s);
    db->execute(u"alter table 管理员 drop column 商品类型"_s);
    const auto rights = SignIn::check(*db, u"老店员"_s, u"1"_s);
    QVERIFY(rights);
    QVERIFY(rights->has(Right::Goods));
    QVERIFY(rights->has(Right::GoodsTypes));
    QVERIFY(rights->has(Right::Consumption));
    QVERIFY(!rights->has(Right::Waive));
}

void TestOperators::missingOtherRightFailsWithDatabaseText()
{
    auto db = TestDb::fresh();
    addOperator(*db, u"老店员"_s, u"1"_s);
    db->execute(u"alter table 管理员 drop column 免单"_s);
    try {
        SignIn::check(*db, u"老店员"_s, u"1"_s);
        QFAIL("sign-in should fail");
    } catch (const DbError &error) {
        QVERIFY(error.text().contains(u"免单"_s));
    }
}

void TestOperators::newOperatorGetsDefaultPasswordAndNoRights()
{
    auto db = TestDb::fresh();
    OperatorStore store(*db);
    OperatorStore::Operator entry{u"新人"_s, {{u"会员管理"_s, true}}};
    store.add(entry);
    const QSqlRecord row = db->firstRow(u"select * from 管理员 where 用户名=?"_s, {u"新人"_s});
    QCOMPARE(row.value(u"密码"_s).toString(), u"0000"_s);
    for (const QString &right : Schema::rightColumns()) {
        QVERIFY2(!row.isNull(right), qPrintable(right));
        QCOMPARE(row.value(right).toBool(), right == u"会员管理");
    }
    // The new operator signs in with the default password.
    QVERIFY(SignIn::check(*db, u"新人"_s, u"0000"_s));
}

void TestOperators::updateRenamesAndSetsRights()
{
    auto db = TestDb::fresh();
    addOperator(*db, u"小李"_s, u"7"_s);
    OperatorStore store(*db);
    store.update(store.load(u"小李"_s), {u"李店长"_s, {{u"撤单"_s, true}, {u"消费管理"_s, false}}});
    QCOMPARE(store.names(), QStringList{u"李店长"_s});
    const OperatorStore::Operator loaded = store.load(u"李店长"_s);
    QVERIFY(loaded.rights.value(u"撤单"_s));
    QVERIFY(!loaded.rights.value(u"消费管理"_s));
    QVERIFY(SignIn::check(*db, u"李店长"_s, u"7"_s));
}

void TestOperators::updateRefusesARowChangedMeanwhile_data()
{
    QTest::addColumn<QString>("otherChange");
    QTest::addColumn<QString>("kept");
    QTest::newRow("renamed") << u"update 管理员 set 用户名='李店长' where 用户名='小李'"_s
                             << u"李店长 撤单=false"_s;
    QTest::newRow("rights changed")
        << u"update 管理员 set 撤单=true where 用户名='小李'"_s << u"小李 撤单=true"_s;
    QTest::newRow("deleted") << u"delete from 管理员 where 用户名='小李'"_s << QString();
}

// Two workstations show the same operator; the second one to save is
// refused and the first one's change stays.
void TestOperators::updateRefusesARowChangedMeanwhile()
{
    QFETCH(QString, otherChange);
    QFETCH(QString, kept);
    auto db = TestDb::fresh();
    addOperator(*db, u"小李"_s, u"7"_s);
    OperatorStore store(*db);
    const OperatorStore::Operator shown = store.load(u"小李"_s);

    db->execute(otherChange);
    OperatorStore::Operator edited = shown;
    edited.rights[u"免单"_s] = true;
    try {
        store.update(shown, edited);
        QFAIL("the save should be refused");
    } catch (const Refusal &refusal) {
        QCOMPARE(refusal.text(), u"该管理员已被其他工作站修改或删除，请刷新后重试。"_s);
    }
    QStringList rows;
    for (const QString &name : store.names()) {
        const OperatorStore::Operator now = store.load(name);
        QVERIFY(!now.rights.value(u"免单"_s));
        rows.append(name + u" 撤单="_s + (now.rights.value(u"撤单"_s) ? u"true"_s : u"false"_s));
    }
    QCOMPARE(rows.join(u'\n'), kept);
}

void TestOperators::saveRefusesEmptyAndDuplicateNames()
{
    auto db = TestDb::fresh();
    addOperator(*db, u"小李"_s, u"7"_s);
    OperatorStore store(*db);
    try {
        store.add({QString(), {}});
        QFAIL("an empty name should be refused");
    } catch (const Refusal &refusal) {
        QCOMPARE(refusal.text(), u"用户名必须填写！"_s);
    }
    QVERIFY_THROWS_EXCEPTION(DbError, store.add({u"小李"_s, {}}));
    QCOMPARE(store.names().size(), 1);
}

void TestOperators::deletionRules_data()
{
    QTest::addColumn<QStringList>("operators");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QStringList>("remaining");
    const QString super = u"超级管理员"_s;
    QTest::newRow("the other of two") << QStringList{super, u"小李"_s} << u"小李"_s << QString()
                                      << QStringList{super};
    QTest::newRow("two without the first operator")
        << QStringList{u"小李"_s, u"小王"_s} << u"小王"_s << QString() << QStringList{u"小李"_s};
    QTest::newRow("the first operator beside another")
        << QStringList{super, u"小李"_s} << super << u"超级管理员 用户不能删除！"_s
        << QStringList{super, u"小李"_s};
    QTest::newRow("the last one") << QStringList{super} << super << u"至少留有一个管理员！！"_s
                                  << QStringList{super};
    QTest::newRow("the last one, not the first operator")
        << QStringList{u"小李"_s} << u"小李"_s << u"至少留有一个管理员！！"_s << QStringList{u"小李"_s};
    QTest::newRow("deleted meanwhile elsewhere")
        << QStringList{super, u"小李"_s} << u"小王"_s << u"该管理员已被其他工作站删除！"_s
        << QStringList{super, u"小李"_s};
    QTest::newRow("name in other case") << QStringList{u"admin"_s, u"小李"_s} << u"Admin"_s
                                        << u"该管理员已被其他工作站删除！"_s
                                        << QStringList{u"admin"_s, u"小李"_s};
}

void TestOperators::deletionRules()
{
    QFETCH(QStringList, operators);
    QFETCH(QString, target);
    QFETCH(QString, refusal);
    QFETCH(QStringList, remaining);
    auto db = TestDb::fresh();
    for (const QString &name : operators)
        addOperator(*db, name, u"1"_s);
    OperatorStore store(*db);
    QString refused;
    try {
        store.remove(target);
    } catch (const Refusal &error) {
        refused = error.text();
    }
    QCOMPARE(refused, refusal);
    QCOMPARE(store.names(), remaining);
}

// Two workstations delete the last two operators at the same moment: the
// second delete waits for the first and is refused, so one operator stays
// to sign in with.
void TestOperators::racingDeletesKeepOneOperator()
{
    auto db = TestDb::fresh();
    addOperator(*db, u"小李"_s, u"1"_s);
    addOperator(*db, u"小王"_s, u"1"_s);

    // This workstation has deleted 小李 and not committed yet.
    db->begin();
    QCOMPARE(db->execute(u"delete from 管理员 where 用户名=?"_s, {u"小李"_s}), 1);

    // The other workstation, on a connection of its own in a thread of its own.
    QString refused;
    QString failed;
    std::unique_ptr<QThread> other(QThread::create([settings = db->settings(), &refused, &failed] {
        try {
            auto second = Database::open(settings);
            OperatorStore(*second).remove(u"小王"_s);
        } catch (const Refusal &refusal) {
            refused = refusal.text();
        } catch (const DbError &error) {
            failed = error.text();
        }
    }));
    other->start();
    // Long enough for the other delete to reach the database and count.
    QThread::msleep(400);
    db->commit();
    QVERIFY(other->wait(20000));

    QCOMPARE(failed, QString());
    QCOMPARE(refused, u"至少留有一个管理员！！"_s);
    QCOMPARE(db->strings(u"select 用户名 from 管理员"_s), QStringList{u"小王"_s});
}

void TestOperators::changesOnlyOwnPassword_data()
{
    QTest::addColumn<QString>("oldPassword");
    QTest::addColumn<QString>("newPassword");
    QTest::addColumn<QString>("confirmation");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QString>("stored");
    QTest::newRow("changed") << u"7"_s << u"8"_s << u"8"_s << QString() << u"8"_s;
    QTest::newRow("wrong old password") << u"6"_s << u"8"_s << u"8"_s << u"旧密码输入错误！"_s << u"7"_s;
    QTest::newRow("confirmation differs") << u"7"_s << u"8"_s << u"9"_s << u"两次输入的新密码不一致！"_s << u"7"_s;
    QTest::newRow("case matters in confirmation") << u"7"_s << u"ab"_s << u"AB"_s << u"两次输入的新密码不一致！"_s << u"7"_s;
    QTest::newRow("empty new password accepted") << u"7"_s << u""_s << u""_s << QString() << u""_s;
}

void TestOperators::changesOnlyOwnPassword()
{
    QFETCH(QString, oldPassword);
    QFETCH(QString, newPassword);
    QFETCH(QString, confirmation);
    QFETCH(QString, refusal);
    QFETCH(QString, stored);
    auto db = TestDb::fresh();
    addOperator(*db, u"小李"_s, u"7"_s);
    addOperator(*db, u"小王"_s, u"7"_s);
    OperatorStore store(*db);
    QString refused;
    try {
        store.changePassword(u"小李"_s, oldPassword, newPassword, confirmation);
    } catch (const Refusal &error) {
        refused = error.text();
    }
    QCOMPARE(refused, refusal);
    QCOMPARE(db->scalar(u"select 密码 from 管理员 where 用户名=?"_s, {u"小李"_s}).toString(), stored);
    QCOMPARE(db->scalar(u"select 密码 from 管理员 where 用户名=?"_s, {u"小王"_s}).toString(), u"7"_s);
}

SALONDESK_DB_TEST_MAIN(TestOperators)
#include "tst_operators.moc"
