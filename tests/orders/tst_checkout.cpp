#include "support/ShopBuilder.h"
#include "support/TestDb.h"

#include "common/Clock.h"
#include "common/Refusal.h"
#include "db/Database.h"
#include "orders/Checkout.h"
#include "orders/Settlement.h"
#include "session/AppContext.h"
#include "session/Rights.h"

#include <QSqlRecord>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(Settlement::Status)

namespace {

const QDateTime Shown(QDate(2024, 3, 15), QTime(14, 5, 9));

struct Shop
{
    std::unique_ptr<Database> db = TestDb::fresh();
    FixedClock clock{Shown};
    AppContext context;

    Shop()
    {
        context.OperatorName = u"前台"_s;
        context.Rights = Rights::all();
    }

    void plate(const QString &number, const QString &state, const QString &main,
               const QString &customer = u"散客"_s, const QString &deposit = u"0"_s)
    {
        ShopBuilder(*db).plate({.plate = number, .state = state, .mainPlate = main,
                                .customer = customer, .entered = Shown.addSecs(-3600),
                                .deposit = Money::fromText(deposit)});
    }
    // A line as booking leaves it: list price, 折扣 1, total = price × quantity.
    int line(const QString &plate, const QString &main, const QString &goods,
             const QString &price, const QString &quantity, const QString &discounts = u"y"_s)
    {
        ShopBuilder::Line line;
        line.plate = plate;
        line.mainPlate = main;
        line.goods = goods;
        line.price = Money::fromText(price);
        line.quantity = Money::fromText(quantity);
        line.discounts = discounts;
        line.operatorName = u"前台"_s;
        return ShopBuilder(*db).line(line);
    }
    void member(const QString &card, const QString &type, const QString &balance,
                const QString &points, const QString &password = u"0000"_s)
    {
        ShopBuilder(*db).member({.card = card, .name = u"张三"_s, .type = type,
                                 .balance = Money::fromText(balance),
                                 .points = Money::fromText(points), .password = password});
    }
    void memberType(const QString &name, const QVariant &rate)
    {
        db->execute(u"insert into 会员类型 (类型名称, 打折率) values (?, ?)"_s, {name, rate});
    }
    QString amount(const QString &sql, const QVariantList &values = {})
    {
        return Money::fromVariant(db->scalar(sql, values)).toString();
    }
    QString text(const QString &sql, const QVariantList &values = {})
    {
        return db->scalar(sql, values).toString();
    }
    int count(const QString &table)
    {
        return db->scalar(u"select count(*) from "_s + table).toInt();
    }
    std::unique_ptr<Checkout> checkout(const QString &plate)
    {
        auto checkout = std::make_unique<Checkout>(*db, clock, plate);
        checkout->open();
        return checkout;
    }
    QString settle(const Checkout &checkout, Settlement::Status status = Settlement::Status::Paid)
    {
        Settlement settlement(*db, context.signedIn(), clock);
        return settlement.JieZhangHs(checkout, status);
    }
};

// A group of three occupied plates under SP001 with lines on each.
void groupOfThree(Shop &shop)
{
    shop.plate(u"SP001"_s, u"占用"_s, u"SP001"_s, u"李女士"_s, u"100"_s);
    shop.plate(u"SP002"_s, u"占用"_s, u"SP001"_s);
    shop.plate(u"SP003"_s, u"占用"_s, u"SP001"_s);
    shop.line(u"SP001"_s, u"SP001"_s, u"门票"_s, u"20"_s, u"1"_s);
    shop.line(u"SP002"_s, u"SP001"_s, u"洗发"_s, u"33"_s, u"3"_s);
    shop.line(u"SP003"_s, u"SP001"_s, u"洗发水"_s, u"19.99"_s, u"1"_s, u"n"_s);
}

} // namespace

class TestCheckout : public QObject
{
    Q_OBJECT

private slots:
    void showingGathersTheGroupAndStampsItsLines();
    void showingStartsAgainFromListPrices();
    void movesRebuildTheBill();
    void discountStartsFromListPrice_data();
    void discountStartsFromListPrice();
    void rateNeverStoresWhatCannotBeReadBack_data();
    void rateNeverStoresWhatCannotBeReadBack();
    void discountKeepsEachLineApart();
    void discountReachesEveryLineOfALargeGroup();
    void memberIdentification();
    void memberTypeRateIsAppliedToTwoDecimals();
    void memberTypeWithoutRateGivesNoDiscount_data();
    void memberTypeWithoutRateGivesNoDiscount();
    void identificationSplitsThePaymentAgain_data();
    void identificationSplitsThePaymentAgain();
    void paymentSplit_data();
    void paymentSplit();
    void cardNeedsAMember();
    void settlesAGroupIntoOneBill();
    void memberPaysPartlyByCard();
    void walkInLeavesNoMemberTrace();
    void waivedAndCancelledTakeNoMoney_data();
    void waivedAndCancelledTakeNoMoney();
    void rightsRefuse_data();
    void rightsRefuse();
    void refusesWhatChangedElsewhere_data();
    void refusesWhatChangedElsewhere();
    void keepsARechargeMadeMeanwhile();
    void takenBillNumberMovesOn();
};

