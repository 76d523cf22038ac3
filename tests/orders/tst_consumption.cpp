#include "support/ShopBuilder.h"
#include "support/TestDb.h"

#include "board/PlateStatus.h"
#include "common/Clock.h"
#include "common/Refusal.h"
#include "db/RowLocks.h"
#include "db/Transaction.h"
#include "orders/ConsumptionBooking.h"
#include "session/AppContext.h"
#include "session/Rights.h"

#include <QSqlRecord>
#include <QTest>

#include <chrono>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

const QDateTime Now(QDate(2024, 3, 1), QTime(10, 15, 30));

// A room-less plate is enough: booking looks at 号牌管理 only.
void plate(Database &db, const QString &number, const QVariant &state, const QString &main,
           const QString &deposit = u"0"_s)
{
    if (state.isNull() || main.isEmpty()) {
        // No store leaves a plate without a state, or opens one without a
        // main plate: older data, written by hand.
        db.execute(u"insert into 号牌管理 (号牌, 所属包厢, 号牌状态, 押金金额, 顾客姓名, 主号牌) "
                   "values (?, '大厅', ?, ?, '散客', ?)"_s,
                   {number, state, deposit, main});
        return;
    }
    ShopBuilder::Plate plate;
    plate.plate = number;
    plate.state = state.toString();
    plate.mainPlate = main;
    plate.deposit = Money::fromText(deposit);
    ShopBuilder(db).plate(plate);
}

void type(Database &db, const QString &name, bool keepsStock, const QString &discount)
{
    ShopBuilder(db).goodsType(name, keepsStock, discount == u"y"_s, false);
}

int item(Database &db, const QString &code, const QString &name, const QString &type,
         const QString &price, const QString &stock = u"10"_s,
         const QString &commission = u"0"_s, const QString &pinyin = u"P"_s)
{
    return ShopBuilder(db).goods({code, name, pinyin, type, Money::fromText(price),
                                  Money::fromText(commission), Money::fromText(stock), false});
}

QString amount(const QVariant &value)
{
    return Money::fromVariant(value).toString();
}

QString stockOf(Database &db, int id)
{
    return amount(db.scalar(u"select 库存 from 商品库 where id=?"_s, {id}));
}

int lineCount(Database &db)
{
    return db.scalar(u"select count(*) from xfmx"_s).toInt();
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

QString timeText(const QVariant &value)
{
    if (value.metaType().id() == QMetaType::QDateTime)
        return value.toDateTime().toString(u"yyyy-MM-dd hh:mm:ss"_s);
    return value.toString();
}

// Every insert into / update of `table` fails as a full disk would.
void refuseWrites(Database &db, const QString &table, const QString &what)
{
    if (db.backend() == Backend::Postgres) {
        db.exec(u"create function refuse_write() returns trigger language plpgsql as "
                "$$ begin raise exception 'disk full'; end $$"_s);
        db.exec(u"create trigger refuse_write before "_s + what + u" on "_s + table +
                u" for each row execute function refuse_write()"_s);
    } else {
        db.exec(u"create trigger refuse_write before "_s + what + u" on "_s + table +
                u" begin select raise(abort, 'disk full'); end"_s);
    }
}

struct Desk
{
    std::unique_ptr<Database> db = TestDb::fresh();
    AppContext context = [] {
        AppContext signedIn;
        signedIn.OperatorName = u"小李"_s;
        return signedIn;
    }();
    FixedClock clock{Now};
    ConsumptionBooking booking{*db, context.signedIn(), clock};
};

} // namespace

