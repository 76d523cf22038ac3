#include "support/ShopBuilder.h"
#include "support/TestDb.h"
#include "support/Workstations.h"

#include "common/Clock.h"
#include "common/DateFormat.h"
#include "common/Money.h"
#include "common/Refusal.h"
#include "db/Database.h"
#include "lists/ListQuery.h"
#include "members/MemberConsumption.h"
#include "members/MemberPasswords.h"
#include "members/Recharge.h"
#include "members/RechargeRecords.h"
#include "orders/Checkout.h"
#include "orders/Settlement.h"
#include "session/AppContext.h"
#include "session/Rights.h"

#include <QSqlRecord>
#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;

// Recharges, member passwords, and the recharge and consumption lists:
// what is written, what is refused with which text, and what a search finds.
class TestMemberServices : public QObject
{
    Q_OBJECT

private slots:
    void rechargeAddsToTheBalance_data();
    void rechargeAddsToTheBalance();
    void negativeRechargeBelowZeroNeedsAgreement_data();
    void negativeRechargeBelowZeroNeedsAgreement();
    void rechargeRefusalsWriteNothing_data();
    void rechargeRefusalsWriteNothing();
    void rechargeKeepsASettlementMadeMeanwhile();
    void rechargeAndSettlementAtOnceBothCount();
    void rechargeOfAMemberGoneMeanwhile();
    void rechargeAndRecordAreOneTransaction();

    void passwordChange_data();
    void passwordChange();
    void emptyPasswordIsAPasswordToo();
    void staleChangeIsRefused();
    void resetNeedsTheRight();
    void resetWritesPasswordAndLog();
    void resetOfAnUnknownCardWritesNothing();
    void resetAndLogAreOneTransaction();

    void recordSearch_data();
    void recordSearch();
    void recordRangeEnds_data();
    void recordRangeEnds();
    void recordListCountsAndSums();

    void consumptionSearch_data();
    void consumptionSearch();
    void consumptionFindsWhatSettlementWrote();
};

namespace {

const QDateTime Now(QDate(2024, 3, 2), QTime(17, 30, 5));

// A shop with its members, as the logic of this area sees it.
struct Shop
{
    std::unique_ptr<Database> db = TestDb::fresh();
    FixedClock clock{Now};
    AppContext context;

    Shop() { context.OperatorName = u"前台"_s; }

    void member(const QString &card, const QString &name, const QString &balance,
                const QVariant &password = u"0000"_s)
    {
        if (password.isNull()) {
            // A card whose password was never set comes from older data; the
            // add window always gives the default.
            db->execute(u"insert into 会员管理 (会员卡号, 会员姓名, 会员类型, 密码, 卡内金额, 当前积分) "
                        "values (?, ?, ?, null, ?, 0)"_s,
                        {card, name, u"金卡"_s, balance});
            return;
        }
        ShopBuilder(*db).member({.card = card, .name = name, .balance = Money::fromText(balance),
                                 .password = password.toString()});
    }
    // SP001 occupied for an hour with one line of `goods`, not discounted.
    void visit(const QString &goods, const QString &price, const QString &quantity = u"1"_s)
    {
        ShopBuilder(*db)
            .plate({.plate = u"SP001"_s, .state = u"占用"_s, .entered = Now.addSecs(-3600)})
            .line({.plate = u"SP001"_s, .goods = goods, .price = Money::fromText(price),
                   .quantity = Money::fromText(quantity), .discounts = u"n"_s,
                   .operatorName = u"前台"_s});
    }
    Money balance(const QString &card)
    {
        return Money::fromVariant(
            db->scalar(u"select 卡内金额 from 会员管理 where 会员卡号=?"_s, {card}));
    }
    QVariant password(const QString &card)
    {
        return db->scalar(u"select 密码 from 会员管理 where 会员卡号=?"_s, {card});
    }
    int count(const QString &table)
    {
        return db->scalar(u"select count(*) from "_s + table).toInt();
    }
    Recharge recharge() { return Recharge(*db, context.signedIn(), clock); }
    MemberPasswords passwords() { return MemberPasswords(*db, context.signedIn(), clock); }
};

QString refusalOf(const std::function<void()> &operation)
{
    try {
        operation();
    } catch (const Refusal &refusal) {
        return refusal.text();
    }
    return {};
}

QStringList column(ListQuery &query, const ListFilter &filter, const QString &name)
{
    QStringList found;
    QSqlQuery rows = query.run(filter);
    while (rows.next())
        found.append(rows.value(name).toString());
    return found;
}

} // namespace

// ---------------------------------------------------------------- recharge