void TestCheckout::showingGathersTheGroupAndStampsItsLines()
{
    Shop shop;
    groupOfThree(shop);
    shop.plate(u"SP004"_s, u"占用"_s, u"SP004"_s);
    // Free and reserved plates that still carry the number do not join.
    shop.plate(u"SP005"_s, u"可用"_s, u"SP001"_s);
    shop.plate(u"SP006"_s, u"预定"_s, u"SP001"_s);

    auto checkout = shop.checkout(u"SP002"_s);

    QCOMPARE(checkout->mainPlate(), u"SP001"_s);
    QCOMPARE(checkout->group(), QStringList({u"SP002"_s, u"SP001"_s, u"SP003"_s}));
    QCOMPARE(checkout->others(), QStringList({u"SP004"_s}));
    QCOMPARE(checkout->billNumber(), u"20240315140509"_s);
    QCOMPARE(checkout->lines().size(), 3);
    QCOMPARE(checkout->due().toString(), u"138.99"_s);
    QCOMPARE(checkout->received().toString(), u"138.99"_s);
    QCOMPARE(checkout->customerName(), u"散客"_s);
    QCOMPARE(shop.text(u"select 主号牌 from 号牌管理 where 号牌='SP005'"_s), QString());
    QCOMPARE(shop.text(u"select count(*) from xfmx where 单据号=? and 会员卡号='非会员' "
                       "and 顾客姓名='散客'"_s,
                       {checkout->billNumber()}),
             u"3"_s);
}

void TestCheckout::showingStartsAgainFromListPrices()
{
    // A checkout that was left after a discount leaves discounted totals.
    Shop shop;
    groupOfThree(shop);
    shop.checkout(u"SP001"_s)->applyRate(u"0.5"_s);
    QCOMPARE(shop.amount(u"select sum(合计) from xfmx"_s), u"79.49"_s);

    auto again = shop.checkout(u"SP001"_s);
    QCOMPARE(again->due().toString(), u"138.99"_s);
    QCOMPARE(shop.amount(u"select sum(合计) from xfmx"_s), u"138.99"_s);
}

void TestCheckout::movesRebuildTheBill()
{
    Shop shop;
    groupOfThree(shop);
    shop.plate(u"SP004"_s, u"占用"_s, u"SP004"_s);
    shop.line(u"SP004"_s, u"SP004"_s, u"剪发"_s, u"15"_s, u"1"_s);
    auto checkout = shop.checkout(u"SP001"_s);

    checkout->moveIn(u"SP004"_s);
    QCOMPARE(checkout->group().last(), u"SP004"_s);
    QCOMPARE(checkout->due().toString(), u"153.99"_s);
    checkout->moveOut(u"SP002"_s);
    QCOMPARE(checkout->others(), QStringList({u"SP002"_s}));
    QCOMPARE(checkout->due().toString(), u"54.99"_s);
    // The checkout plate stays.
    checkout->moveOut(u"SP001"_s);
    QVERIFY(checkout->group().contains(u"SP001"_s));

    // The lines of the plate moved out do not hold the number against it.
    QCOMPARE(shop.settle(*checkout), checkout->billNumber());
    QCOMPARE(shop.text(u"select 号牌状态 from 号牌管理 where 号牌='SP002'"_s), u"占用"_s);
    QCOMPARE(shop.text(u"select 号牌状态 from 号牌管理 where 号牌='SP004'"_s), u"可用"_s);
    QCOMPARE(shop.text(u"select 商品名 from xfmx"_s), u"洗发"_s);
}