// Booking consumption lines on an occupied plate, the goods lookups of the
// add-consumption window, and the deposit.
class TestConsumption : public QObject
{
    Q_OBJECT

private slots:
    void bookWritesEveryColumn();
    void bookWithoutEmployeeCarriesN();
    void negativeLineNegatesAmounts();
    void stockFollowsTheType_data();
    void stockFollowsTheType();
    void totalIsExact_data();
    void totalIsExact();
    void quantityFromTheBox_data();
    void quantityFromTheBox();
    void refusedWhenPlateNotOccupied_data();
    void refusedWhenPlateNotOccupied();
    void failingStockUpdateLeavesNoLine();
    void bookingWaitsForACancellationInProgress();
    void bookingBeforeACancellationRefusesIt();
    void searchMatchesAsTyped_data();
    void searchMatchesAsTyped();
    void codeAndTypeLookups();
    void plateHeader();
    void linesOfThePlateAlone();
    void deposit_data();
    void deposit();
};

void TestConsumption::bookWritesEveryColumn()
{
    Desk d;
    plate(*d.db, u"SP002"_s, u"占用"_s, u"SP001"_s);
    type(*d.db, u"洗护"_s, false, u"y"_s);
    const int id = item(*d.db, u"101"_s, u"洗剪吹"_s, u"洗护"_s, u"19.99"_s, u"0"_s, u"10"_s);

    const Money total = d.booking.book(u"SP002"_s, id, Money::fromInt(3),
                                       ConsumptionBooking::Employee{u"007"_s, u"张敏"_s});
    QCOMPARE(total.toString(), u"59.97"_s);
    QCOMPARE(lineCount(*d.db), 1);
    const QSqlRecord line = d.db->firstRow(u"select * from xfmx"_s);
    QCOMPARE(line.value(u"号牌"_s).toString(), u"SP002"_s);
    QCOMPARE(line.value(u"主号牌"_s).toString(), u"SP001"_s);
    QCOMPARE(line.value(u"商品名"_s).toString(), u"洗剪吹"_s);
    QCOMPARE(line.value(u"商品类型"_s).toString(), u"洗护"_s);
    QCOMPARE(amount(line.value(u"单价"_s)), u"19.99"_s);
    QCOMPARE(amount(line.value(u"实际单价"_s)), u"19.99"_s);
    QCOMPARE(amount(line.value(u"数量"_s)), u"3"_s);
    QCOMPARE(amount(line.value(u"合计"_s)), u"59.97"_s);
    QCOMPARE(amount(line.value(u"折扣"_s)), u"1"_s);
    QCOMPARE(line.value(u"参与打折"_s).toString(), u"y"_s);
    // The commission is per line, not per unit.
    QCOMPARE(amount(line.value(u"提成金额"_s)), u"10"_s);
    QCOMPARE(line.value(u"TcYf"_s).toString(), u"0"_s);
    QCOMPARE(line.value(u"员工编号"_s).toString(), u"007"_s);
    QCOMPARE(line.value(u"员工姓名"_s).toString(), u"张敏"_s);
    QCOMPARE(timeText(line.value(u"消费时间"_s)), u"2024-03-01 10:15:30"_s);
    QCOMPARE(line.value(u"营业员"_s).toString(), u"小李"_s);
    QVERIFY(line.value(u"单据号"_s).isNull());
    QVERIFY(line.value(u"会员卡号"_s).isNull());
    QVERIFY(line.value(u"状态"_s).isNull());
}

void TestConsumption::bookWithoutEmployeeCarriesN()
{
    Desk d;
    // A plate whose main plate was never written is its own group.
    plate(*d.db, u"SP001"_s, u"占用"_s, QString());
    const int id = item(*d.db, u"201"_s, u"发胶"_s, u"无此类型"_s, u"5"_s);
    d.booking.book(u"SP001"_s, id, Money::fromInt(1));
    const QSqlRecord line = d.db->firstRow(u"select * from xfmx"_s);
    QCOMPARE(line.value(u"主号牌"_s).toString(), u"SP001"_s);
    QCOMPARE(line.value(u"员工编号"_s).toString(), u"n"_s);
    QCOMPARE(line.value(u"员工姓名"_s).toString(), u"n"_s);
    QCOMPARE(line.value(u"参与打折"_s).toString(), u"n"_s);
}