void TestMemberServices::rechargeAddsToTheBalance_data()
{
    QTest::addColumn<QString>("balance");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<bool>("negative");
    QTest::addColumn<int>("times");
    QTest::addColumn<QString>("recorded");
    QTest::addColumn<QString>("after");
    QTest::newRow("whole") << u"100"_s << u"50"_s << false << 1 << u"50"_s << u"150"_s;
    QTest::newRow("four decimals") << u"0.0001"_s << u"12.3456"_s << false << 1 << u"12.3456"_s
                                   << u"12.3457"_s;
    QTest::newRow("four decimals, negative") << u"1"_s << u"0.0001"_s << true << 1
                                             << u"-0.0001"_s << u"0.9999"_s;
    QTest::newRow("onto a fraction") << u"30.05"_s << u"0.95"_s << false << 1 << u"0.95"_s
                                     << u"31"_s;
    // Ten steps that a double would not add up to exactly 1.
    QTest::newRow("ten times 0.1") << u"0"_s << u"0.1"_s << false << 10 << u"0.1"_s << u"1"_s;
    QTest::newRow("a fifth decimal rounds half to even")
        << u"0"_s << u"0.00015"_s << false << 1 << u"0.0002"_s << u"0.0002"_s;
    QTest::newRow("zero is a recharge") << u"10"_s << u"0"_s << false << 1 << u"0"_s << u"10"_s;
    QTest::newRow("negative beyond the balance") << u"30"_s << u"50"_s << true << 1 << u"-50"_s
                                                 << u"-20"_s;
    QTest::newRow("point first") << u"1"_s << u".5"_s << false << 1 << u"0.5"_s << u"1.5"_s;
    QTest::newRow("point last") << u"1"_s << u"5."_s << false << 1 << u"5"_s << u"6"_s;
    QTest::newRow("large") << u"0.0001"_s << u"12345678.9999"_s << false << 1
                           << u"12345678.9999"_s << u"12345679"_s;
}

void TestMemberServices::rechargeAddsToTheBalance()
{
    QFETCH(QString, balance);
    QFETCH(QString, amount);
    QFETCH(bool, negative);
    QFETCH(int, times);
    QFETCH(QString, recorded);
    QFETCH(QString, after);
    Shop shop;
    shop.member(u"001"_s, u"王芳"_s, balance);
    shop.member(u"002"_s, u"李娜"_s, u"7"_s);
    const Recharge::Member member = *shop.recharge().find(u"001"_s);
    QCOMPARE(member.balance, Money::fromText(balance));

    Money returned;
    // Agreed to below zero: this table is about the sums. What needs the
    // agreement is negativeRechargeBelowZeroNeedsAgreement's.
    for (int i = 0; i < times; ++i)
        returned = shop.recharge().add(member, amount, negative, u"现金"_s,
                                       Recharge::BelowZero::Allow);

    QCOMPARE(returned.toString(), after);
    QCOMPARE(shop.balance(u"001"_s).toString(), after);
    QCOMPARE(shop.balance(u"002"_s).toString(), u"7"_s);
    QCOMPARE(shop.count(u"会员充值"_s), times);
    const QSqlRecord row = shop.db->firstRow(u"select * from 会员充值 order by id"_s);
    QCOMPARE(row.value(u"会员卡号"_s).toString(), u"001"_s);
    QCOMPARE(row.value(u"会员姓名"_s).toString(), u"王芳"_s);
    QCOMPARE(row.value(u"会员类型"_s).toString(), u"金卡"_s);
    QCOMPARE(Money::fromVariant(row.value(u"充值金额"_s)).toString(), recorded);
    QCOMPARE(DateFormat::fromVariant(row.value(u"充值日期"_s)), Now);
    QCOMPARE(row.value(u"备注"_s).toString(), u"现金"_s);
    QCOMPARE(row.value(u"营业员"_s).toString(), u"前台"_s);
}

void TestMemberServices::negativeRechargeBelowZeroNeedsAgreement_data()
{
    QTest::addColumn<QString>("balance");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<bool>("negative");
    // A refusal, or empty when the recharge goes through without agreement.
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QString>("agreedAfter");
    QTest::newRow("off, to exactly zero") << u"30"_s << u"30"_s << true << QString() << u"0"_s;
    QTest::newRow("off, below zero") << u"30"_s << u"50"_s << true
                                     << u"会员卡 001 扣除 50 元后，卡内余额将为 -20 元，低于零。"_s
                                     << u"-20"_s;
    QTest::newRow("off, by a ten-thousandth") << u"30"_s << u"30.0001"_s << true
                                              << u"会员卡 001 扣除 30.0001 元后，卡内余额将为 "
                                                 u"-0.0001 元，低于零。"_s
                                              << u"-0.0001"_s;
    QTest::newRow("off a card already below zero")
        << u"-5"_s << u"1"_s << true << u"会员卡 001 扣除 1 元后，卡内余额将为 -6 元，低于零。"_s
        << u"-6"_s;
    // Money onto a card below zero moves it towards zero: nothing to agree to.
    QTest::newRow("onto a card below zero") << u"-5"_s << u"2"_s << false << QString() << u"-3"_s;
    QTest::newRow("zero onto a card below zero") << u"-5"_s << u"0"_s << true << QString()
                                                 << u"-5"_s;
}