void TestCheckout::discountStartsFromListPrice_data()
{
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("discounts");
    QTest::addColumn<QString>("rate");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("total");
    QTest::newRow("0.9 of 19.99") << u"19.99"_s << u"1"_s << u"y"_s << u"0.9"_s << u"17.991"_s
                                  << u"17.991"_s;
    QTest::newRow("0.85 of 33, three") << u"33"_s << u"3"_s << u"y"_s << u"0.85"_s << u"28.05"_s
                                       << u"84.15"_s;
    QTest::newRow("capital Y") << u"10"_s << u"1"_s << u"Y"_s << u"0.5"_s << u"5"_s << u"5"_s;
    QTest::newRow("half to even") << u"0.0005"_s << u"1"_s << u"y"_s << u"0.5"_s << u"0.0002"_s
                                  << u"0.0002"_s;
    QTest::newRow("not discounted") << u"19.99"_s << u"2"_s << u"n"_s << u"0.5"_s << u"19.99"_s
                                    << u"39.98"_s;
    QTest::newRow("negative line") << u"40"_s << u"-1"_s << u"y"_s << u"0.8"_s << u"32"_s
                                   << u"-32"_s;
}

void TestCheckout::discountStartsFromListPrice()
{
    QFETCH(QString, price);
    QFETCH(QString, quantity);
    QFETCH(QString, discounts);
    QFETCH(QString, rate);
    QFETCH(QString, unit);
    QFETCH(QString, total);
    Shop shop;
    shop.plate(u"SP001"_s, u"占用"_s, u"SP001"_s);
    const int id = shop.line(u"SP001"_s, u"SP001"_s, u"项目"_s, price, quantity, discounts);
    auto checkout = shop.checkout(u"SP001"_s);

    // Twice: the second application starts from the list price again.
    checkout->applyRate(rate);
    checkout->applyRate(rate);

    const Checkout::Line &line = checkout->lines().first();
    QCOMPARE(line.actualPrice.toString(), unit);
    QCOMPARE(line.total.toString(), total);
    QCOMPARE(checkout->due().toString(), total);
    QCOMPARE(shop.amount(u"select 合计 from xfmx where ID=?"_s, {id}), total);
    QCOMPARE(shop.amount(u"select 实际单价 from xfmx where ID=?"_s, {id}),
             discounts == u"n" ? price : unit);
}

void TestCheckout::rateNeverStoresWhatCannotBeReadBack_data()
{
    QTest::addColumn<QString>("rate");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("a surcharge that stays within the range") << u"1.1"_s << QString();
    QTest::newRow("a surcharge past the range") << u"2"_s << u"金额超出范围"_s;
    QTest::newRow("a rate of 24 digits") << u"123456789012345678901234"_s << u"金额超出范围"_s;
}

// A rate above 1 raises the prices; a line it would take past the amounts
// the database keeps is refused and the lines stay as they were.
void TestCheckout::rateNeverStoresWhatCannotBeReadBack()
{
    QFETCH(QString, rate);
    QFETCH(QString, refusal);
    Shop shop;
    shop.plate(u"SP001"_s, u"占用"_s, u"SP001"_s);
    const int id = shop.line(u"SP001"_s, u"SP001"_s, u"项目"_s, u"60000000000"_s, u"1"_s);
    auto checkout = shop.checkout(u"SP001"_s);

    QString said;
    try {
        checkout->applyRate(rate);
    } catch (const Refusal &refused) {
        said = refused.text();
    }

    QCOMPARE(said, refusal);
    const QString total = shop.amount(u"select 合计 from xfmx where ID=?"_s, {id});
    QCOMPARE(total, refusal.isEmpty() ? u"66000000000"_s : u"60000000000"_s);
}

void TestCheckout::discountKeepsEachLineApart()
{
    Shop shop;
    shop.plate(u"SP001"_s, u"占用"_s, u"SP001"_s);
    const int one = shop.line(u"SP001"_s, u"SP001"_s, u"洗发"_s, u"30"_s, u"1"_s);
    const int two = shop.line(u"SP001"_s, u"SP001"_s, u"洗发"_s, u"30"_s, u"2"_s);
    auto checkout = shop.checkout(u"SP001"_s);
    checkout->applyRate(u"0.9"_s);
    QCOMPARE(shop.amount(u"select 合计 from xfmx where ID=?"_s, {one}), u"27"_s);
    QCOMPARE(shop.amount(u"select 合计 from xfmx where ID=?"_s, {two}), u"54"_s);
    QCOMPARE(checkout->due().toString(), u"81"_s);

    QVERIFY_THROWS_EXCEPTION(Refusal, checkout->applyRate(u"0.9.1"_s));
    QCOMPARE(checkout->due().toString(), u"81"_s);
}

