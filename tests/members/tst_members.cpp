#include "support/ShopBuilder.h"
#include "support/TestDb.h"

#include "common/DateFormat.h"
#include "common/Money.h"
#include "common/Refusal.h"
#include "db/Amounts.h"
#include "members/MemberStore.h"
#include "session/Rights.h"

#include <QSqlRecord>
#include <QTest>

using namespace Qt::StringLiterals;

// Keeping members: what adding writes, what a change may overwrite, and
// who may change or delete.
class TestMembers : public QObject
{
    Q_OBJECT

private slots:
    void addWritesTheDefaults_data();
    void addWritesTheDefaults();
    void addRefusesMissingCardOrName_data();
    void addRefusesMissingCardOrName();
    void addRefusesATakenCardAsTyped();
    void updateRefusals_data();
    void updateRefusals();
    void updateRefusesAnotherMembersCard();
    void updateWritesOnlyOverTheRowAsRead_data();
    void updateWritesOnlyOverTheRowAsRead();
    void updateKeepsBalanceAndPointsChangedMeanwhile();
    void updateLeavesUntouchedColumnsAsStored();
    void deleteNeedsTheRight();
};

namespace {

Rights granted(const QStringList &names)
{
    Rights rights;
    for (const QString &name : names)
        rights.set(*Rights::ofColumn(name), true);
    return rights;
}

void insertMember(Database &db, const QString &card, const QString &name,
                  const QString &balance = u"0"_s)
{
    ShopBuilder(db).member({.card = card, .name = name, .balance = Money::fromText(balance),
                            .points = Money::fromInt(5)});
}

QSqlRecord row(Database &db, const QString &card)
{
    return db.firstRow(u"select * from 会员管理 where 会员卡号=?"_s, {card});
}

QString refusalOf(const std::function<void()> &operation)
{
    try {
        operation();
    } catch (const Refusal &refusal) {
        return refusal.text();
    }
    return {};
}

} // namespace

void TestMembers::addWritesTheDefaults_data()
{
    QTest::addColumn<QString>("sex");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("phone");
    QTest::addColumn<QString>("note");
    QTest::addColumn<QString>("storedSex");
    QTest::addColumn<QString>("storedType");
    QTest::newRow("boxes left empty") << QString() << QString() << QString() << QString()
                                      << u"男"_s << u"未设置"_s;
    QTest::newRow("everything given") << u"女"_s << u"金卡"_s << u"13800000000"_s << u"无"_s
                                      << u"女"_s << u"金卡"_s;
}

void TestMembers::addWritesTheDefaults()
{
    QFETCH(QString, sex);
    QFETCH(QString, type);
    QFETCH(QString, phone);
    QFETCH(QString, note);
    QFETCH(QString, storedSex);
    QFETCH(QString, storedType);
    auto db = TestDb::fresh();
    MemberStore store(*db, Rights());
    MemberStore::Member member;
    member.card = u"001"_s;
    member.name = u"王芳"_s;
    member.sex = sex;
    member.type = type;
    member.phone = phone;
    member.note = note;
    member.birth = QDate(1990, 5, 17);
    store.add(member);

    const QSqlRecord stored = row(*db, u"001"_s);
    QCOMPARE(stored.value(u"会员姓名"_s).toString(), u"王芳"_s);
    QCOMPARE(stored.value(u"密码"_s).toString(), u"0000"_s);
    QCOMPARE(stored.value(u"当前状态"_s).toString(), u"可用"_s);
    QCOMPARE(Money::fromVariant(stored.value(u"卡内金额"_s)), Money());
    QCOMPARE(Money::fromVariant(stored.value(u"当前积分"_s)), Money());
    QCOMPARE(stored.value(u"会员性别"_s).toString(), storedSex);
    QCOMPARE(stored.value(u"会员类型"_s).toString(), storedType);
    QCOMPARE(DateFormat::fromVariant(stored.value(u"出生日期"_s)),
             QDateTime(QDate(1990, 5, 17), QTime(0, 0)));
    // Not given: left empty, not written as "".
    QCOMPARE(stored.value(u"联系电话"_s).isNull(), phone.isEmpty());
    QCOMPARE(stored.value(u"备注"_s).isNull(), note.isEmpty());
    QCOMPARE(stored.value(u"联系电话"_s).toString(), phone);
    // The database stamps the registration.
    QVERIFY(DateFormat::fromVariant(stored.value(u"登记日期"_s)).isValid());
}

