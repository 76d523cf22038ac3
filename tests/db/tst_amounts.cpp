#include "support/TestDb.h"

#include "db/Amounts.h"
#include "db/ResultTableModel.h"

#include <QSqlQuery>
#include <QTest>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

// Amount columns as list windows and the logic read them, including values
// that are not amounts at all.
class TestAmounts : public QObject
{
    Q_OBJECT

private slots:
    void listShowsWhatIsNotAnAmountAsStored_data();
    void listShowsWhatIsNotAnAmountAsStored();
    void readAmountNamesTheBadValue_data();
    void readAmountNamesTheBadValue();
};

namespace {

// A room whose ticket price holds `stored` as the database kept it, or
// nothing when the database refuses the value.
std::optional<QVariant> storeTicket(Database &db, const QString &stored)
{
    db.execute(u"insert into 包厢 (包厢, 门票价格) values (?, ?)"_s, {u"好"_s, u"28.05"_s});
    try {
        db.execute(u"insert into 包厢 (包厢, 门票价格) values (?, ?)"_s, {u"坏"_s, stored});
    } catch (const DbError &) {
        return std::nullopt;
    }
    return db.scalar(u"select 门票价格 from 包厢 where 包厢=?"_s, {u"坏"_s});
}

} // namespace

void TestAmounts::listShowsWhatIsNotAnAmountAsStored_data()
{
    QTest::addColumn<QString>("stored");
    QTest::newRow("text") << u"abc"_s;
    QTest::newRow("NaN") << u"NaN"_s;
    QTest::newRow("infinity") << u"1e309"_s;
    QTest::newRow("minus infinity") << u"-1e309"_s;
    QTest::newRow("beyond any amount") << u"1e300"_s;
}

void TestAmounts::listShowsWhatIsNotAnAmountAsStored()
{
    QFETCH(QString, stored);
    auto db = TestDb::fresh();
    const std::optional<QVariant> raw = storeTicket(*db, stored);
    if (!raw)
        QSKIP("this database refuses such a value in an amount column");
    QSqlQuery query = db->exec(u"select 包厢, 门票价格 from 包厢 order by 包厢 desc"_s);
    ResultTableModel model;
    model.load(query);
    QCOMPARE(model.value(0, u"包厢"_s).toString(), u"好"_s);
    const QModelIndex good = model.index(0, 1);
    const QModelIndex bad = model.index(1, 1);
    QCOMPARE(model.data(good).toString(), u"28.05"_s);
    QCOMPARE(model.data(good, Qt::EditRole).toDouble(), 28.05);
    QCOMPARE(model.data(bad).toString(), raw->toString());
    QCOMPARE(model.data(bad, Qt::EditRole), QVariant(raw->toString()));
}

void TestAmounts::readAmountNamesTheBadValue_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("amount"); // empty: refused
    QTest::addColumn<QString>("reason"); // why it is refused
    const QString noNumber = u"不是数字"_s;
    QTest::newRow("numeric text") << QVariant(u"28.05"_s) << u"28.05"_s << QString();
    QTest::newRow("REAL") << QVariant(12.5) << u"12.5"_s << QString();
    QTest::newRow("integer") << QVariant(7) << u"7"_s << QString();
    QTest::newRow("NULL is zero") << QVariant() << u"0"_s << QString();
    QTest::newRow("empty text is zero") << QVariant(u""_s) << u"0"_s << QString();
    // An older shop's amount past the stored range, but within Money.
    QTest::newRow("15 whole digits") << QVariant(9e14) << u"900000000000000"_s << QString();
    QTest::newRow("text") << QVariant(u"abc"_s) << QString() << noNumber;
    QTest::newRow("NaN text") << QVariant(u"NaN"_s) << QString() << noNumber;
    QTest::newRow("infinity text") << QVariant(u"inf"_s) << QString() << noNumber;
    QTest::newRow("overflowing exponent") << QVariant(u"1e309"_s) << QString() << noNumber;
    QTest::newRow("infinity") << QVariant(std::numeric_limits<double>::infinity()) << QString() << noNumber;
    QTest::newRow("NaN") << QVariant(std::nan("")) << QString() << noNumber;
    // A number, only too large: said so, never "no number".
    QTest::newRow("beyond any amount") << QVariant(1e300) << QString() << u"金额超出范围"_s;
    QTest::newRow("just past Money") << QVariant(u"922337203685477.5808"_s) << QString() << u"金额超出范围"_s;
    QTest::newRow("numeric(19,4) at its end") << QVariant(u"999999999999999.9999"_s) << QString()
                                              << u"金额超出范围"_s;
}

void TestAmounts::readAmountNamesTheBadValue()
{
    QFETCH(QVariant, value);
    QFETCH(QString, amount);
    QFETCH(QString, reason);
    if (!amount.isEmpty()) {
        QCOMPARE(readAmount(value, u"包厢"_s, u"门票价格"_s).toString(), amount);
        return;
    }
    QVERIFY(!tryReadAmount(value));
    try {
        readAmount(value, u"包厢"_s, u"门票价格"_s);
        QFAIL("the value should have been refused");
    } catch (const DbError &error) {
        QCOMPARE(error.text(),
                 u"表 包厢 的字段 门票价格 中的值 \"%1\" %2"_s.arg(value.toString(), reason));
    }
}

SALONDESK_DB_TEST_MAIN(TestAmounts)
#include "tst_amounts.moc"