void TestMemberServices::negativeRechargeBelowZeroNeedsAgreement()
{
    QFETCH(QString, balance);
    QFETCH(QString, amount);
    QFETCH(bool, negative);
    QFETCH(QString, refusal);
    QFETCH(QString, agreedAfter);
    Shop shop;
    shop.member(u"001"_s, u"王芳"_s, balance);
    const Recharge::Member member = *shop.recharge().find(u"001"_s);
    // The preview the window asks by says the same.
    QCOMPARE(Recharge::preview(member, amount, negative).belowZero, !refusal.isEmpty());
    QCOMPARE(Recharge::preview(member, amount, negative).after.toString(), agreedAfter);

    QCOMPARE(refusalOf([&] { shop.recharge().add(member, amount, negative, QString()); }), refusal);
    if (!refusal.isEmpty()) {
        QCOMPARE(shop.balance(u"001"_s), Money::fromText(balance));
        QCOMPARE(shop.count(u"会员充值"_s), 0);
        shop.recharge().add(member, amount, negative, QString(), Recharge::BelowZero::Allow);
    }
    QCOMPARE(shop.balance(u"001"_s).toString(), agreedAfter);
    QCOMPARE(shop.count(u"会员充值"_s), 1);
}

void TestMemberServices::rechargeRefusalsWriteNothing_data()
{
    QTest::addColumn<bool>("withMember");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<bool>("negative");
    QTest::addColumn<QString>("message");
    QTest::newRow("no amount") << true << QString() << false << u"请输入充值数值！"_s;
    QTest::newRow("no amount and no member") << false << QString() << false
                                             << u"请输入充值数值！"_s;
    QTest::newRow("no member") << false << u"50"_s << false << u"请先输入会员卡号并按回车键！"_s;
    QTest::newRow("no member, no number") << false << u"1.2.3"_s << false
                                          << u"请先输入会员卡号并按回车键！"_s;
    QTest::newRow("two points") << true << u"1.2.3"_s << false
                                << u"“1.2.3”不是有效的充值金额，请重新输入！"_s;
    QTest::newRow("a point alone") << true << u"."_s << false
                                   << u"“.”不是有效的充值金额，请重新输入！"_s;
    QTest::newRow("letters") << true << u"12a"_s << false
                             << u"“12a”不是有效的充值金额，请重新输入！"_s;
    QTest::newRow("blanks") << true << u"  "_s << false
                            << u"“  ”不是有效的充值金额，请重新输入！"_s;
    QTest::newRow("a minus and 充负数") << true << u"-5"_s << true
                                         << u"“-5”不是有效的充值金额，请重新输入！"_s;
    QTest::newRow("beyond any amount") << true << u"123456789012345"_s << false << u"金额超出范围"_s;
}

void TestMemberServices::rechargeRefusalsWriteNothing()
{
    QFETCH(bool, withMember);
    QFETCH(QString, amount);
    QFETCH(bool, negative);
    QFETCH(QString, message);
    Shop shop;
    shop.member(u"001"_s, u"王芳"_s, u"20"_s);
    // Without a member the window's boxes are empty.
    const Recharge::Member member =
        withMember ? *shop.recharge().find(u"001"_s) : Recharge::Member{};
    QCOMPARE(refusalOf([&] { shop.recharge().add(member, amount, negative, u"备注"_s); }),
             message);
    QCOMPARE(shop.balance(u"001"_s), Money::fromInt(20));
    QCOMPARE(shop.count(u"会员充值"_s), 0);
}

void TestMemberServices::rechargeKeepsASettlementMadeMeanwhile()
{
    Shop shop;
    shop.member(u"8001"_s, u"张三"_s, u"100"_s);
    shop.visit(u"烫发"_s, u"30.25"_s);
    // The recharge window shows the balance…
    const Recharge::Member shown = *shop.recharge().find(u"8001"_s);
    QCOMPARE(shown.balance, Money::fromInt(100));

    // …while the member pays a bill by card at another workstation.
    Checkout checkout(*shop.db, shop.clock, u"SP001"_s);
    checkout.open();
    checkout.identify(u"8001"_s, u"0000"_s);
    checkout.choosePayment(u"卡内扣除"_s);
    Settlement(*shop.db, shop.context.signedIn(), shop.clock).JieZhangHs(checkout, Settlement::Status::Paid);
    QCOMPARE(shop.balance(u"8001"_s).toString(), u"69.75"_s);

    const Money after = shop.recharge().add(shown, u"50"_s, false, QString());
    QCOMPARE(after.toString(), u"119.75"_s);
    QCOMPARE(shop.balance(u"8001"_s).toString(), u"119.75"_s);
    QCOMPARE(Money::fromVariant(shop.db->scalar(u"select 充值金额 from 会员充值"_s)).toString(),
             u"50"_s);
}