void TestMembers::addRefusesMissingCardOrName_data()
{
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("name");
    QTest::newRow("no card") << QString() << u"王芳"_s;
    QTest::newRow("no name") << u"001"_s << QString();
    QTest::newRow("blank card") << u"  "_s << u"王芳"_s;
}

void TestMembers::addRefusesMissingCardOrName()
{
    QFETCH(QString, card);
    QFETCH(QString, name);
    auto db = TestDb::fresh();
    MemberStore store(*db, Rights());
    MemberStore::Member member;
    member.card = card;
    member.name = name;
    QCOMPARE(refusalOf([&] { store.add(member); }), u"会员卡号和会员姓名必须填写！"_s);
    QCOMPARE(db->scalar(u"select count(*) from 会员管理"_s).toInt(), 0);
}

void TestMembers::addRefusesATakenCardAsTyped()
{
    auto db = TestDb::fresh();
    insertMember(*db, u"001"_s, u"王芳"_s, u"30"_s);
    MemberStore store(*db, Rights());
    MemberStore::Member member;
    member.card = u"001"_s;
    member.name = u"李娜"_s;
    QCOMPARE(refusalOf([&] { store.add(member); }), u"会员卡号有重复，请换其他号码！"_s);
    QCOMPARE(row(*db, u"001"_s).value(u"会员姓名"_s).toString(), u"王芳"_s);
    QCOMPARE(db->scalar(u"select count(*) from 会员管理"_s).toInt(), 1);

    // The card number is compared as typed: with a blank it is another card.
    member.card = u"001 "_s;
    store.add(member);
    QCOMPARE(db->scalar(u"select count(*) from 会员管理"_s).toInt(), 2);
    QCOMPARE(row(*db, u"001 "_s).value(u"会员姓名"_s).toString(), u"李娜"_s);
}

void TestMembers::updateRefusals_data()
{
    QTest::addColumn<QStringList>("rights");
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("refusal");
    const QStringList may{u"会员修改"_s};
    const auto required = u"会员卡号和会员姓名和会员类型必须认真填写！"_s;
    QTest::newRow("no right, even with empty boxes")
        << QStringList{u"会员删除"_s} << QString() << u"王芳"_s << u"金卡"_s << u"没有权限!"_s;
    QTest::newRow("no card") << may << QString() << u"王芳"_s << u"金卡"_s << required;
    QTest::newRow("no name") << may << u"001"_s << QString() << u"金卡"_s << required;
    QTest::newRow("no type") << may << u"001"_s << u"王芳"_s << QString() << required;
    QTest::newRow("blank type") << may << u"001"_s << u"王芳"_s << u" "_s << required;
}

void TestMembers::updateRefusals()
{
    QFETCH(QStringList, rights);
    QFETCH(QString, card);
    QFETCH(QString, name);
    QFETCH(QString, type);
    QFETCH(QString, refusal);
    auto db = TestDb::fresh();
    insertMember(*db, u"001"_s, u"王芳"_s);
    const Rights may = granted(rights);
    MemberStore store(*db, may);
    const MemberStore::Member shown = store.load(u"001"_s);
    MemberStore::Member edited = shown;
    edited.card = card;
    edited.name = name;
    edited.type = type;
    edited.phone = u"139"_s;
    QCOMPARE(refusalOf([&] { store.update(shown, edited); }), refusal);
    const QSqlRecord stored = row(*db, u"001"_s);
    QCOMPARE(stored.value(u"会员类型"_s).toString(), u"金卡"_s);
    QVERIFY(stored.value(u"联系电话"_s).isNull());
}