void TestCheckout::discountReachesEveryLineOfALargeGroup()
{
    // More lines than one statement carries.
    Shop shop;
    shop.plate(u"SP001"_s, u"占用"_s, u"SP001"_s);
    shop.plate(u"SP002"_s, u"占用"_s, u"SP001"_s);
    for (int quantity = 1; quantity <= 230; ++quantity) {
        shop.line(quantity % 2 ? u"SP001"_s : u"SP002"_s, u"SP001"_s, u"洗发"_s, u"10"_s,
                  QString::number(quantity), quantity % 7 ? u"y"_s : u"n"_s);
    }
    auto checkout = shop.checkout(u"SP001"_s);
    checkout->applyRate(u"0.5"_s);
    QCOMPARE(shop.text(u"select count(*) from xfmx where 参与打折='y' and "
                       "(abs(合计 - 数量 * 5) > 0.00001 or abs(实际单价 - 5) > 0.00001)"_s),
             u"0"_s);
    QCOMPARE(shop.text(u"select count(*) from xfmx where 参与打折='n' and abs(合计 - 数量 * 10) > 0.00001"_s),
             u"0"_s);
    // Quantities 1 to 230; every seventh (3696 pieces in all) at full price.
    QCOMPARE(checkout->due().toString(), u"151305"_s);
    QCOMPARE(shop.amount(u"select sum(合计) from xfmx"_s), u"151305"_s);
}

void TestCheckout::memberIdentification()
{
    Shop shop;
    shop.plate(u"SP001"_s, u"占用"_s, u"SP001"_s);
    shop.line(u"SP001"_s, u"SP001"_s, u"洗发"_s, u"50"_s, u"1"_s);
    shop.member(u"8001"_s, u"未设置"_s, u"30"_s, u"100"_s);
    shop.member(u"8002"_s, u"未设置"_s, u"0"_s, u"0"_s, u"4321"_s);
    auto checkout = shop.checkout(u"SP001"_s);

    try {
        checkout->lookUpCard(u"9999"_s);
        QFAIL("an unknown card was accepted");
    } catch (const Refusal &refusal) {
        QCOMPARE(refusal.text(), u"没有这个卡号的会员!"_s);
    }
    QCOMPARE(checkout->lookUpCard(u"8001"_s), u"0000"_s);
    QCOMPARE(checkout->lookUpCard(u"8002"_s), QString());

    checkout->identify(u"8001"_s, u"0000"_s);
    QVERIFY(checkout->hasMember());
    QCOMPARE(checkout->member().balance.toString(), u"30"_s);
    QCOMPARE(checkout->member().points.toString(), u"100"_s);
    QCOMPARE(checkout->customerName(), u"张三"_s);
    // A wrong password keeps the member found before.
    try {
        checkout->identify(u"8002"_s, u"0000"_s);
        QFAIL("a wrong password was accepted");
    } catch (const Refusal &refusal) {
        QCOMPARE(refusal.text(), u"密码错误！"_s);
    }
    QCOMPARE(checkout->member().card, u"8001"_s);
    // Without a row for its type the member pays list prices.
    QCOMPARE(checkout->rateText(), u"1"_s);
}

void TestCheckout::memberTypeRateIsAppliedToTwoDecimals()
{
    Shop shop;
    shop.plate(u"SP001"_s, u"占用"_s, u"SP001"_s);
    shop.line(u"SP001"_s, u"SP001"_s, u"洗发"_s, u"100"_s, u"1"_s);
    shop.memberType(u"金卡"_s, u"0.875"_s);
    shop.member(u"8001"_s, u"金卡"_s, u"500"_s, u"0"_s);
    auto checkout = shop.checkout(u"SP001"_s);
    checkout->choosePayment(u"现金支付"_s);
    checkout->identify(u"8001"_s, u"0000"_s);
    QCOMPARE(checkout->rateText(), u"0.88"_s);
    QCOMPARE(checkout->due().toString(), u"88"_s);
    QCOMPARE(checkout->received().toString(), u"88"_s);
}

void TestCheckout::memberTypeWithoutRateGivesNoDiscount_data()
{
    QTest::addColumn<QVariant>("rate");
    QTest::newRow("NULL") << QVariant(QMetaType::fromType<QString>());
    // Only SQLite keeps text in a numeric column.
    if (TestDb::backend() == Backend::Sqlite) {
        QTest::newRow("empty text") << QVariant(u""_s);
        QTest::newRow("not a number") << QVariant(u"八折"_s);
    }
}