void TestMemberServices::rechargeAndSettlementAtOnceBothCount()
{
    Shop shop;
    shop.member(u"8001"_s, u"张三"_s, u"100"_s);
    const ConnectionSettings settings = shop.db->settings();
    constexpr int Rounds = 20;
    for (int round = 0; round < Rounds; ++round) {
        for (const QString &table : {u"xfmx"_s, u"jzmx"_s, u"结帐管理"_s, u"会员充值"_s, u"号牌管理"_s})
            shop.db->execute(u"delete from "_s + table);
        shop.db->execute(u"update 会员管理 set 卡内金额=100, 当前积分=0"_s);
        shop.visit(u"烫发"_s, u"30.25"_s);

        // One workstation recharges the card while another settles a bill
        // by card, each with the member on its screen beforehand.
        Workstations stations(1);
        const auto outcomes = stations.run([&](int station) {
            auto own = Database::open(settings);
            if (station == 0) {
                Recharge recharge(*own, shop.context.signedIn(), shop.clock);
                const Recharge::Member shown = *recharge.find(u"8001"_s);
                stations.meet(station);
                return recharge.add(shown, u"50"_s, false, QString()).toString();
            }
            Checkout checkout(*own, shop.clock, u"SP001"_s);
            checkout.open();
            checkout.identify(u"8001"_s, u"0000"_s);
            checkout.choosePayment(u"卡内扣除"_s);
            stations.meet(station);
            return Settlement(*own, shop.context.signedIn(), shop.clock)
                .JieZhangHs(checkout, Settlement::Status::Paid);
        });

        const QString what = u"round %1: [%2] [%3]"_s.arg(round).arg(outcomes[0].describe(),
                                                                     outcomes[1].describe());
        QVERIFY2(outcomes[0].kind == Outcome::Done && outcomes[1].kind == Outcome::Done,
                 qPrintable(what));
        QVERIFY2(shop.balance(u"8001"_s).toString() == u"119.75"_s,
                 qPrintable(what + u" balance "_s + shop.balance(u"8001"_s).toString()));
        // The points are the bill's amount received, whatever the recharge did.
        QVERIFY2(Money::fromVariant(shop.db->scalar(
                     u"select 当前积分 from 会员管理 where 会员卡号='8001'"_s))
                     == Money::fromVariant(shop.db->scalar(u"select 实收金额 from 结帐管理"_s)),
                 qPrintable(what));
        QVERIFY2(shop.count(u"会员充值"_s) == 1 && shop.count(u"结帐管理"_s) == 1,
                 qPrintable(what));
    }
}

void TestMemberServices::rechargeOfAMemberGoneMeanwhile()
{
    Shop shop;
    shop.member(u"001"_s, u"王芳"_s, u"20"_s);
    QVERIFY(!shop.recharge().find(u"002"_s));
    const Recharge::Member shown = *shop.recharge().find(u"001"_s);
    shop.db->execute(u"delete from 会员管理"_s);
    QCOMPARE(refusalOf([&] { shop.recharge().add(shown, u"50"_s, false, QString()); }),
             u"没有找到该会员，可能已被删除！"_s);
    QCOMPARE(shop.count(u"会员充值"_s), 0);
}

void TestMemberServices::rechargeAndRecordAreOneTransaction()
{
    Shop shop;
    shop.member(u"001"_s, u"王芳"_s, u"20"_s);
    const Recharge::Member shown = *shop.recharge().find(u"001"_s);
    // A note the database refuses stops the record after the balance changed.
    QVERIFY_THROWS_EXCEPTION(DbError,
                             shop.recharge().add(shown, u"50"_s, false, u"a\u0001b"_s));
    QCOMPARE(shop.balance(u"001"_s), Money::fromInt(20));
    QCOMPARE(shop.count(u"会员充值"_s), 0);
    QVERIFY(!shop.db->inTransaction());
}

// ---------------------------------------------------------------- passwords