void TestConsumption::negativeLineNegatesAmounts()
{
    Desk d;
    plate(*d.db, u"SP001"_s, u"占用"_s, u"SP001"_s);
    type(*d.db, u"商品"_s, true, u"y"_s);
    const int id = item(*d.db, u"301"_s, u"洗发水"_s, u"商品"_s, u"19.99"_s, u"5"_s, u"10"_s);
    const Money quantity = ConsumptionBooking::quantity(u"2"_s, true);
    d.booking.book(u"SP001"_s, id, quantity);
    const QSqlRecord line = d.db->firstRow(u"select * from xfmx"_s);
    QCOMPARE(amount(line.value(u"数量"_s)), u"-2"_s);
    QCOMPARE(amount(line.value(u"合计"_s)), u"-39.98"_s);
    QCOMPARE(amount(line.value(u"提成金额"_s)), u"-10"_s);
    QCOMPARE(stockOf(*d.db, id), u"7"_s);
}

void TestConsumption::stockFollowsTheType_data()
{
    QTest::addColumn<QString>("typeName"); // the goods' type; only 商品 and 服务 exist
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("stock");
    QTest::addColumn<QString>("discount");
    QTest::newRow("stock-kept type") << u"商品"_s << u"2.5"_s << u"7.5"_s << u"y"_s;
    QTest::newRow("type without stock") << u"服务"_s << u"2"_s << u"10"_s << u"n"_s;
    QTest::newRow("type that does not exist") << u"旧类型"_s << u"2"_s << u"10"_s << u"n"_s;
    QTest::newRow("no substring match of type") << u"商"_s << u"2"_s << u"10"_s << u"n"_s;
}

void TestConsumption::stockFollowsTheType()
{
    QFETCH(QString, typeName);
    QFETCH(QString, quantity);
    QFETCH(QString, stock);
    QFETCH(QString, discount);
    Desk d;
    plate(*d.db, u"SP001"_s, u"占用"_s, u"SP001"_s);
    type(*d.db, u"商品"_s, true, u"y"_s);
    type(*d.db, u"服务"_s, false, u"n"_s);
    const int id = item(*d.db, u"401"_s, u"护发素"_s, typeName, u"8"_s, u"10"_s);
    const int other = item(*d.db, u"402"_s, u"别的"_s, u"商品"_s, u"8"_s, u"10"_s);
    d.booking.book(u"SP001"_s, id, Money::fromText(quantity));
    QCOMPARE(stockOf(*d.db, id), stock);
    QCOMPARE(stockOf(*d.db, other), u"10"_s);
    QCOMPARE(d.db->scalar(u"select 参与打折 from xfmx"_s).toString(), discount);
}

void TestConsumption::totalIsExact_data()
{
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("total");
    QTest::newRow("19.99 x 3") << u"19.99"_s << u"3"_s << u"59.97"_s;
    QTest::newRow("0.3333 x 3") << u"0.3333"_s << u"3"_s << u"0.9999"_s;
    QTest::newRow("half to even, down") << u"0.3333"_s << u"0.5"_s << u"0.1666"_s;
    QTest::newRow("half to even, up") << u"0.0003"_s << u"0.5"_s << u"0.0002"_s;
    QTest::newRow("0.1 x 3 has no float error") << u"0.1"_s << u"3"_s << u"0.3"_s;
    QTest::newRow("fraction of a service") << u"28.05"_s << u"1.5"_s << u"42.075"_s;
    QTest::newRow("negative") << u"0.3333"_s << u"-0.5"_s << u"-0.1666"_s;
}

