#include "common/DateFormat.h"
#include "common/GbkText.h"
#include "common/Money.h"
#include "common/Refusal.h"

#include <QTest>

#include <functional>
#include <limits>
#include <stdexcept>

using namespace Qt::StringLiterals;

class TestCommon : public QObject
{
    Q_OBJECT

private slots:
    void parsesAndPrintsShortest_data();
    void parsesAndPrintsShortest();
    void rejectsWhatIsNotAnAmount_data();
    void rejectsWhatIsNotAnAmount();
    void multipliesHalfToEven_data();
    void multipliesHalfToEven();
    void readsDatabaseValues_data();
    void readsDatabaseValues();
    void refusesDatabaseValuesThatAreNoAmount_data();
    void refusesDatabaseValuesThatAreNoAmount();
    void entriesStopAtTheStoredRange_data();
    void entriesStopAtTheStoredRange();
    void refusesArithmeticOutOfRange_data();
    void refusesArithmeticOutOfRange();
    void printsTwoDecimals();
    void padsByGbkBytes_data();
    void padsByGbkBytes();
    void readsStoredDates_data();
    void readsStoredDates();
    void showsElapsedClock_data();
    void showsElapsedClock();
};

void TestCommon::parsesAndPrintsShortest_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("units");
    QTest::addColumn<QString>("shortest");
    QTest::newRow("two decimals") << u"28.05"_s << qint64(280500) << u"28.05"_s;
    QTest::newRow("whole") << u"30"_s << qint64(300000) << u"30"_s;
    QTest::newRow("trailing zeros dropped") << u"12.50"_s << qint64(125000) << u"12.5"_s;
    QTest::newRow("smallest unit") << u"0.0001"_s << qint64(1) << u"0.0001"_s;
    QTest::newRow("negative fraction") << u"-0.5"_s << qint64(-5000) << u"-0.5"_s;
    QTest::newRow("leading dot") << u".25"_s << qint64(2500) << u"0.25"_s;
    QTest::newRow("blanks and plus") << u" +7 "_s << qint64(70000) << u"7"_s;
    QTest::newRow("fifth decimal, tie to even down") << u"0.00005"_s << qint64(0) << u"0"_s;
    QTest::newRow("fifth decimal, tie to even up") << u"0.00015"_s << qint64(2) << u"0.0002"_s;
    QTest::newRow("beyond the tie rounds up") << u"0.000051"_s << qint64(1) << u"0.0001"_s;
    QTest::newRow("large") << u"99999999999.9999"_s << qint64(999999999999999) << u"99999999999.9999"_s;
}

void TestCommon::parsesAndPrintsShortest()
{
    QFETCH(QString, text);
    QFETCH(qint64, units);
    QFETCH(QString, shortest);
    const auto money = Money::parse(text);
    QVERIFY(money);
    QCOMPARE(money->units(), units);
    QCOMPARE(money->toString(), shortest);
}

void TestCommon::rejectsWhatIsNotAnAmount_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("letters") << u"abc"_s;
    QTest::newRow("two dots") << u"1.2.3"_s;
    QTest::newRow("lone dot") << u"."_s;
    QTest::newRow("lone sign") << u"-"_s;
    QTest::newRow("full-width digits") << u"１２"_s;
    QTest::newRow("too large") << u"1234567890123456"_s;
}

void TestCommon::rejectsWhatIsNotAnAmount()
{
    QFETCH(QString, text);
    QVERIFY(!Money::parse(text));
}

void TestCommon::multipliesHalfToEven_data()
{
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("factor");
    QTest::addColumn<QString>("product");
    QTest::newRow("price times quantity") << u"28.05"_s << u"3"_s << u"84.15"_s;
    QTest::newRow("discount") << u"30"_s << u"0.85"_s << u"25.5"_s;
    QTest::newRow("tie rounds to even (down)") << u"0.0001"_s << u"0.5"_s << u"0"_s;
    QTest::newRow("tie rounds to even (up)") << u"0.0003"_s << u"0.5"_s << u"0.0002"_s;
    QTest::newRow("negative tie") << u"-0.0003"_s << u"0.5"_s << u"-0.0002"_s;
    QTest::newRow("above tie") << u"1.2345"_s << u"0.3333"_s << u"0.4115"_s;
    QTest::newRow("returned item") << u"45"_s << u"-1"_s << u"-45"_s;
    QTest::newRow("no overflow on large values") << u"90000000000"_s << u"100"_s << u"9000000000000"_s;
}