void TestMemberServices::passwordChange_data()
{
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("oldPassword");
    QTest::addColumn<QString>("newPassword");
    QTest::addColumn<QString>("confirmation");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("stored");
    QTest::newRow("changed") << u"001"_s << u"1234"_s << u"8888"_s << u"8888"_s << QString()
                             << u"8888"_s;
    QTest::newRow("wrong old password") << u"001"_s << u"4321"_s << u"8888"_s << u"8888"_s
                                        << u"旧密码输入错误！"_s << u"1234"_s;
    QTest::newRow("no such card") << u"009"_s << u"1234"_s << u"8888"_s << u"8888"_s
                                  << u"旧密码输入错误！"_s << u"1234"_s;
    QTest::newRow("confirmation differs") << u"001"_s << u"1234"_s << u"8888"_s << u"8889"_s
                                          << u"两次输入的新密码不一致！"_s << u"1234"_s;
    QTest::newRow("wrong old before a differing confirmation")
        << u"001"_s << u"4321"_s << u"8888"_s << u"8889"_s << u"旧密码输入错误！"_s << u"1234"_s;
    QTest::newRow("letters keep their case") << u"002"_s << u"ABC"_s << u"x"_s << u"x"_s
                                             << u"旧密码输入错误！"_s << u"abc"_s;
    QTest::newRow("quotes are characters") << u"00'3"_s << u"a'b"_s << u"c'd"_s << u"c'd"_s
                                           << QString() << u"c'd"_s;
}

void TestMemberServices::passwordChange()
{
    QFETCH(QString, card);
    QFETCH(QString, oldPassword);
    QFETCH(QString, newPassword);
    QFETCH(QString, confirmation);
    QFETCH(QString, message);
    QFETCH(QString, stored);
    Shop shop;
    shop.member(u"001"_s, u"王芳"_s, u"0"_s, u"1234"_s);
    shop.member(u"002"_s, u"李娜"_s, u"0"_s, u"abc"_s);
    shop.member(u"00'3"_s, u"O'Neil"_s, u"0"_s, u"a'b"_s);
    QCOMPARE(refusalOf([&] {
                 shop.passwords().change(card, oldPassword, newPassword, confirmation);
             }),
             message);
    const QString member = card == u"009" ? u"001"_s : card;
    QCOMPARE(shop.password(member).toString(), stored);
    if (member != u"001")
        QCOMPARE(shop.password(u"001"_s).toString(), u"1234"_s);
}

void TestMemberServices::emptyPasswordIsAPasswordToo()
{
    Shop shop;
    shop.member(u"001"_s, u"王芳"_s, u"0"_s, u"1234"_s);
    shop.member(u"002"_s, u"李娜"_s, u"0"_s, QVariant());
    // Empty boxes hand over null text.
    shop.passwords().change(u"001"_s, u"1234"_s, QString(), QString());
    QCOMPARE(shop.password(u"001"_s), QVariant(u""_s));
    shop.passwords().change(u"001"_s, QString(), u"5678"_s, u"5678"_s);
    QCOMPARE(shop.password(u"001"_s).toString(), u"5678"_s);
    // A member who never had one gets one from an empty old password.
    shop.passwords().change(u"002"_s, QString(), u"1111"_s, u"1111"_s);
    QCOMPARE(shop.password(u"002"_s).toString(), u"1111"_s);
}

void TestMemberServices::staleChangeIsRefused()
{
    Shop shop;
    shop.member(u"001"_s, u"王芳"_s, u"0"_s, u"1234"_s);
    MemberPasswords passwords = shop.passwords();
    // Another workstation resets the password after the old one was checked.
    passwords.setBeforeWrite([&] {
        shop.db->execute(u"update 会员管理 set 密码='0000' where 会员卡号='001'"_s);
    });
    QCOMPARE(refusalOf([&] { passwords.change(u"001"_s, u"1234"_s, u"8888"_s, u"8888"_s); }),
             u"旧密码输入错误！"_s);
    QCOMPARE(shop.password(u"001"_s).toString(), u"0000"_s);
}

void TestMemberServices::resetNeedsTheRight()
{
    Shop shop;
    shop.member(u"001"_s, u"王芳"_s, u"0"_s, u"1234"_s);
    shop.context.Rights = Rights::all();
    shop.context.Rights.set(Right::MemberEdit, false);
    QCOMPARE(refusalOf([&] { shop.passwords().checkResettable(); }), u"没有权限"_s);
    QCOMPARE(refusalOf([&] { shop.passwords().reset(u"001"_s); }), u"没有权限"_s);
    QCOMPARE(shop.password(u"001"_s).toString(), u"1234"_s);
    QCOMPARE(shop.count(u"日志"_s), 0);
    shop.context.Rights.set(Right::MemberEdit, true);
    QCOMPARE(refusalOf([&] { shop.passwords().checkResettable(); }), QString());
}