void TestMembers::updateRefusesAnotherMembersCard()
{
    auto db = TestDb::fresh();
    insertMember(*db, u"001"_s, u"王芳"_s);
    insertMember(*db, u"002"_s, u"李娜"_s);
    const Rights may = granted({u"会员修改"_s});
    MemberStore store(*db, may);
    const MemberStore::Member shown = store.load(u"002"_s);
    MemberStore::Member edited = shown;
    edited.card = u"001"_s;
    edited.name = u"李娜娜"_s;
    QCOMPARE(refusalOf([&] { store.update(shown, edited); }), u"会员卡号有重复，请换其他号码！"_s);
    QCOMPARE(row(*db, u"001"_s).value(u"会员姓名"_s).toString(), u"王芳"_s);
    QCOMPARE(row(*db, u"002"_s).value(u"会员姓名"_s).toString(), u"李娜"_s);

    // A card number nobody has, and the member's own, are fine.
    edited.card = u"003"_s;
    store.update(shown, edited);
    QCOMPARE(row(*db, u"003"_s).value(u"会员姓名"_s).toString(), u"李娜娜"_s);
    QVERIFY(row(*db, u"002"_s).isEmpty());
    const MemberStore::Member again = store.load(u"003"_s);
    MemberStore::Member renamed = again;
    renamed.name = u"李娜"_s;
    store.update(again, renamed);
    QCOMPARE(row(*db, u"003"_s).value(u"会员姓名"_s).toString(), u"李娜"_s);
}

void TestMembers::updateWritesOnlyOverTheRowAsRead_data()
{
    QTest::addColumn<QString>("meanwhile");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("renamed elsewhere")
        << u"update 会员管理 set 会员姓名='王小芳' where 会员卡号='001'"_s
        << u"该会员资料已被其他操作修改，请重新打开后再修改！"_s;
    QTest::newRow("phone given elsewhere")
        << u"update 会员管理 set 联系电话='137' where 会员卡号='001'"_s
        << u"该会员资料已被其他操作修改，请重新打开后再修改！"_s;
    QTest::newRow("card changed elsewhere")
        << u"update 会员管理 set 会员卡号='009' where 会员卡号='001'"_s
        << u"没有找到该会员，可能已被删除！"_s;
    QTest::newRow("deleted elsewhere") << u"delete from 会员管理 where 会员卡号='001'"_s
                                       << u"没有找到该会员，可能已被删除！"_s;
}

void TestMembers::updateWritesOnlyOverTheRowAsRead()
{
    QFETCH(QString, meanwhile);
    QFETCH(QString, refusal);
    auto db = TestDb::fresh();
    insertMember(*db, u"001"_s, u"王芳"_s);
    const Rights may = granted({u"会员修改"_s});
    MemberStore store(*db, may);
    const MemberStore::Member shown = store.load(u"001"_s);
    MemberStore::Member edited = shown;
    edited.type = u"银卡"_s;
    db->execute(meanwhile);
    QCOMPARE(refusalOf([&] { store.update(shown, edited); }), refusal);
    QCOMPARE(db->scalar(u"select count(*) from 会员管理 where 会员类型='银卡'"_s).toInt(), 0);
}

void TestMembers::updateKeepsBalanceAndPointsChangedMeanwhile()
{
    auto db = TestDb::fresh();
    insertMember(*db, u"001"_s, u"王芳"_s, u"100.5"_s);
    const Rights may = granted({u"会员修改"_s});
    MemberStore store(*db, may);
    const MemberStore::Member shown = store.load(u"001"_s);
    QCOMPARE(shown.balance, Money::fromText(u"100.5"));
    QCOMPARE(shown.points, Money::fromInt(5));
    // A recharge and a settlement from other workstations.
    db->execute(u"update 会员管理 set 卡内金额 = 卡内金额 + 10 where 会员卡号=?"_s, {u"001"_s});
    db->execute(u"update 会员管理 set 当前积分 = 当前积分 + 3 where 会员卡号=?"_s, {u"001"_s});
    MemberStore::Member edited = shown;
    edited.name = u"王小芳"_s;
    edited.balance = Money();
    edited.points = Money();
    store.update(shown, edited);
    const QSqlRecord stored = row(*db, u"001"_s);
    QCOMPARE(stored.value(u"会员姓名"_s).toString(), u"王小芳"_s);
    QCOMPARE(Money::fromVariant(stored.value(u"卡内金额"_s)), Money::fromText(u"110.5"));
    QCOMPARE(Money::fromVariant(stored.value(u"当前积分"_s)), Money::fromInt(8));
}

