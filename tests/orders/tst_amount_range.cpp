#include "support/ShopBuilder.h"
#include "support/TestDb.h"

#include "common/Clock.h"
#include "common/Refusal.h"
#include "db/Amounts.h"
#include "export/ExcelSheet.h"
#include "goods/GoodsCatalogue.h"
#include "goods/GoodsImport.h"
#include "goods/StockPurchases.h"
#include "lists/RecordTable.h"
#include "members/Recharge.h"
#include "orders/ConsumptionBooking.h"
#include "session/AppContext.h"
#include "session/Rights.h"
#include "staff/SalaryPayment.h"

#include <QSqlRecord>
#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;

// One range of amounts for the whole program, ±99,999,999,999.9999: what
// SQLite keeps in a numeric column (a double) exactly to four decimals.
// Every entry takes the bound and stores it so that it reads back as typed,
// and refuses the next amount past it with "金额超出范围".
class TestAmountRange : public QObject
{
    Q_OBJECT

private slots:
    void entriesStopAtTheBound_data();
    void entriesStopAtTheBound();
    void boundReadsBackFromEveryColumnKind_data();
    void boundReadsBackFromEveryColumnKind();
    void groupSumsStayWithinTheRange();
};

namespace {

const QString OutOfRange = u"金额超出范围"_s;
const QDateTime Now(QDate(2024, 3, 1), QTime(10, 0));

struct Shop
{
    std::unique_ptr<Database> db = TestDb::fresh();
    AppContext context = [] {
        AppContext signedIn;
        signedIn.OperatorName = u"小李"_s;
        signedIn.Rights = Rights::all();
        return signedIn;
    }();
    FixedClock clock{Now};
    ConsumptionBooking booking{*db, context.signedIn(), clock};

    Shop()
    {
        ShopBuilder(*db)
            .plate({.plate = u"A1"_s, .state = u"占用"_s})
            .plate({.plate = u"A2"_s, .state = u"占用"_s, .mainPlate = u"A1"_s})
            .goodsType(u"服务"_s, false, true, false)
            .goodsType(u"产品"_s, true, false, false)
            .member({.card = u"001"_s, .name = u"王芳"_s});
    }

    // An item as an older shop may hold it: its price written as it stands,
    // by hand, where the catalogue would refuse it.
    int item(const QString &price, const QString &type = u"服务"_s)
    {
        return db->scalar(u"insert into 商品库 (编号, 商品名, 拼音, 商品类型, 单价, 库存, 提成金额, 是否需要服务) "
                          "values ('9', '项目', 'XM', ?, ?, 0, 0, '否') returning id"_s,
                          {type, price})
            .toInt();
    }
    // The one amount in `column` of `table`, as the program reads it back;
    // empty when the table has no row.
    QString stored(const QString &table, const QString &column, const QString &where = {})
    {
        const QString sql = u"select "_s + column + u" from "_s + table
            + (where.isEmpty() ? QString() : u" where "_s + where);
        if (!db->exists(sql))
            return {};
        return readAmount(db->scalar(sql), table, column).toString();
    }
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

RecordTableDescription levels()
{
    return {.table = u"员工等级"_s,
            .keyColumn = u"等级编号"_s,
            .fields = {{.column = u"等级名称"_s, .caption = u"等级名称"_s},
                       {.column = u"工资"_s, .caption = u"工资"_s, .kind = RecordField::Kind::Money}}};
}

} // namespace

void TestAmountRange::entriesStopAtTheBound_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("other"); // the second amount an entry needs
    QTest::addColumn<QString>("stored"); // empty: refused with 金额超出范围, nothing stored
    const QString top = u"99999999999.9999"_s;
    const QString past = u"100000000000"_s;

    QTest::newRow("goods price at the bound") << u"price"_s << top << QString() << top;
    QTest::newRow("goods price, lowest") << u"price"_s << u"0.0001"_s << QString() << u"0.0001"_s;
    QTest::newRow("goods price past the bound") << u"price"_s << past << QString() << QString();
    QTest::newRow("goods price past by rounding") << u"price"_s << u"99999999999.99995"_s << QString()
                                                  << QString();
    QTest::newRow("goods price of 24 digits") << u"price"_s << u"123456789012345678901234"_s << QString()
                                              << QString();