void TestMemberServices::resetWritesPasswordAndLog()
{
    Shop shop;
    shop.member(u"001"_s, u"王芳"_s, u"0"_s, u"1234"_s);
    shop.member(u"002"_s, u"李娜"_s, u"0"_s, u"abcd"_s);
    shop.context.Rights.set(Right::MemberEdit, true);
    shop.passwords().reset(u"001"_s);
    QCOMPARE(shop.password(u"001"_s).toString(), u"0000"_s);
    QCOMPARE(shop.password(u"002"_s).toString(), u"abcd"_s);
    QCOMPARE(shop.count(u"日志"_s), 1);
    const QSqlRecord log = shop.db->firstRow(u"select * from 日志"_s);
    QCOMPARE(log.value(u"事件"_s).toString(), u"重置密码"_s);
    QCOMPARE(DateFormat::fromVariant(log.value(u"日期"_s)), Now);
    QCOMPARE(log.value(u"管理员"_s).toString(), u"前台"_s);
    QCOMPARE(log.value(u"说明"_s).toString(), u"会员卡号:001"_s);
}

void TestMemberServices::resetOfAnUnknownCardWritesNothing()
{
    Shop shop;
    shop.member(u"001"_s, u"王芳"_s, u"0"_s, u"1234"_s);
    shop.context.Rights.set(Right::MemberEdit, true);
    for (const QString &card : {u"0011"_s, u"001 "_s, QString()})
        QCOMPARE(refusalOf([&] { shop.passwords().reset(card); }), u"没有找到改会员!"_s);
    QCOMPARE(shop.password(u"001"_s).toString(), u"1234"_s);
    QCOMPARE(shop.count(u"日志"_s), 0);
}

void TestMemberServices::resetAndLogAreOneTransaction()
{
    Shop shop;
    shop.member(u"001"_s, u"王芳"_s, u"0"_s, u"1234"_s);
    shop.context.Rights.set(Right::MemberEdit, true);
    // An operator name the database refuses stops the log row after the
    // password was set.
    shop.context.OperatorName = u"前\u0001台"_s;
    QVERIFY_THROWS_EXCEPTION(DbError, shop.passwords().reset(u"001"_s));
    QCOMPARE(shop.password(u"001"_s).toString(), u"1234"_s);
    QCOMPARE(shop.count(u"日志"_s), 0);
    QVERIFY(!shop.db->inTransaction());
}

// ---------------------------------------------------------------- recharge records

void TestMemberServices::recordSearch_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("notes");
    QTest::newRow("no value") << u"会员卡号"_s << QString() << u"请输入查询条件!"_s
                              << QStringList();
    QTest::newRow("no field") << QString() << u"001"_s << u"请输入查询条件!"_s << QStringList();
    QTest::newRow("card") << u"会员卡号"_s << u"001"_s << QString()
                          << QStringList{u"一"_s, u"三"_s};
    QTest::newRow("outer blanks removed") << u"会员卡号"_s << u" 001 "_s << QString()
                                          << QStringList{u"一"_s, u"三"_s};
    QTest::newRow("the whole value only") << u"会员卡号"_s << u"00"_s << QString()
                                          << QStringList();
    QTest::newRow("operator") << u"营业员"_s << u"店长"_s << QString() << QStringList{u"二"_s};
    QTest::newRow("a quote in the value") << u"会员姓名"_s << u"O'Neil"_s << QString()
                                          << QStringList{u"二"_s};
    QTest::newRow("a column typed") << u"充值金额"_s << u"-5"_s << QString()
                                    << QStringList{u"三"_s};
    QTest::newRow("not a column") << u"会员卡号 = '001' or 1"_s << u"1"_s
                                  << u"没有这个查询字段: 会员卡号 = '001' or 1"_s << QStringList();
}

void TestMemberServices::recordSearch()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QString, message);
    QFETCH(QStringList, notes);
    Shop shop;
    shop.member(u"001"_s, u"王芳"_s, u"0"_s);
    shop.member(u"002"_s, u"O'Neil"_s, u"0"_s);
    // Each recharge by the operator signed in at the time.
    const auto recharge = [&](const QString &card, const QString &amount, bool gift,
                              const QString &note) {
        Recharge desk = shop.recharge();
        desk.add(*desk.find(card), amount, gift, note);
    };
    recharge(u"001"_s, u"10"_s, false, u"一"_s);
    shop.context.OperatorName = u"店长"_s;
    recharge(u"002"_s, u"20"_s, false, u"二"_s);
    shop.context.OperatorName = u"前台"_s;
    recharge(u"001"_s, u"5"_s, true, u"三"_s);

    ListQuery query(*shop.db, RechargeRecords::list());
    QStringList found;
    const QString refusal = refusalOf([&] {
        found = column(query, RechargeRecords::search(field, value), u"备注"_s);
    });
    QCOMPARE(refusal, message);
    QCOMPARE(found, notes);
}