void TestCheckout::memberTypeWithoutRateGivesNoDiscount()
{
    QFETCH(QVariant, rate);
    Shop shop;
    shop.plate(u"SP001"_s, u"占用"_s, u"SP001"_s);
    const int perm = shop.line(u"SP001"_s, u"SP001"_s, u"烫发"_s, u"280"_s, u"1"_s);
    shop.line(u"SP001"_s, u"SP001"_s, u"发夹"_s, u"5"_s, u"1"_s, u"n"_s);
    shop.memberType(u"银卡"_s, rate);
    shop.member(u"8001"_s, u"银卡"_s, u"500"_s, u"0"_s);
    auto checkout = shop.checkout(u"SP001"_s);
    // A rate the operator gave before is no member rate either.
    checkout->applyRate(u"0.9"_s);

    const QString notice = checkout->identify(u"8001"_s, u"0000"_s);

    QCOMPARE(checkout->due().toString(), u"285"_s);
    QCOMPARE(checkout->lines().first().total.toString(), u"280"_s);
    QCOMPARE(shop.amount(u"select 合计 from xfmx where ID=?"_s, {perm}), u"280"_s);
    QCOMPARE(checkout->rateText(), u"1"_s);
    QCOMPARE(checkout->member().card, u"8001"_s);
    QVERIFY2(notice.startsWith(u"会员类型 银卡 没有设置打折率，不打折。"_s), qPrintable(notice));
}

void TestCheckout::identificationSplitsThePaymentAgain_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("type without a row") << u"未设置"_s << QString();
    QTest::newRow("type without a rate") << u"银卡"_s << QString();
    QTest::newRow("type with a refused rate") << u"坏卡"_s << u"打折率输入错误!"_s;
}

void TestCheckout::identificationSplitsThePaymentAgain()
{
    QFETCH(QString, type);
    QFETCH(QString, refusal);
    Shop shop;
    shop.plate(u"SP001"_s, u"占用"_s, u"SP001"_s);
    shop.line(u"SP001"_s, u"SP001"_s, u"烫发"_s, u"100"_s, u"1"_s);
    shop.memberType(u"金卡"_s, u"1"_s);
    shop.memberType(u"银卡"_s, QVariant(QMetaType::fromType<QString>()));
    shop.memberType(u"坏卡"_s, u"-0.5"_s);
    shop.member(u"8001"_s, u"金卡"_s, u"500"_s, u"0"_s);
    ShopBuilder(*shop.db).member({.card = u"8002"_s, .name = u"李四"_s, .type = type,
                                  .balance = Money::fromInt(10)});
    auto checkout = shop.checkout(u"SP001"_s);
    checkout->identify(u"8001"_s, u"0000"_s);
    checkout->choosePayment(u"卡内扣除"_s);
    QCOMPARE(checkout->cardDeduction().toString(), u"100"_s);

    // The second member's card holds 10: that is all it can pay.
    try {
        checkout->identify(u"8002"_s, u"0000"_s);
        QVERIFY2(refusal.isEmpty(), "the refused rate was taken");
    } catch (const Refusal &refused) {
        QCOMPARE(refused.text(), refusal);
    }
    QCOMPARE(checkout->member().card, u"8002"_s);
    QCOMPARE(checkout->due().toString(), u"100"_s);
    QCOMPARE(checkout->cardDeduction().toString(), u"10"_s);
    QCOMPARE(checkout->received().toString(), u"90"_s);

    // And settlement takes what the window shows.
    shop.settle(*checkout);
    QCOMPARE(shop.amount(u"select 卡内金额 from 会员管理 where 会员卡号='8002'"_s), u"0"_s);
    QCOMPARE(shop.amount(u"select 实收金额 from 结帐管理"_s), u"90"_s);
}

void TestCheckout::paymentSplit_data()
{
    QTest::addColumn<QString>("balance");
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("deduction");
    QTest::addColumn<QString>("received");
    QTest::newRow("card short of the due") << u"30"_s << u"卡内扣除"_s << u"30"_s << u"20"_s;
    QTest::newRow("card covers the due") << u"80"_s << u"卡内扣除"_s << u"50"_s << u"0"_s;
    QTest::newRow("card exactly the due") << u"50"_s << u"卡内扣除"_s << u"50"_s << u"0"_s;
    QTest::newRow("empty card") << u"0"_s << u"卡内扣除"_s << u"0"_s << u"50"_s;
    QTest::newRow("cash") << u"80"_s << u"现金支付"_s << u"0"_s << u"50"_s;
    QTest::newRow("bank card") << u"80"_s << u"银行卡"_s << u"0"_s << u"50"_s;
}

void TestCheckout::paymentSplit()
{
    QFETCH(QString, balance);
    QFETCH(QString, method);
    QFETCH(QString, deduction);
    QFETCH(QString, received);
    Shop shop;
    shop.plate(u"SP001"_s, u"占用"_s, u"SP001"_s);
    shop.line(u"SP001"_s, u"SP001"_s, u"烫发"_s, u"50"_s, u"1"_s);
    shop.member(u"8001"_s, u"未设置"_s, balance, u"100"_s);
    auto checkout = shop.checkout(u"SP001"_s);
    checkout->identify(u"8001"_s, u"0000"_s);
    checkout->choosePayment(method);
    QCOMPARE(checkout->cardDeduction().toString(), deduction);
    QCOMPARE(checkout->received().toString(), received);
    QCOMPARE(checkout->due().toString(), u"50"_s);
}

