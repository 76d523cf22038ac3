#include "support/ShopBuilder.h"
#include "support/TestDb.h"

#include "common/Clock.h"
#include "db/DbError.h"
#include "orders/Checkout.h"
#include "orders/ReceiptBill.h"
#include "session/AppContext.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QDateTime Booked(QDate(2024, 3, 1), QTime(8, 5, 9));

// An open line; a null `bill` leaves the line unstamped. Crafted by hand:
// the receipt must pick its bill's lines from among lines of one plate that
// carry other numbers, and a store stamps a plate's lines all at once.
void line(Database &db, const QString &plate, const QString &goods, const QVariant &bill,
          const QString &price = u"30"_s, const QString &quantity = u"1"_s,
          const QString &total = u"30"_s, const QDateTime &time = Booked)
{
    db.execute(u"insert into xfmx (号牌, 主号牌, 商品名, 单价, 实际单价, 数量, 合计, 折扣, 消费时间, "
               "单据号) values (?, ?, ?, ?, ?, ?, ?, 1, ?, ?)"_s,
               {plate, plate, goods, price, price, quantity, total, time, bill});
}

QStringList described(const QList<ReceiptText::Line> &lines)
{
    QStringList texts;
    for (const ReceiptText::Line &l : lines)
        texts.append(QStringList{l.plate, l.goods, l.quantity.toString(), l.price.toString(),
                                 l.total.toString(), l.time.toString(u"yyyy-MM-dd hh:mm:ss"_s)}
                         .join(u' '));
    return texts;
}

} // namespace

// Which lines a receipt prints: the open lines of the checkout list's
// plates that carry the bill number.
class TestReceiptLines : public QObject
{
    Q_OBJECT

private slots:
    void readsTheBillsLinesInBookingOrder();
    void noNumberOrNoPlateReadsNoLines();
    void amountThatIsNoNumberIsNamed_data();
    void amountThatIsNoNumberIsNamed();
    void prepareFillsShopOperatorTimeAndLines();
    void plateMovedOutIsNotOnTheReceipt();
};

void TestReceiptLines::readsTheBillsLinesInBookingOrder()
{
    const auto db = TestDb::fresh();
    const QString bill = u"202403080509"_s;
    line(*db, u"A01"_s, u"洗剪吹"_s, bill, u"30"_s, u"1"_s, u"27"_s,
         QDateTime(QDate(2024, 3, 1), QTime(8, 40)));
    line(*db, u"A01"_s, u"另一单"_s, u"202403080510"_s);
    line(*db, u"A03"_s, u"欧莱雅染发焗油套餐"_s, bill, u"12.5"_s, u"2"_s, u"22.5"_s, Booked);
    // A02 was moved out of the checkout list after it was read: its line
    // may still carry the number, but it is not on this bill.
    line(*db, u"A02"_s, u"移出的号牌"_s, bill);
    line(*db, u"A01"_s, u"未盖章"_s, QVariant(QMetaType::fromType<QString>()));
    line(*db, u"A01"_s, u"空单号"_s, u""_s);
    // The same number with a blank after it is another bill.
    line(*db, u"A01"_s, u"相近单号"_s, QString(bill + u' '));
    line(*db, u"A01"_s, u"护发素"_s, bill, u"13.5"_s, u"0.5"_s, u"6.075"_s,
         QDateTime(QDate(2024, 3, 1), QTime(7, 0)));

    QCOMPARE(described(ReceiptBill::readLines(*db, bill, {u"A03"_s, u"A01"_s})),
             (QStringList{u"A01 洗剪吹 1 30 27 2024-03-01 08:40:00"_s,
                          u"A03 欧莱雅染发焗油套餐 2 12.5 22.5 2024-03-01 08:05:09"_s,
                          u"A01 护发素 0.5 13.5 6.075 2024-03-01 07:00:00"_s}));
}

void TestReceiptLines::noNumberOrNoPlateReadsNoLines()
{
    const auto db = TestDb::fresh();
    line(*db, u"A01"_s, u"空单号"_s, u""_s);
    line(*db, u"A02"_s, u"洗剪吹"_s, u"202403080510"_s);
    QVERIFY(ReceiptBill::readLines(*db, QString(), {u"A01"_s}).isEmpty());
    QVERIFY(ReceiptBill::readLines(*db, u"202403080509"_s, {u"A01"_s}).isEmpty());
    QVERIFY(ReceiptBill::readLines(*db, u"202403080510"_s, {}).isEmpty());
}

void TestReceiptLines::amountThatIsNoNumberIsNamed_data()
{
    QTest::addColumn<QString>("column");
    QTest::newRow("数量") << u"数量"_s;
    QTest::newRow("单价") << u"单价"_s;
    QTest::newRow("合计") << u"合计"_s;
}