    QTest::newRow("quantity at the bound") << u"quantity"_s << top << u"0.0001"_s << top;
    QTest::newRow("quantity past the bound") << u"quantity"_s << past << u"0.0001"_s << QString();
    QTest::newRow("quantity 9,999,999,999,999") << u"quantity"_s << u"9999999999999"_s << u"1"_s
                                                << QString();

    QTest::newRow("price x quantity at the bound") << u"line"_s << u"33333333333.3333"_s << u"3"_s << top;
    QTest::newRow("price x quantity past the bound") << u"line"_s << u"33333333333.3334"_s << u"3"_s
                                                     << QString();
    QTest::newRow("returned, at the bound") << u"line"_s << u"33333333333.3333"_s << u"-3"_s
                                            << u"-99999999999.9999"_s;
    QTest::newRow("returned, past the bound") << u"line"_s << u"33333333333.3334"_s << u"-3"_s << QString();
    QTest::newRow("price stored past the bound") << u"line"_s << past << u"1"_s << QString();
    QTest::newRow("huge quantity of a cheap item") << u"line"_s << u"10"_s << u"9999999999999"_s
                                                   << QString();

    QTest::newRow("deposit at the bound") << u"deposit"_s << top << QString() << top;
    QTest::newRow("deposit past the bound") << u"deposit"_s << past << QString() << QString();

    QTest::newRow("recharge at the bound") << u"recharge"_s << top << u"0"_s << top;
    QTest::newRow("recharge past the bound") << u"recharge"_s << past << u"0"_s << QString();
    QTest::newRow("recharge of 15 whole digits") << u"recharge"_s << u"999999999999999"_s << u"0"_s
                                                 << QString();
    QTest::newRow("recharge onto a balance up to the bound") << u"recharge"_s << u"0.0001"_s
                                                             << u"99999999999.9998"_s << top;
    QTest::newRow("recharge onto a balance past the bound") << u"recharge"_s << u"0.0001"_s << top
                                                            << QString();

    QTest::newRow("import cell at the bound") << u"import"_s << top << QString() << top;
    QTest::newRow("import cell past the bound") << u"import"_s << past << QString() << QString();
    QTest::newRow("import cell huge, as a sheet writes it") << u"import"_s << u"1e+21"_s << QString()
                                                            << QString();

    QTest::newRow("purchase at the bound") << u"purchase"_s << u"33333333333.3333"_s << u"3"_s << top;
    QTest::newRow("purchase past the bound") << u"purchase"_s << u"50000000000"_s << u"2"_s << QString();
    QTest::newRow("purchase price past the bound") << u"purchase"_s << past << u"1"_s << QString();

    QTest::newRow("level salary at the bound") << u"level"_s << top << QString() << top;
    QTest::newRow("level salary past the bound") << u"level"_s << past << QString() << QString();
    QTest::newRow("salary paid at the bound") << u"salary"_s << top << u"0"_s << top;
    QTest::newRow("salary and commission past the bound") << u"salary"_s << u"60000000000"_s
                                                          << u"40000000000"_s << QString();
}