void TestCheckout::cardNeedsAMember()
{
    Shop shop;
    shop.plate(u"SP001"_s, u"占用"_s, u"SP001"_s);
    shop.line(u"SP001"_s, u"SP001"_s, u"烫发"_s, u"50"_s, u"1"_s);
    auto checkout = shop.checkout(u"SP001"_s);
    try {
        checkout->choosePayment(u"卡内扣除"_s);
        QFAIL("a walk-in customer paid by card");
    } catch (const Refusal &refusal) {
        QCOMPARE(refusal.text(), u"非会员不能卡内扣除,只能付现金结帐!"_s);
    }
    QCOMPARE(checkout->paymentMethod(), u"现金支付"_s);
    QCOMPARE(checkout->cardDeduction().toString(), u"0"_s);
}

void TestCheckout::settlesAGroupIntoOneBill()
{
    Shop shop;
    groupOfThree(shop);
    auto checkout = shop.checkout(u"SP001"_s);
    checkout->applyRate(u"0.85"_s);
    checkout->setRemark(u"老顾客"_s);

    const QString number = shop.settle(*checkout);

    QCOMPARE(number, u"20240315140509"_s);
    QCOMPARE(shop.count(u"xfmx"_s), 0);
    QCOMPARE(shop.count(u"结帐管理"_s), 1);
    QCOMPARE(shop.text(u"select count(*) from jzmx where 单据号=?"_s, {number}), u"3"_s);
    QCOMPARE(shop.text(u"select count(*) from 号牌管理 where 号牌状态='可用'"_s), u"3"_s);
    // 17 + 84.15 + 19.99 (not discounted)
    QCOMPARE(shop.amount(u"select sum(合计) from jzmx"_s), u"121.14"_s);
    const QSqlRecord bill = shop.db->firstRow(u"select * from 结帐管理"_s);
    QCOMPARE(bill.value(u"号牌"_s).toString(), u"SP001"_s);
    QCOMPARE(Money::fromVariant(bill.value(u"应收金额"_s)).toString(), u"121.14"_s);
    QCOMPARE(Money::fromVariant(bill.value(u"实收金额"_s)).toString(), u"121.14"_s);
    QCOMPARE(bill.value(u"状态"_s).toString(), u"已结"_s);
    QCOMPARE(bill.value(u"结帐方式"_s).toString(), u"现金支付"_s);
    QCOMPARE(bill.value(u"顾客姓名"_s).toString(), u"李女士"_s);
    QCOMPARE(bill.value(u"备注"_s).toString(), u"老顾客"_s);
    QCOMPARE(bill.value(u"营业员"_s).toString(), u"前台"_s);
    // The lines keep their IDs, so a reversal puts back the very same lines.
    QCOMPARE(shop.text(u"select min(ID) from jzmx"_s), u"1"_s);

    // The same window cannot settle the group a second time.
    QVERIFY_THROWS_EXCEPTION(Refusal, shop.settle(*checkout));
    QCOMPARE(shop.count(u"结帐管理"_s), 1);
}

void TestCheckout::memberPaysPartlyByCard()
{
    Shop shop;
    shop.plate(u"SP001"_s, u"占用"_s, u"SP001"_s);
    shop.line(u"SP001"_s, u"SP001"_s, u"烫发"_s, u"50"_s, u"1"_s);
    shop.member(u"8001"_s, u"未设置"_s, u"30"_s, u"100"_s);
    auto checkout = shop.checkout(u"SP001"_s);
    checkout->identify(u"8001"_s, u"0000"_s);
    checkout->choosePayment(u"卡内扣除"_s);

    shop.settle(*checkout);

    QCOMPARE(shop.amount(u"select 卡内金额 from 会员管理"_s), u"0"_s);
    QCOMPARE(shop.amount(u"select 当前积分 from 会员管理"_s), u"120"_s);
    const QSqlRecord bill = shop.db->firstRow(u"select * from 结帐管理"_s);
    QCOMPARE(Money::fromVariant(bill.value(u"卡内扣除"_s)).toString(), u"30"_s);
    QCOMPARE(Money::fromVariant(bill.value(u"实收金额"_s)).toString(), u"20"_s);
    QCOMPARE(Money::fromVariant(bill.value(u"应收金额"_s)).toString(), u"50"_s);
    QCOMPARE(bill.value(u"结帐方式"_s).toString(), u"卡内扣除"_s);
    QCOMPARE(bill.value(u"会员卡号"_s).toString(), u"8001"_s);
    QCOMPARE(bill.value(u"顾客姓名"_s).toString(), u"张三"_s);
    QCOMPARE(shop.text(u"select 顾客姓名 from jzmx"_s), u"张三"_s);
    QCOMPARE(shop.text(u"select 会员卡号 from jzmx"_s), u"8001"_s);
}