void TestConsumption::totalIsExact()
{
    QFETCH(QString, price);
    QFETCH(QString, quantity);
    QFETCH(QString, total);
    Desk d;
    plate(*d.db, u"SP001"_s, u"占用"_s, u"SP001"_s);
    const int id = item(*d.db, u"501"_s, u"项目"_s, u"无"_s, price);
    QCOMPARE(d.booking.book(u"SP001"_s, id, Money::fromText(quantity)).toString(), total);
    QCOMPARE(amount(d.db->scalar(u"select 合计 from xfmx"_s)), total);
    QCOMPARE(amount(d.db->scalar(u"select 数量 from xfmx"_s)), quantity);
}

void TestConsumption::quantityFromTheBox_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("negative");
    QTest::addColumn<QString>("quantity"); // empty when refused
    QTest::addColumn<QString>("refusal");
    QTest::newRow("plain") << u"3"_s << false << u"3"_s << QString();
    QTest::newRow("trailing zero") << u"1.50"_s << false << u"1.5"_s << QString();
    QTest::newRow("leading zeros") << u"007"_s << false << u"7"_s << QString();
    QTest::newRow("ticked") << u"2"_s << true << u"-2"_s << QString();
    QTest::newRow("empty") << u""_s << false << QString() << u"请填写数量!"_s;
    QTest::newRow("blank") << u"  "_s << true << QString() << u"请填写数量!"_s;
    QTest::newRow("two points") << u"1.2.3"_s << false << QString() << u"数量输入错误!"_s;
    QTest::newRow("a lone point") << u"."_s << false << QString() << u"数量输入错误!"_s;
    QTest::newRow("a sign") << u"-2"_s << false << QString() << u"数量输入错误!"_s;
    QTest::newRow("zero") << u"0"_s << false << QString() << u"数量不能是0"_s;
    QTest::newRow("zero with decimals") << u"0.00"_s << true << QString() << u"数量不能是0"_s;
}

void TestConsumption::quantityFromTheBox()
{
    QFETCH(QString, typed);
    QFETCH(bool, negative);
    QFETCH(QString, quantity);
    QFETCH(QString, refusal);
    QString result;
    const QString refused =
        refusalOf([&] { result = ConsumptionBooking::quantity(typed, negative).toString(); });
    QCOMPARE(refused, refusal);
    QCOMPARE(result, quantity);
}

void TestConsumption::refusedWhenPlateNotOccupied_data()
{
    QTest::addColumn<QVariant>("state");      // when the window opened
    QTest::addColumn<QVariant>("meanwhile");  // set by another workstation; null: untouched
    QTest::newRow("settled meanwhile") << QVariant(u"占用"_s) << QVariant(u"可用"_s);
    QTest::newRow("disabled meanwhile") << QVariant(u"占用"_s) << QVariant(u"停用"_s);
    QTest::newRow("free already") << QVariant(u"可用"_s) << QVariant();
    QTest::newRow("reserved") << QVariant(u"预定"_s) << QVariant();
    QTest::newRow("no state") << QVariant() << QVariant();
}

void TestConsumption::refusedWhenPlateNotOccupied()
{
    QFETCH(QVariant, state);
    QFETCH(QVariant, meanwhile);
    Desk d;
    plate(*d.db, u"SP001"_s, state, u"SP001"_s);
    type(*d.db, u"商品"_s, true, u"y"_s);
    const int id = item(*d.db, u"601"_s, u"发蜡"_s, u"商品"_s, u"30"_s, u"10"_s);
    if (meanwhile.isValid()) {
        d.booking.setBeforeWrite([&] {
            auto other = Database::open(d.db->settings());
            other->execute(u"update 号牌管理 set 号牌状态=? where 号牌=?"_s,
                           {meanwhile, u"SP001"_s});
        });
    }
    QCOMPARE(refusalOf([&] { d.booking.book(u"SP001"_s, id, Money::fromInt(1)); }),
             u"该号牌已结帐或已撤单，不能再添加消费项目！"_s);
    QCOMPARE(lineCount(*d.db), 0);
    QCOMPARE(stockOf(*d.db, id), u"10"_s);
    QVERIFY(!d.db->inTransaction());
}