void TestMemberServices::recordRangeEnds_data()
{
    QTest::addColumn<QDateTime>("first");
    QTest::addColumn<QDateTime>("last");
    QTest::addColumn<bool>("withTimes");
    QTest::addColumn<QString>("card");
    QTest::addColumn<QStringList>("notes");
    const QDate day(2024, 3, 2);
    const auto at = [day](int hour, int minute, int second) {
        return QDateTime(day, QTime(hour, minute, second));
    };
    QTest::newRow("end date only: the whole day")
        << at(0, 0, 0) << at(0, 0, 0) << false << QString()
        << QStringList{u"00:00:00"_s, u"17:30:00"_s, u"17:30:01"_s, u"23:59:59"_s};
    QTest::newRow("two days") << at(0, 0, 0).addDays(-1) << at(0, 0, 0) << false << QString()
                              << QStringList{u"前日 23:59:59"_s, u"00:00:00"_s, u"17:30:00"_s,
                                             u"17:30:01"_s, u"23:59:59"_s};
    QTest::newRow("end time: up to that second")
        << at(0, 0, 0) << at(17, 30, 0) << true << QString()
        << QStringList{u"00:00:00"_s, u"17:30:00"_s};
    QTest::newRow("start time included") << at(17, 30, 1) << at(23, 59, 59) << true << QString()
                                         << QStringList{u"17:30:01"_s, u"23:59:59"_s};
    QTest::newRow("one second") << at(23, 59, 59).addDays(-1) << at(23, 59, 59).addDays(-1)
                                << true << QString() << QStringList{u"前日 23:59:59"_s};
    QTest::newRow("end before start") << at(0, 0, 0) << at(0, 0, 0).addDays(-1) << false
                                      << QString() << QStringList();
    QTest::newRow("with a card") << at(0, 0, 0) << at(0, 0, 0) << false << u"002"_s
                                 << QStringList{u"17:30:01"_s};
}

void TestMemberServices::recordRangeEnds()
{
    QFETCH(QDateTime, first);
    QFETCH(QDateTime, last);
    QFETCH(bool, withTimes);
    QFETCH(QString, card);
    QFETCH(QStringList, notes);
    Shop shop;
    shop.member(u"001"_s, u"王芳"_s, u"0"_s);
    shop.member(u"002"_s, u"李娜"_s, u"0"_s);
    Recharge recharge = shop.recharge();
    const QDate day(2024, 3, 2);
    const std::pair<QDateTime, QString> moments[] = {
        {QDateTime(day.addDays(-1), QTime(23, 59, 59)), u"前日 23:59:59"_s},
        {QDateTime(day, QTime(0, 0, 0)), u"00:00:00"_s},
        {QDateTime(day, QTime(17, 30, 0)), u"17:30:00"_s},
        {QDateTime(day, QTime(17, 30, 1)), u"17:30:01"_s},
        {QDateTime(day, QTime(23, 59, 59)), u"23:59:59"_s},
        {QDateTime(day.addDays(1), QTime(0, 0, 0)), u"次日 00:00:00"_s},
    };
    for (const auto &[moment, note] : moments) {
        shop.clock.set(moment);
        const QString member = note == u"17:30:01" ? u"002"_s : u"001"_s;
        recharge.add(*recharge.find(member), u"1"_s, false, note);
    }

    const ListFilter::Range period =
        withTimes ? ListFilter::upTo(u"充值日期"_s, first, last)
                  : ListFilter::wholeDays(u"充值日期"_s, first.date(), last.date());
    ListQuery query(*shop.db, RechargeRecords::list());
    const ListFilter filter = RechargeRecords::search(u"会员卡号"_s, card, period);
    QCOMPARE(column(query, filter, u"备注"_s), notes);
    QCOMPARE(query.footers(filter).rows, notes.size());
}

void TestMemberServices::recordListCountsAndSums()
{
    Shop shop;
    shop.member(u"001"_s, u"王芳"_s, u"0"_s);
    Recharge recharge = shop.recharge();
    const Recharge::Member member = *recharge.find(u"001"_s);
    recharge.add(member, u"0.0001"_s, false, QString());
    recharge.add(member, u"12.3456"_s, false, QString());
    recharge.add(member, u"0.1"_s, true, QString());
    ListQuery query(*shop.db, RechargeRecords::list());
    const ListQuery::Footers footers = query.footers();
    QCOMPARE(footers.rows, 3);
    QCOMPARE(footers.texts, (QStringList{u"3"_s, QString(), QString(), u"12.2457"_s, QString(),
                                         QString(), QString(), QString(), QString()}));
    // The balance moved by exactly what the list adds up to.
    QCOMPARE(shop.balance(u"001"_s).toString(), u"12.2457"_s);
}

// ---------------------------------------------------------------- member consumption