void TestAmountRange::entriesStopAtTheBound()
{
    QFETCH(QString, entry);
    QFETCH(QString, typed);
    QFETCH(QString, other);
    QFETCH(QString, stored);
    Shop shop;
    Database &db = *shop.db;
    QString refusal;
    QString kept;
    if (entry == u"price") {
        GoodsCatalogue catalogue(db, shop.context.signedIn(), shop.clock);
        refusal = refusalOf([&] {
            catalogue.add({u"1"_s, u"洗发"_s, u"XF"_s, u"服务"_s, u"否"_s, typed, u"0"_s, {}, {}});
        });
        kept = shop.stored(u"商品库"_s, u"单价"_s);
    } else if (entry == u"quantity" || entry == u"line") {
        const int id = shop.item(entry == u"line" ? typed : other);
        const QString quantity = entry == u"line" ? other : typed;
        refusal = refusalOf([&] {
            const bool negative = quantity.startsWith(u'-');
            shop.booking.book(u"A2"_s, id,
                              ConsumptionBooking::quantity(negative ? quantity.mid(1) : quantity, negative));
        });
        if (refusal.isEmpty() && quantity == u"9999999999999")
            QFAIL("the quantity the board could never check out again was booked");
        // What was typed, or the total computed from it, reads back as it was.
        kept = shop.stored(u"xfmx"_s, entry == u"line" ? u"合计"_s : u"数量"_s);
    } else if (entry == u"deposit") {
        refusal = refusalOf([&] { shop.booking.setDeposit(u"A1"_s, typed); });
        kept = shop.stored(u"号牌管理"_s, u"押金金额"_s, u"号牌='A1'"_s);
        if (kept == u"0")
            kept.clear();
    } else if (entry == u"recharge") {
        db.execute(u"update 会员管理 set 卡内金额=?"_s, {Money::fromText(other).toVariant()});
        Recharge recharge(db, shop.context.signedIn(), shop.clock);
        refusal = refusalOf([&] { recharge.add(*recharge.find(u"001"_s), typed, false, {}); });
        kept = shop.stored(u"会员充值"_s, u"充值金额"_s);
        if (!kept.isEmpty()) {
            QCOMPARE(kept, typed);
            kept = shop.stored(u"会员管理"_s, u"卡内金额"_s);
        } else {
            QCOMPARE(shop.stored(u"会员管理"_s, u"卡内金额"_s), other);
        }
    } else if (entry == u"import") {
        const ExcelSheet sheet(u"Sheet1"_s, {{u"id"_s, u"编号"_s, u"商品名"_s, u"拼音"_s, u"单价"_s,
                                              u"提成金额"_s, u"商品类型"_s, u"库存"_s, u"服务"_s},
                                             {u"1"_s, u"1"_s, u"洗发"_s, u"XF"_s, typed, u"0"_s,
                                              u"服务"_s, u"0"_s, u"否"_s}});
        const GoodsImport::Outcome outcome = GoodsImport(db, Operator{u"店长"_s, Rights::all()}).run(sheet, false);
        if (!outcome.outOfRangeRows.isEmpty()) {
            QCOMPARE(outcome.outOfRangeRows, QList<int>{2});
            QCOMPARE(outcome.failedRows, QList<int>{2});
            refusal = OutOfRange;
        }
        kept = shop.stored(u"商品库"_s, u"单价"_s);
    } else if (entry == u"purchase") {
        StockPurchases purchases(db, shop.context.signedIn(), shop.clock);
        const int id = shop.item(u"1"_s, u"产品"_s);
        refusal = refusalOf([&] { purchases.record({id, typed, other, {}}); });
        kept = shop.stored(u"进货表"_s, u"总进价"_s);
        if (kept.isEmpty())
            QCOMPARE(shop.stored(u"商品库"_s, u"库存"_s), u"0"_s);
    } else if (entry == u"level") {
        RecordTable table(db, levels());
        refusal = refusalOf([&] { table.insert({u"高级"_s, typed}); });
        kept = shop.stored(u"员工等级"_s, u"工资"_s);
    } else if (entry == u"salary") {
        SalaryPayment salary(db, shop.clock, Operator{u"小李"_s, Rights::all()});
        SalaryPayment::Payment payment;
        payment.employee = {u"007"_s, u"张敏"_s, u"高级"_s};
        payment.base = Money::fromText(typed);
        payment.commission.total = Money::fromText(other);
        payment.withCommission = false;
        if (payment.commission.total != Money()) {
            // The unpaid commission of one settled line.
            ShopBuilder builder(db);
            builder.employee(u"007"_s, u"张敏"_s, u"高级"_s);
            ShopBuilder::Line line;
            line.plate = u"S1"_s;
            line.goods = u"项目"_s;
            line.commission = payment.commission.total;
            line.employee = u"007"_s;
            line.employeeName = u"张敏"_s;
            builder.settledLine(line, u"B1"_s);
            payment.withCommission = true;
            payment.commission = salary.unpaidCommission(u"007"_s);
        }
        refusal = refusalOf([&] { salary.pay(payment); });
        kept = shop.stored(u"员工工资表"_s, u"合计"_s);
    } else {
        QFAIL("no such entry");
    }

    if (stored.isEmpty()) {
        QCOMPARE(refusal, OutOfRange);
        QCOMPARE(kept, QString());
    } else {
        QCOMPARE(refusal, QString());
        QCOMPARE(kept, stored);
    }
}