void TestReceiptLines::amountThatIsNoNumberIsNamed()
{
    QFETCH(QString, column);
    const auto db = TestDb::fresh();
    const QString bill = u"202403080509"_s;
    line(*db, u"A01"_s, u"洗剪吹"_s, bill);
    // SQLite keeps text in a numeric column; PostgreSQL's numeric knows NaN.
    const QString bad = db->backend() == Backend::Postgres ? u"NaN"_s : u"12,5"_s;
    db->execute(u"update xfmx set "_s + column + u"=?"_s, {bad});
    try {
        ReceiptBill::readLines(*db, bill, {u"A01"_s});
        QFAIL("a line with an amount that is no number was read");
    } catch (const DbError &error) {
        QVERIFY2(error.text().contains(u"xfmx"_s) && error.text().contains(column)
                     && error.text().contains(bad),
                 qPrintable(error.text()));
    }
}

void TestReceiptLines::prepareFillsShopOperatorTimeAndLines()
{
    const auto db = TestDb::fresh();
    line(*db, u"A01"_s, u"洗剪吹"_s, u"202403080509"_s);
    AppContext context;
    context.ShopName = u"美丽时光美发店"_s;
    context.ShopAddress = u"幸福路 18 号"_s;
    context.ShopTel = u"0571-8888 6666"_s;
    context.OperatorName = u"小李"_s;
    const FixedClock clock(QDateTime(QDate(2024, 3, 1), QTime(9, 30, 15)));

    ReceiptText::Bill shown;
    shown.billNumber = u"202403080509"_s;
    shown.plates = {u"A01"_s};
    shown.memberName = u"王芳"_s;
    shown.due = Money::fromInt(30);
    shown.paymentMethod = u"卡内扣除"_s;
    const ReceiptText::Bill bill = ReceiptBill::prepare(shown, *db, context, clock);
    QCOMPARE(bill.shopName, context.ShopName);
    QCOMPARE(bill.shopAddress, context.ShopAddress);
    QCOMPARE(bill.shopTel, context.ShopTel);
    QCOMPARE(bill.operatorName, u"小李"_s);
    QCOMPARE(bill.printedAt, clock.now());
    QCOMPARE(described(bill.lines), QStringList{u"A01 洗剪吹 1 30 30 2024-03-01 08:05:09"_s});
    // The window's own figures pass through untouched.
    QCOMPARE(bill.memberName, u"王芳"_s);
    QCOMPARE(bill.due, Money::fromInt(30));
    QCOMPARE(bill.paymentMethod, u"卡内扣除"_s);
}

void TestReceiptLines::plateMovedOutIsNotOnTheReceipt()
{
    const auto db = TestDb::fresh();
    ShopBuilder shop(*db);
    shop.plate({.plate = u"SP001"_s, .state = u"占用"_s})
        .plate({.plate = u"SP002"_s, .state = u"占用"_s, .mainPlate = u"SP001"_s});
    shop.line({.plate = u"SP001"_s, .goods = u"洗剪吹"_s, .price = Money::fromInt(30),
               .time = Booked});
    shop.line({.plate = u"SP002"_s, .mainPlate = u"SP001"_s, .goods = u"烫发"_s,
               .price = Money::fromInt(280), .time = Booked});
    const FixedClock clock(QDateTime(QDate(2024, 3, 15), QTime(14, 5, 9)));
    Checkout checkout(*db, clock, u"SP001"_s);
    checkout.open();
    QCOMPARE(checkout.due().toString(), u"310"_s);

    checkout.moveOut(u"SP002"_s);

    ReceiptText::Bill shown;
    shown.billNumber = checkout.billNumber();
    shown.plates = checkout.group();
    const ReceiptText::Bill bill = ReceiptBill::prepare(shown, *db, AppContext(), clock);
    QCOMPARE(described(bill.lines), QStringList{u"SP001 洗剪吹 1 30 30 2024-03-01 08:05:09"_s});
    QCOMPARE(checkout.due().toString(), u"30"_s);
    // Its lines no longer carry the number either, so they cannot make the
    // number look taken when this checkout is settled.
    QCOMPARE(db->scalar(u"select count(*) from xfmx where 单据号=?"_s, {checkout.billNumber()})
                 .toInt(),
             1);

    checkout.moveIn(u"SP002"_s);
    QCOMPARE(ReceiptBill::readLines(*db, checkout.billNumber(), checkout.group()).size(), 2);
    QCOMPARE(checkout.due().toString(), u"310"_s);
}

SALONDESK_DB_TEST_MAIN(TestReceiptLines)
#include "tst_receipt_lines.moc"