void TestMemberServices::consumptionSearch_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("searches");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("bills");
    QTest::newRow("no entry") << QString() << u"800"_s << false << QString() << QStringList();
    QTest::newRow("no value") << u"会员卡号"_s << QString() << false << QString()
                              << QStringList();
    QTest::newRow("part of a card") << u"会员卡号"_s << u"800"_s << true << QString()
                                    << QStringList{u"B1"_s, u"B3"_s, u"B4"_s};
    QTest::newRow("会员姓名 is the customer name") << u"会员姓名"_s << u"张"_s << true << QString()
                                                  << QStringList{u"B1"_s, u"B3"_s, u"B4"_s};
    QTest::newRow("walk-in bills too") << u"状态"_s << u"免单"_s << true << QString()
                                       << QStringList{u"B2"_s};
    QTest::newRow("operator") << u"营业员"_s << u"收银"_s << true << QString()
                              << QStringList{u"B2"_s};
    QTest::newRow("a percent sign is a character") << u"会员姓名"_s << u"100%"_s << true
                                                   << QString() << QStringList{u"B3"_s};
    QTest::newRow("an underscore is a character") << u"会员姓名"_s << u"张_"_s << true
                                                  << QString() << QStringList{u"B4"_s};
    QTest::newRow("the value is not trimmed") << u"会员姓名"_s << u"张 "_s << true << QString()
                                              << QStringList();
    QTest::newRow("a quote is a character") << u"会员姓名"_s << u"'s"_s << true << QString()
                                            << QStringList{u"B2"_s};
    QTest::newRow("a column typed") << u"单据号"_s << u"B"_s << true << QString()
                                    << QStringList{u"B1"_s, u"B2"_s, u"B3"_s, u"B4"_s};
    QTest::newRow("not a column") << u"会员姓名"_s + u" or 1=1"_s << u"x"_s << true
                                  << u"没有这个查询字段: 会员姓名 or 1=1"_s << QStringList();
}

void TestMemberServices::consumptionSearch()
{
    QFETCH(QString, entry);
    QFETCH(QString, value);
    QFETCH(bool, searches);
    QFETCH(QString, message);
    QFETCH(QStringList, bills);
    Shop shop;
    const QStringList rows[] = {
        {u"B1"_s, u"8001"_s, u"张三"_s, u"前台"_s, u"已结"_s},
        {u"B2"_s, u"非会员"_s, u"Li's"_s, u"收银"_s, u"免单"_s},
        {u"B3"_s, u"8002"_s, u"100%张"_s, u"前台"_s, u"已结"_s},
        {u"B4"_s, u"8003"_s, u"张_三"_s, u"前台"_s, u"已结"_s},
    };
    for (const QStringList &bill : rows) {
        BillStore::Bill row;
        row.number = bill[0];
        row.card = bill[1];
        row.customer = bill[2];
        row.operatorName = bill[3];
        row.status = bill[4];
        row.received = Money::fromInt(1);
        row.due = Money::fromInt(1);
        ShopBuilder(*shop.db).bill(row);
    }
    const std::optional<ListFilter> filter = MemberConsumption::search(entry, value);
    QCOMPARE(filter.has_value(), searches);
    if (!filter)
        return;
    ListQuery query(*shop.db, MemberConsumption::list());
    QStringList found;
    QCOMPARE(refusalOf([&] { found = column(query, *filter, u"单据号"_s); }), message);
    QCOMPARE(found, bills);
}

void TestMemberServices::consumptionFindsWhatSettlementWrote()
{
    Shop shop;
    shop.member(u"8001"_s, u"张三"_s, u"0"_s);
    shop.visit(u"剪发"_s, u"28.05"_s, u"2"_s);
    Checkout checkout(*shop.db, shop.clock, u"SP001"_s);
    checkout.open();
    checkout.identify(u"8001"_s, u"0000"_s);
    Settlement(*shop.db, shop.context.signedIn(), shop.clock).JieZhangHs(checkout, Settlement::Status::Paid);

    ListQuery query(*shop.db, MemberConsumption::list());
    const ListFilter filter = *MemberConsumption::search(u"会员姓名"_s, u"张"_s);
    QSqlQuery rows = query.run(filter);
    QVERIFY(rows.next());
    QCOMPARE(rows.value(u"会员卡号"_s).toString(), u"8001"_s);
    QCOMPARE(rows.value(u"号牌"_s).toString(), u"SP001"_s);
    QVERIFY(!rows.next());
    const ListQuery::Footers footers = query.footers(filter);
    QCOMPARE(footers.texts.at(5), u"56.1"_s);
    QCOMPARE(footers.texts.at(6), u"56.1"_s);
}

SALONDESK_DB_TEST_MAIN(TestMemberServices)

#include "tst_member_services.moc"