void TestAmountRange::boundReadsBackFromEveryColumnKind_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("the bound") << u"99999999999.9999"_s;
    QTest::newRow("the lowest") << u"-99999999999.9999"_s;
    QTest::newRow("every digit") << u"12345678901.2345"_s;
    QTest::newRow("nines below a round number") << u"9999999999.9999"_s;
    QTest::newRow("a tie in binary") << u"98765432109.8765"_s;
    QTest::newRow("smallest step") << u"0.0001"_s;
    QTest::newRow("odd step at the top") << u"99999999999.0001"_s;
}

void TestAmountRange::boundReadsBackFromEveryColumnKind()
{
    QFETCH(QString, value);
    auto db = TestDb::fresh();
    const Money amount = Money::fromText(value);
    QVERIFY(amount.inRange());
    // A money column (押金金额) and a number column (合计金额) of one row,
    // written by hand: the columns' storage is the point here.
    db->execute(u"insert into 号牌管理 (号牌, 押金金额, 合计金额) values ('A1', ?, ?)"_s,
                {amount.toVariant(), amount.toVariant()});
    const QSqlRecord row = db->firstRow(u"select 押金金额, 合计金额 from 号牌管理"_s);
    QCOMPARE(readAmount(row.value(0), u"号牌管理"_s, u"押金金额"_s), amount);
    QCOMPARE(readAmount(row.value(1), u"号牌管理"_s, u"合计金额"_s), amount);
    // The database itself compares it equal to the exact text.
    QVERIFY(db->exists(u"select 1 from 号牌管理 where 押金金额 = cast(? as numeric)"_s, {amount.toVariant()}));
}

void TestAmountRange::groupSumsStayWithinTheRange()
{
    Shop shop;
    const int big = shop.item(u"60000000000"_s);
    const int rest = shop.item(u"39999999999.9999"_s);
    const int cheap = shop.item(u"0.0001"_s);
    ConsumptionBooking &booking = shop.booking;
    booking.book(u"A1"_s, big, Money::fromInt(1));
    // A2 belongs to A1's group: its lines are checked out on the same bill.
    booking.book(u"A2"_s, rest, Money::fromInt(1));
    QCOMPARE(refusalOf([&] { booking.book(u"A1"_s, cheap, Money::fromInt(1)); }), OutOfRange);
    QCOMPARE(refusalOf([&] { booking.book(u"A2"_s, cheap, Money::fromInt(1)); }), OutOfRange);
    QCOMPARE(shop.db->scalar(u"select count(*) from xfmx"_s).toInt(), 2);

    // Returns are summed apart, as a discount may leave them out.
    booking.book(u"A2"_s, big, Money::fromInt(-1));
    booking.book(u"A2"_s, rest, Money::fromInt(-1));
    QCOMPARE(refusalOf([&] { booking.book(u"A1"_s, cheap, Money::fromInt(-1)); }), OutOfRange);
    QCOMPARE(refusalOf([&] { booking.book(u"A1"_s, cheap, Money::fromInt(1)); }), OutOfRange);
    QCOMPARE(shop.db->scalar(u"select count(*) from xfmx"_s).toInt(), 4);

    // Another group is not held back by this one.
    ShopBuilder(*shop.db).plate({.plate = u"B1"_s, .state = u"占用"_s});
    QCOMPARE(booking.book(u"B1"_s, big, Money::fromInt(1)).toString(), u"60000000000"_s);
}

SALONDESK_DB_TEST_MAIN(TestAmountRange)
#include "tst_amount_range.moc"