void TestMembers::updateLeavesUntouchedColumnsAsStored()
{
    auto db = TestDb::fresh();
    // As another program might have left it: no dates, no phone, an empty
    // note, a birth time of day. No store writes such a row; made by hand.
    db->execute(u"insert into 会员管理 (会员卡号, 会员姓名, 会员类型, 出生日期, 备注, 登记日期) "
                u"values (?, ?, ?, ?, ?, null)"_s,
                {u"001"_s, u"王芳"_s, u"金卡"_s, QDateTime(QDate(1990, 5, 17), QTime(10, 30)),
                 QString(u""_s)});
    const Rights may = granted({u"会员修改"_s});
    MemberStore store(*db, may);
    const MemberStore::Member shown = store.load(u"001"_s);
    QCOMPARE(shown.birth, QDate(1990, 5, 17));
    QVERIFY(!shown.registered.isValid());
    MemberStore::Member edited = shown;
    edited.name = u"王小芳"_s;
    store.update(shown, edited);
    QSqlRecord stored = row(*db, u"001"_s);
    QCOMPARE(stored.value(u"会员姓名"_s).toString(), u"王小芳"_s);
    QCOMPARE(DateFormat::fromVariant(stored.value(u"出生日期"_s)),
             QDateTime(QDate(1990, 5, 17), QTime(10, 30)));
    QVERIFY(stored.value(u"登记日期"_s).isNull());
    QVERIFY(stored.value(u"联系电话"_s).isNull());
    QCOMPARE(stored.value(u"备注"_s).toString(), QString());
    QVERIFY(!stored.value(u"备注"_s).isNull());

    // Changed dates are written as whole days; an emptied phone is empty.
    const MemberStore::Member second = store.load(u"001"_s);
    edited = second;
    edited.birth = QDate(1991, 1, 2);
    edited.registered = QDate(2024, 2, 29);
    edited.phone = u"137"_s;
    store.update(second, edited);
    stored = row(*db, u"001"_s);
    QCOMPARE(DateFormat::fromVariant(stored.value(u"出生日期"_s)),
             QDateTime(QDate(1991, 1, 2), QTime(0, 0)));
    QCOMPARE(DateFormat::fromVariant(stored.value(u"登记日期"_s)),
             QDateTime(QDate(2024, 2, 29), QTime(0, 0)));
    const MemberStore::Member third = store.load(u"001"_s);
    edited = third;
    edited.phone.clear();
    edited.birth = QDate();
    store.update(third, edited);
    stored = row(*db, u"001"_s);
    QVERIFY(stored.value(u"联系电话"_s).isNull());
    QVERIFY(stored.value(u"出生日期"_s).isNull());
}

void TestMembers::deleteNeedsTheRight()
{
    auto db = TestDb::fresh();
    insertMember(*db, u"001"_s, u"王芳"_s);
    insertMember(*db, u"002"_s, u"李娜"_s);
    db->execute(u"insert into 会员充值 (会员卡号, 充值金额) values (?, ?)"_s, {u"001"_s, 50});
    const Rights cannot = granted({u"会员修改"_s});
    QCOMPARE(refusalOf([&] { MemberStore(*db, cannot).remove(u"001"_s); }), u"没有该权限!"_s);
    QCOMPARE(refusalOf([&] { MemberStore(*db, cannot).checkRemovable(); }), u"没有该权限!"_s);
    QCOMPARE(db->scalar(u"select count(*) from 会员管理"_s).toInt(), 2);

    const Rights may = granted({u"会员删除"_s});
    MemberStore(*db, may).remove(u"001"_s);
    QVERIFY(row(*db, u"001"_s).isEmpty());
    QVERIFY(!row(*db, u"002"_s).isEmpty());
    // The recharge records keep the card number.
    QCOMPARE(db->scalar(u"select count(*) from 会员充值 where 会员卡号='001'"_s).toInt(), 1);
}

SALONDESK_DB_TEST_MAIN(TestMembers)
#include "tst_members.moc"
