#include "common/DateFormat.h"
#include "common/GbkText.h"
#include "common/Money.h"

#include <QTest>

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
}

void TestCommon::readsDatabaseValues()
{
    QFETCH(QVariant, value);
    QFETCH(QString, expected);
    QCOMPARE(Money::fromVariant(value).toString(), expected);
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