void TestCommon::multipliesHalfToEven()
{
    QFETCH(QString, amount);
    QFETCH(QString, factor);
    QFETCH(QString, product);
    QCOMPARE((Money::fromText(amount) * Money::fromText(factor)).toString(), product);
}

void TestCommon::readsDatabaseValues_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("NULL") << QVariant() << u"0"_s;
    QTest::newRow("integer") << QVariant(12) << u"12"_s;
    QTest::newRow("numeric text") << QVariant(u"28.0500"_s) << u"28.05"_s;
    QTest::newRow("double off by a hair") << QVariant(0.1 + 0.2) << u"0.3"_s;
    QTest::newRow("double exponent text") << QVariant(u"1e-04"_s) << u"0.0001"_s;
    QTest::newRow("empty text") << QVariant(QString()) << u"0"_s;
    QTest::newRow("large integer") << QVariant(qint64(900000000000000)) << u"900000000000000"_s;
    QTest::newRow("large double") << QVariant(123456789.1234) << u"123456789.1234"_s;
    // Past the range that is stored, but what an older shop may hold.
    QTest::newRow("double with 15 whole digits") << QVariant(1e14) << u"100000000000000"_s;
    QTest::newRow("numeric text at the count's end") << QVariant(u"922337203685477.5807"_s)
                                                     << u"922337203685477.5807"_s;
    QTest::newRow("exponent text with 15 whole digits") << QVariant(u"1e14"_s) << u"100000000000000"_s;
    QTest::newRow("double in exponent form") << QVariant(1e13) << u"10000000000000"_s;
    // Ties as the stored decimal states them, rounded half to even like
    // every other amount, whichever side of the tie the double lies on.
    QTest::newRow("double tie to even (down)") << QVariant(0.00005) << u"0"_s;
    QTest::newRow("double tie to even (up)") << QVariant(0.00015) << u"0.0002"_s;
    QTest::newRow("double tie to even (down, 0.00025)") << QVariant(0.00025) << u"0.0002"_s;
    QTest::newRow("negative double tie") << QVariant(-0.00025) << u"-0.0002"_s;
    QTest::newRow("double tie with whole part") << QVariant(2.00005) << u"2"_s;
    QTest::newRow("double tie with whole part (up)") << QVariant(2.00015) << u"2.0002"_s;
    QTest::newRow("double tie, large") << QVariant(1234567.12345) << u"1234567.1234"_s;
    QTest::newRow("double past the tie") << QVariant(0.000051) << u"0.0001"_s;
    QTest::newRow("double tie in exponent form") << QVariant(2.5e-4) << u"0.0002"_s;
    QTest::newRow("exponent text tie") << QVariant(u"5e-05"_s) << u"0"_s;
    QTest::newRow("exponent text tie (up)") << QVariant(u"1.5E-4"_s) << u"0.0002"_s;
    QTest::newRow("negative exponent text tie") << QVariant(u"-2.5e-4"_s) << u"-0.0002"_s;
    QTest::newRow("exponent text, positive exponent") << QVariant(u" 2.805e+1 "_s) << u"28.05"_s;
    QTest::newRow("exponent text, leading zeros") << QVariant(u"0.00001e18"_s) << u"10000000000000"_s;
    QTest::newRow("exponent text far below") << QVariant(u"7e-400"_s) << u"0"_s;
}

void TestCommon::readsDatabaseValues()
{
    QFETCH(QVariant, value);
    QFETCH(QString, expected);
    QCOMPARE(Money::fromVariant(value).toString(), expected);
}