void TestConsumption::failingStockUpdateLeavesNoLine()
{
    Desk d;
    plate(*d.db, u"SP001"_s, u"占用"_s, u"SP001"_s);
    type(*d.db, u"商品"_s, true, u"y"_s);
    const int id = item(*d.db, u"701"_s, u"发泥"_s, u"商品"_s, u"30"_s, u"10"_s);
    refuseWrites(*d.db, u"商品库"_s, u"update"_s);
    QString error;
    try {
        d.booking.book(u"SP001"_s, id, Money::fromInt(2));
    } catch (const DbError &failure) {
        error = failure.text();
    }
    QVERIFY2(error.contains(u"disk full"_s), qPrintable(error));
    QCOMPARE(lineCount(*d.db), 0);
    QCOMPARE(stockOf(*d.db, id), u"10"_s);
    QVERIFY(!d.db->inTransaction());
}

void TestConsumption::bookingWaitsForACancellationInProgress()
{
    Desk d;
    plate(*d.db, u"SP001"_s, u"占用"_s, u"SP001"_s);
    const int id = item(*d.db, u"801"_s, u"洗剪吹"_s, u"无"_s, u"30"_s);
    const ConnectionSettings settings = d.db->settings();

    // Another workstation is cancelling the order: it holds the plate's row,
    // has freed it and commits a moment later, while this booking is already
    // under way. The booking must wait and then see the plate free, not slip
    // its line onto the freed plate. A Qt connection belongs to the thread
    // that opened it, so the booking runs in a thread of its own.
    auto other = Database::open(settings);
    Transaction cancelling(*other);
    RowLocks::lock(*other, LockRank::Plates, u"号牌管理"_s, u"号牌"_s, {u"SP001"_s});
    other->execute(u"update 号牌管理 set 号牌状态=? where 号牌=?"_s, {u"可用"_s, u"SP001"_s});

    QString refusal;
    QString failure;
    std::thread booking([&] {
        try {
            auto own = Database::open(settings);
            ConsumptionBooking desk(*own, d.context.signedIn(), d.clock);
            desk.book(u"SP001"_s, id, Money::fromInt(1));
        } catch (const Refusal &refused) {
            refusal = refused.text();
        } catch (const DbError &error) {
            failure = error.text();
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    cancelling.commit();
    booking.join();
    QCOMPARE(failure, QString());
    QCOMPARE(refusal, u"该号牌已结帐或已撤单，不能再添加消费项目！"_s);
    QCOMPARE(lineCount(*d.db), 0);
}

void TestConsumption::bookingBeforeACancellationRefusesIt()
{
    Desk d;
    plate(*d.db, u"SP001"_s, u"占用"_s, u"SP001"_s);
    const int id = item(*d.db, u"901"_s, u"洗剪吹"_s, u"无"_s, u"30"_s);
    const ConnectionSettings settings = d.db->settings();

    // The booking holds the plate's row when the cancellation starts in
    // another thread; the cancellation waits for it and then finds the line.
    QString cancelRefusal;
    QString cancelFailure;
    std::thread cancel;
    d.booking.setWhilePlateHeld([&] {
        // Runs inside the booking's transaction once it holds the plate, so
        // the cancellation below has to wait.
        cancel = std::thread([&] {
            try {
                auto own = Database::open(settings);
                PlateStatus(*own).cancelOrder(u"SP001"_s, Operator{u"小李"_s, Rights::all()});
            } catch (const Refusal &refused) {
                cancelRefusal = refused.text();
            } catch (const DbError &error) {
                cancelFailure = error.text();
            }
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    });
    d.booking.book(u"SP001"_s, id, Money::fromInt(1));
    cancel.join();
    QCOMPARE(cancelFailure, QString());
    QCOMPARE(cancelRefusal, u"有消费项目,不能撤销."_s);
    QCOMPARE(d.db->scalar(u"select 号牌状态 from 号牌管理 where 号牌=?"_s, {u"SP001"_s}).toString(),
             u"占用"_s);
    QCOMPARE(lineCount(*d.db), 1);
}

void TestConsumption::searchMatchesAsTyped_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("name") << u"剪"_s << QStringList{u"洗剪吹"_s};
    QTest::newRow("pinyin") << u"xjc"_s << QStringList{u"洗剪吹"_s};
    QTest::newRow("code") << u"02"_s << QStringList{u"100%纯油"_s};
    QTest::newRow("percent is a character") << u"%"_s << QStringList{u"100%纯油"_s};
    QTest::newRow("underscore is a character") << u"_"_s << QStringList{u"a_b"_s};
    QTest::newRow("quote") << u"O'"_s << QStringList{u"O'Neil"_s};
    QTest::newRow("blank lists all")
        << u" "_s << QStringList{u"洗剪吹"_s, u"100%纯油"_s, u"a_b"_s, u"O'Neil"_s};
    QTest::newRow("nothing") << u"zzz"_s << QStringList();
}

void TestConsumption::searchMatchesAsTyped()
{
    QFETCH(QString, text);
    QFETCH(QStringList, names);
    Desk d;
    item(*d.db, u"A01"_s, u"洗剪吹"_s, u"服务"_s, u"30"_s, u"0"_s, u"0"_s, u"XJC"_s);
    item(*d.db, u"A02"_s, u"100%纯油"_s, u"商品"_s, u"30"_s, u"0"_s, u"0"_s, u"CY"_s);
    item(*d.db, u"A03"_s, u"a_b"_s, u"商品"_s, u"30"_s, u"0"_s, u"0"_s, u"AB"_s);
    item(*d.db, u"A04"_s, u"O'Neil"_s, u"商品"_s, u"30"_s, u"0"_s, u"0"_s, u"ON"_s);
    QStringList found;
    for (const GoodsCatalogue::Item &goods : d.booking.search(text))
        found.append(goods.name);
    QCOMPARE(found, names);
}

void TestConsumption::codeAndTypeLookups()
{
    Desk d;
    type(*d.db, u"洗护"_s, false, u"y"_s);
    type(*d.db, u"商品"_s, true, u"n"_s);
    const int wash = item(*d.db, u"B01"_s, u"洗头"_s, u"洗护"_s, u"20"_s);
    item(*d.db, u"B02"_s, u"发胶"_s, u"商品"_s, u"15"_s);
    item(*d.db, u"B03"_s, u"护发"_s, u"洗护套餐"_s, u"50"_s);

    QCOMPARE(d.booking.typeList(), (QStringList{u"全部"_s, u"洗护"_s, u"商品"_s}));
    const auto names = [](const QList<GoodsCatalogue::Item> &items) {
        QStringList result;
        for (const GoodsCatalogue::Item &goods : items)
            result.append(goods.name);
        return result;
    };
    QCOMPARE(names(d.booking.ofType(u"全部"_s)), (QStringList{u"洗头"_s, u"发胶"_s, u"护发"_s}));
    QCOMPARE(names(d.booking.ofType(u"洗护"_s)), (QStringList{u"洗头"_s, u"护发"_s}));
    QCOMPARE(names(d.booking.byCode(u" B01 "_s)), QStringList{u"洗头"_s});
    QCOMPARE(refusalOf([&] { d.booking.byCode(u"B0"_s); }), u"没找到!"_s);

    const ConsumptionBooking::Goods goods = d.booking.goods(wash);
    QCOMPARE(goods.item.price.toString(), u"20"_s);
    QVERIFY(goods.typeFound);
    QVERIFY(!goods.keepsStock);
    QCOMPARE(goods.discount, u"y"_s);
}

void TestConsumption::plateHeader()
{
    Desk d;
    plate(*d.db, u"SP002"_s, u"占用"_s, u"SP001"_s, u"12.50"_s);
    plate(*d.db, u"SP003"_s, u"占用"_s, QString(), u"0"_s);
    const ConsumptionBooking::Plate joined = d.booking.plate(u"SP002"_s);
    QCOMPARE(joined.mainPlate, u"SP001"_s);
    QCOMPARE(joined.deposit, u"12.5"_s);
    QCOMPARE(d.booking.plate(u"SP003"_s).mainPlate, u"SP003"_s);
}

void TestConsumption::linesOfThePlateAlone()
{
    Desk d;
    plate(*d.db, u"SP001"_s, u"占用"_s, u"SP001"_s);
    plate(*d.db, u"SP002"_s, u"占用"_s, u"SP001"_s);
    type(*d.db, u"洗护"_s, false, u"y"_s);
    const int wash = item(*d.db, u"101"_s, u"洗剪吹"_s, u"洗护"_s, u"19.99"_s);
    const int gel = item(*d.db, u"201"_s, u"发胶"_s, u"无此类型"_s, u"5"_s);
    d.booking.book(u"SP002"_s, wash, Money::fromText(u"1.5"),
                   ConsumptionBooking::Employee{u"007"_s, u"张敏"_s});
    // A line of the main plate belongs to the group, not to SP002's list.
    d.booking.book(u"SP001"_s, gel, Money::fromInt(1));
    d.booking.book(u"SP002"_s, gel, Money::fromInt(-2));

    const QList<ConsumptionBooking::Line> lines = d.booking.lines(u"SP002"_s);
    QCOMPARE(lines.size(), 2);
    const ConsumptionBooking::Line &first = lines.at(0);
    QCOMPARE(first.name, u"洗剪吹"_s);
    QCOMPARE(first.actualPrice.toString(), u"19.99"_s);
    QCOMPARE(first.quantity.toString(), u"1.5"_s);
    QCOMPARE(first.total.toString(), u"29.985"_s);
    QCOMPARE(first.discount, u"y"_s);
    QCOMPARE(first.employee.number, u"007"_s);
    QCOMPARE(first.employee.name, u"张敏"_s);
    QCOMPARE(first.clerk, u"小李"_s);
    const ConsumptionBooking::Line &second = lines.at(1);
    QCOMPARE(second.name, u"发胶"_s);
    QCOMPARE(second.quantity.toString(), u"-2"_s);
    QCOMPARE(second.total.toString(), u"-10"_s);
    QCOMPARE(second.discount, u"n"_s);
    QCOMPARE(second.employee.number, u"n"_s);
    QCOMPARE(d.booking.lines(u"SP001"_s).size(), 1);
}

void TestConsumption::deposit_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("trailing zero") << u"12.50"_s << u"12.5"_s;
    QTest::newRow("not a number") << u"abc"_s << u"0"_s;
    QTest::newRow("empty") << u""_s << u"0"_s;
    QTest::newRow("statement text stays a value") << u"1, 顾客姓名='x'"_s << u"0"_s;
    QTest::newRow("four decimals") << u"0.0005"_s << u"0.0005"_s;
}

void TestConsumption::deposit()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    Desk d;
    plate(*d.db, u"SP001"_s, u"占用"_s, u"SP001"_s, u"5"_s);
    plate(*d.db, u"SP002"_s, u"占用"_s, u"SP001"_s, u"7"_s);
    QCOMPARE(d.booking.setDeposit(u"SP002"_s, typed), stored);
    const auto depositOf = [&](const QString &number) {
        return amount(d.db->scalar(u"select 押金金额 from 号牌管理 where 号牌=?"_s, {number}));
    };
    QCOMPARE(depositOf(u"SP002"_s), stored);
    QCOMPARE(depositOf(u"SP001"_s), u"5"_s);
    QCOMPARE(d.db->scalar(u"select 顾客姓名 from 号牌管理 where 号牌=?"_s, {u"SP002"_s}).toString(),
             u"散客"_s);
}

SALONDESK_DB_TEST_MAIN(TestConsumption)
#include "tst_consumption.moc"