void TestCheckout::walkInLeavesNoMemberTrace()
{
    Shop shop;
    shop.plate(u"SP001"_s, u"占用"_s, u"SP001"_s, u"王先生"_s);
    shop.line(u"SP001"_s, u"SP001"_s, u"剪发"_s, u"25"_s, u"1"_s);
    shop.member(u"8001"_s, u"未设置"_s, u"30"_s, u"100"_s);
    shop.settle(*shop.checkout(u"SP001"_s));
    QCOMPARE(shop.text(u"select 会员卡号 from 结帐管理"_s), u"非会员"_s);
    QCOMPARE(shop.text(u"select 顾客姓名 from 结帐管理"_s), u"王先生"_s);
    QCOMPARE(shop.text(u"select 顾客姓名 from jzmx"_s), u"散客"_s);
    QCOMPARE(shop.amount(u"select 卡内金额 + 当前积分 from 会员管理"_s), u"130"_s);
}

void TestCheckout::waivedAndCancelledTakeNoMoney_data()
{
    QTest::addColumn<Settlement::Status>("status");
    QTest::addColumn<QString>("text");
    QTest::newRow("waived") << Settlement::Status::Waived << u"免单"_s;
    QTest::newRow("cancelled") << Settlement::Status::Cancelled << u"撤单"_s;
}

void TestCheckout::waivedAndCancelledTakeNoMoney()
{
    QFETCH(Settlement::Status, status);
    QFETCH(QString, text);
    Shop shop;
    shop.plate(u"SP001"_s, u"占用"_s, u"SP001"_s);
    shop.line(u"SP001"_s, u"SP001"_s, u"烫发"_s, u"50"_s, u"1"_s);
    shop.member(u"8001"_s, u"未设置"_s, u"30"_s, u"100"_s);
    auto checkout = shop.checkout(u"SP001"_s);
    checkout->identify(u"8001"_s, u"0000"_s);
    checkout->choosePayment(u"卡内扣除"_s);

    shop.settle(*checkout, status);

    QCOMPARE(shop.amount(u"select 卡内金额 from 会员管理"_s), u"30"_s);
    QCOMPARE(shop.amount(u"select 当前积分 from 会员管理"_s), u"100"_s);
    const QSqlRecord bill = shop.db->firstRow(u"select * from 结帐管理"_s);
    QCOMPARE(bill.value(u"状态"_s).toString(), text);
    QCOMPARE(Money::fromVariant(bill.value(u"实收金额"_s)).toString(), u"0"_s);
    QCOMPARE(Money::fromVariant(bill.value(u"卡内扣除"_s)).toString(), u"0"_s);
    QCOMPARE(Money::fromVariant(bill.value(u"应收金额"_s)).toString(), u"50"_s);
    QCOMPARE(shop.count(u"jzmx"_s), 1);
    QCOMPARE(shop.text(u"select 号牌状态 from 号牌管理"_s), u"可用"_s);
}

void TestCheckout::rightsRefuse_data()
{
    QTest::addColumn<Settlement::Status>("status");
    QTest::addColumn<QString>("right");
    QTest::addColumn<QString>("message");
    QTest::newRow("waive") << Settlement::Status::Waived << u"免单"_s
                           << u"操作失败:您没有免单权限,请让有更高权限的人来操作!"_s;
    QTest::newRow("cancel") << Settlement::Status::Cancelled << u"撤单"_s
                            << u"操作失败:您没有撤单权限,请让有此权限的管理员来操作!"_s;
}

void TestCheckout::rightsRefuse()
{
    QFETCH(Settlement::Status, status);
    QFETCH(QString, right);
    QFETCH(QString, message);
    Shop shop;
    groupOfThree(shop);
    Operator without{u"小李"_s, Rights::all()};
    without.rights.set(*Rights::ofColumn(right), false);
    const auto checkout = shop.checkout(u"SP001"_s);
    try {
        Settlement(*shop.db, without, shop.clock).JieZhangHs(*checkout, status);
        QFAIL("refused right accepted");
    } catch (const Refusal &refusal) {
        QCOMPARE(refusal.text(), message);
    }
    QCOMPARE(shop.db->scalar(u"select count(*) from 结帐管理"_s).toInt(), 0);
    // Paying needs no right; waiving and cancelling go ahead with theirs.
    QVERIFY(!Settlement(*shop.db, Operator{u"小李"_s, {*Rights::ofColumn(right)}},
                        shop.clock)
                 .JieZhangHs(*checkout, status)
                 .isEmpty());
}