void TestCommon::refusesDatabaseValuesThatAreNoAmount_data()
{
    QTest::addColumn<QVariant>("value");
    const double infinity = std::numeric_limits<double>::infinity();
    QTest::newRow("infinity") << QVariant(infinity);
    QTest::newRow("minus infinity") << QVariant(-infinity);
    QTest::newRow("NaN") << QVariant(std::numeric_limits<double>::quiet_NaN());
    QTest::newRow("huge double") << QVariant(1e300);
    QTest::newRow("double past the count") << QVariant(1e15);
    QTest::newRow("numeric text past the count") << QVariant(u"922337203685477.5808"_s);
    QTest::newRow("huge negative double") << QVariant(-1e20);
    QTest::newRow("infinity as text") << QVariant(u"inf"_s);
    QTest::newRow("NaN as text") << QVariant(u"NaN"_s);
    QTest::newRow("exponent text beyond a double") << QVariant(u"1e309"_s);
    QTest::newRow("exponent text past the count") << QVariant(u"1e15"_s);
    QTest::newRow("exponent text without exponent") << QVariant(u"1e"_s);
    QTest::newRow("exponent text without mantissa") << QVariant(u"e5"_s);
    QTest::newRow("integer beyond the count") << QVariant(qint64(1'000'000'000'000'000));
    QTest::newRow("unsigned beyond the count") << QVariant(std::numeric_limits<quint64>::max());
    QTest::newRow("letters") << QVariant(u"abc"_s);
}

void TestCommon::refusesDatabaseValuesThatAreNoAmount()
{
    QFETCH(QVariant, value);
    QVERIFY(!Money::tryFromVariant(value));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, Money::fromVariant(value));
}

namespace {

// Builds any count, including the two ends of the 64-bit range, from the
// public operations.
Money fromUnits(qint64 units)
{
    return Money::fromInt(units / Money::Scale)
        + Money::fromText(QString::number(units % Money::Scale)) * Money::fromText(u"0.0001");
}

} // namespace

void TestCommon::entriesStopAtTheStoredRange_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("amount"); // empty: no number
    QTest::addColumn<bool>("outOfRange");
    QTest::newRow("the bound") << u"99999999999.9999"_s << u"99999999999.9999"_s << false;
    QTest::newRow("the lowest") << u"-99999999999.9999"_s << u"-99999999999.9999"_s << false;
    QTest::newRow("leading zeros") << u"000000000000099.5"_s << u"99.5"_s << false;
    QTest::newRow("just past") << u"100000000000"_s << QString() << true;
    QTest::newRow("just past below") << u"-100000000000"_s << QString() << true;
    QTest::newRow("past by rounding") << u"99999999999.99995"_s << QString() << true;
    QTest::newRow("15 whole digits") << u"999999999999999"_s << QString() << true;
    QTest::newRow("past the count") << u"123456789012345678901234567890"_s << QString() << true;
    QTest::newRow("huge exponent form") << u"1e+21"_s << QString() << true;
    QTest::newRow("small exponent form is no entry") << u"1e5"_s << QString() << false;
    QTest::newRow("letters") << u"abc"_s << QString() << false;
    QTest::newRow("digits then letters") << u"123456789012345678901234x"_s << QString() << false;
    QTest::newRow("two points") << u"1.2.3"_s << QString() << false;
    QTest::newRow("empty") << QString() << QString() << false;
}

void TestCommon::entriesStopAtTheStoredRange()
{
    QFETCH(QString, typed);
    QFETCH(QString, amount);
    QFETCH(bool, outOfRange);
    std::optional<Money> read;
    QString refusal;
    try {
        read = Money::parseEntry(typed);
    } catch (const Refusal &refused) {
        refusal = refused.text();
    }
    QCOMPARE(refusal, outOfRange ? u"金额超出范围"_s : QString());
    QCOMPARE(read ? read->toString() : QString(), amount);
    if (read) {
        QVERIFY(read->inRange());
        QCOMPARE(read->withinRange(), *read);
    }
    QCOMPARE(Money::Max.toString(), u"99999999999.9999"_s);
    QVERIFY(!(Money::Max + Money::fromUnits(1)).inRange());
    QVERIFY((Money() - Money::Max).inRange());
    QVERIFY(!(Money() - Money::Max - Money::fromUnits(1)).inRange());
}