void TestCheckout::refusesWhatChangedElsewhere_data()
{
    QTest::addColumn<QString>("elsewhere");
    QTest::newRow("settled elsewhere")
        << u"update 号牌管理 set 号牌状态='可用' where 号牌='SP002'"_s;
    QTest::newRow("line added")
        << u"insert into xfmx (号牌, 主号牌, 商品名, 单价, 数量, 合计) "
           "values ('SP003', 'SP001', '发膜', 10, 1, 10)"_s;
    QTest::newRow("line removed") << u"delete from xfmx where 号牌='SP003'"_s;
    QTest::newRow("total changed") << u"update xfmx set 合计=1 where 号牌='SP002'"_s;
    QTest::newRow("card spent") << u"update 会员管理 set 卡内金额=10"_s;
    QTest::newRow("member deleted") << u"delete from 会员管理"_s;
}

void TestCheckout::refusesWhatChangedElsewhere()
{
    QFETCH(QString, elsewhere);
    Shop shop;
    groupOfThree(shop);
    shop.member(u"8001"_s, u"未设置"_s, u"50"_s, u"0"_s);
    auto checkout = shop.checkout(u"SP001"_s);
    checkout->identify(u"8001"_s, u"0000"_s);
    checkout->choosePayment(u"卡内扣除"_s);
    QCOMPARE(checkout->cardDeduction().toString(), u"50"_s);
    shop.db->execute(elsewhere);
    const int open = shop.count(u"xfmx"_s);
    const QString balance = shop.amount(u"select coalesce(sum(卡内金额), 0) from 会员管理"_s);

    try {
        shop.settle(*checkout);
        QFAIL("settled past another workstation's change");
    } catch (const Refusal &refusal) {
        QVERIFY2(refusal.text().contains(u"请退出后重新打开结帐窗口"_s), qPrintable(refusal.text()));
    }
    QCOMPARE(shop.count(u"结帐管理"_s), 0);
    QCOMPARE(shop.count(u"jzmx"_s), 0);
    QCOMPARE(shop.count(u"xfmx"_s), open);
    QCOMPARE(shop.amount(u"select coalesce(sum(卡内金额), 0) from 会员管理"_s), balance);
    QCOMPARE(shop.text(u"select count(*) from 号牌管理 where 号牌='SP001' and 号牌状态='占用'"_s),
             u"1"_s);
}

void TestCheckout::keepsARechargeMadeMeanwhile()
{
    Shop shop;
    shop.plate(u"SP001"_s, u"占用"_s, u"SP001"_s);
    shop.line(u"SP001"_s, u"SP001"_s, u"烫发"_s, u"50"_s, u"1"_s);
    shop.member(u"8001"_s, u"未设置"_s, u"30.05"_s, u"0.5"_s);
    auto checkout = shop.checkout(u"SP001"_s);
    checkout->identify(u"8001"_s, u"0000"_s);
    checkout->choosePayment(u"卡内扣除"_s);
    shop.db->execute(u"update 会员管理 set 卡内金额 = 卡内金额 + 100"_s);

    shop.settle(*checkout);

    QCOMPARE(shop.amount(u"select 卡内金额 from 会员管理"_s), u"100"_s);
    QCOMPARE(shop.amount(u"select 当前积分 from 会员管理"_s), u"20.45"_s);
}

void TestCheckout::takenBillNumberMovesOn()
{
    Shop shop;
    shop.plate(u"SP001"_s, u"占用"_s, u"SP001"_s);
    shop.line(u"SP001"_s, u"SP001"_s, u"剪发"_s, u"25"_s, u"1"_s);
    auto checkout = shop.checkout(u"SP001"_s);
    // Another workstation showed its window in the same second and settled first.
    ShopBuilder(*shop.db)
        .bill({.number = u"20240315140509"_s})
        .bill({.number = u"20240315140510"_s});

    QCOMPARE(shop.settle(*checkout), u"20240315140511"_s);
    QCOMPARE(shop.text(u"select 单据号 from jzmx"_s), u"20240315140511"_s);
}

SALONDESK_DB_TEST_MAIN(TestCheckout)
#include "tst_checkout.moc"