void TestCommon::refusesArithmeticOutOfRange_data()
{
    QTest::addColumn<qint64>("left");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<qint64>("right");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<qint64>("result");
    const qint64 top = std::numeric_limits<qint64>::max();
    const qint64 bottom = std::numeric_limits<qint64>::min();
    QTest::newRow("sum up to the top") << top - 1 << u"+"_s << qint64(1) << false << top;
    QTest::newRow("sum past the top") << top << u"+"_s << qint64(1) << true << qint64(0);
    QTest::newRow("sum past the bottom") << bottom << u"+"_s << qint64(-1) << true << qint64(0);
    QTest::newRow("difference down to the bottom") << bottom + 1 << u"-"_s << qint64(1) << false << bottom;
    QTest::newRow("difference past the bottom") << bottom << u"-"_s << qint64(1) << true << qint64(0);
    QTest::newRow("difference past the top") << top << u"-"_s << qint64(-1) << true << qint64(0);
    QTest::newRow("zero minus the bottom") << qint64(0) << u"-"_s << bottom << true << qint64(0);
    QTest::newRow("adding to past the top") << top << u"+="_s << top << true << qint64(0);
    QTest::newRow("adding to past the bottom") << bottom << u"+="_s << qint64(-1) << true << qint64(0);
    QTest::newRow("product at the top") << top << u"*"_s << qint64(10000) << false << top;
    QTest::newRow("product past the top") << top << u"*"_s << qint64(10001) << true << qint64(0);
    QTest::newRow("product of two large amounts")
        << qint64(999999999999990000) << u"*"_s << qint64(999999999999990000) << true << qint64(0);
    QTest::newRow("product turning the bottom positive") << bottom << u"*"_s << qint64(-10000) << true << qint64(0);
    QTest::newRow("whole amount beyond the count") << qint64(1'000'000'000'000'000) << u"int"_s << qint64(0)
                                                    << true << qint64(0);
}

void TestCommon::refusesArithmeticOutOfRange()
{
    QFETCH(qint64, left);
    QFETCH(QString, operation);
    QFETCH(qint64, right);
    QFETCH(bool, refused);
    QFETCH(qint64, result);
    const Money a = fromUnits(left);
    const Money b = fromUnits(right);
    QCOMPARE(a.units(), left);
    QCOMPARE(b.units(), right);
    Money changed = a;
    const std::function<Money()> run = [&]() -> Money {
        if (operation == u"+")
            return a + b;
        if (operation == u"-")
            return a - b;
        if (operation == u"*")
            return a * b;
        if (operation == u"+=")
            return changed += b;
        return Money::fromInt(left);
    };
    if (!refused) {
        QCOMPARE(run().units(), result);
        return;
    }
    try {
        run();
        QFAIL("the operation should have been refused");
    } catch (const Refusal &refusal) {
        QCOMPARE(refusal.text(), u"金额超出范围"_s);
    }
    // A refused += leaves the amount as it was.
    QCOMPARE(changed, a);
}

void TestCommon::printsTwoDecimals()
{
    QCOMPARE(Money::fromText(u"30").toFixed2(), u"30.00"_s);
    QCOMPARE(Money::fromText(u"28.055").toFixed2(), u"28.06"_s);
    QCOMPARE(Money::fromText(u"28.045").toFixed2(), u"28.04"_s);
    QCOMPARE(Money::fromText(u"-0.5").toFixed2(), u"-0.50"_s);
}

void TestCommon::padsByGbkBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("padded");
    QTest::newRow("Chinese counts two") << u"名称"_s << 6 << u"名称  "_s;
    QTest::newRow("mixed") << u"洗剪吹x"_s << 10 << u"洗剪吹x   "_s;
    QTest::newRow("exact width unchanged") << u"abcdef"_s << 6 << u"abcdef"_s;
    QTest::newRow("longer never cut") << u"美发美发美"_s << 6 << u"美发美发美"_s;
    QTest::newRow("empty") << QString() << 3 << u"   "_s;
}

void TestCommon::padsByGbkBytes()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(QString, padded);
    QCOMPARE(GbkText::padRight(text, width), padded);
}

void TestCommon::readsStoredDates_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("expected");
    const QDateTime morning(QDate(2024, 3, 1), QTime(8, 0));
    QTest::newRow("SQLite text") << QVariant(u"2024-03-01 08:00:00"_s) << u"2024-03-01 08:00:00"_s;
    QTest::newRow("PostgreSQL timestamp") << QVariant(morning) << u"2024-03-01 08:00:00"_s;
    QTest::newRow("date only") << QVariant(u"2024-03-01"_s) << u"2024-03-01 00:00:00"_s;
    QTest::newRow("ISO with T") << QVariant(u"2024-03-01T08:00:00"_s) << u"2024-03-01 08:00:00"_s;
    QTest::newRow("NULL") << QVariant() << QString();
}

void TestCommon::readsStoredDates()
{
    QFETCH(QVariant, value);
    QFETCH(QString, expected);
    const QDateTime moment = DateFormat::fromVariant(value);
    QCOMPARE(moment.isValid() ? DateFormat::dateTimeText(moment) : QString(), expected);
}

void TestCommon::showsElapsedClock_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("shown");
    QTest::newRow("minutes") << 90 * 60 << u"01:30:00"_s;
    QTest::newRow("26 hours shows the hours past the day") << 26 * 3600 << u"02:00:00"_s;
    QTest::newRow("zero") << 0 << u"00:00:00"_s;
}

void TestCommon::showsElapsedClock()
{
    QFETCH(int, seconds);
    QFETCH(QString, shown);
    const QDateTime opened(QDate(2024, 3, 1), QTime(8, 0));
    QCOMPARE(DateFormat::elapsedClock(opened, opened.addSecs(seconds)), shown);
}

QTEST_APPLESS_MAIN(TestCommon)
#include "tst_common.moc"
