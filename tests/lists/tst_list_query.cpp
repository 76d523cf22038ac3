#include "support/TestDb.h"

#include "common/Refusal.h"
#include "db/ResultTableModel.h"
#include "lists/ListQuery.h"

#include <QTest>

using namespace Qt::StringLiterals;

// The search behind every list window: real columns only, bound values,
// date ranges that end where the operator says, footers by the database's
// values.
class TestListQuery : public QObject
{
    Q_OBJECT

private slots:
    void refusesColumnsTheTableLacks_data();
    void refusesColumnsTheTableLacks();
    void matchesValuesAsOrdinaryText_data();
    void matchesValuesAsOrdinaryText();
    void wholeDaysIncludeTheLastDay();
    void footersCountAndSumExactly();
    void footerNamesAnAmountThatIsNoNumber();
    void pagesMakeTheWholeList();

private:
    static ListDescription members();
    static void member(Database &db, const QString &card, const QString &name,
                       const QString &balance, const QString &registered = u"2024-03-01 09:00:00"_s);
    static QStringList cards(ListQuery &query, const ListFilter &filter);
};

ListDescription TestListQuery::members()
{
    return {u"会员管理"_s, u"select * from 会员管理"_s, u"order by 会员卡号"_s,
            {{u"会员卡号"_s, u"会员卡号"_s, ListColumn::Footer::Count},
             {u"会员姓名"_s, u"会员姓名"_s},
             {u"卡内金额"_s, u"卡内金额"_s, ListColumn::Footer::Sum}}};
}

void TestListQuery::member(Database &db, const QString &card, const QString &name,
                           const QString &balance, const QString &registered)
{
    // By hand: the registration date is the database's own stamp when a
    // member is added, and these rows need dates of their own.
    db.execute(u"insert into 会员管理 (会员卡号, 会员姓名, 卡内金额, 登记日期) values (?, ?, ?, ?)"_s,
               {card, name, balance, registered});
}

QStringList TestListQuery::cards(ListQuery &query, const ListFilter &filter)
{
    QStringList found;
    QSqlQuery rows = query.run(filter);
    while (rows.next())
        found.append(rows.value(u"会员卡号"_s).toString());
    return found;
}

void TestListQuery::refusesColumnsTheTableLacks_data()
{
    QTest::addColumn<QString>("column");
    QTest::newRow("unknown name") << u"余额"_s;
    QTest::newRow("statement text") << u"会员卡号 = 会员卡号 or 1"_s;
    QTest::newRow("another table's column") << u"号牌状态"_s;
    QTest::newRow("empty") << QString();
}

void TestListQuery::refusesColumnsTheTableLacks()
{
    QFETCH(QString, column);
    auto db = TestDb::fresh();
    member(*db, u"001"_s, u"王芳"_s, u"100"_s);
    ListQuery query(*db, members());
    ListFilter filter;
    filter.conditions.append({column, ListFilter::Match::Equals, u"x"_s});
    try {
        query.run(filter);
        QFAIL("a column the table lacks reached the statement");
    } catch (const Refusal &refusal) {
        QCOMPARE(refusal.text(), u"没有这个查询字段: "_s + column);
    }
    // The table's own spelling of a real column is accepted in any case.
    QCOMPARE(query.checkedColumn(u" 会员姓名 "_s), u"会员姓名"_s);
}

void TestListQuery::matchesValuesAsOrdinaryText_data()
{
    QTest::addColumn<int>("match");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("found");
    const int equals = int(ListFilter::Match::Equals);
    const int contains = int(ListFilter::Match::Contains);
    QTest::newRow("equals is the whole value") << equals << u"王"_s << QStringList();
    QTest::newRow("equals") << equals << u"王芳"_s << QStringList{u"001"_s};
    QTest::newRow("contains") << contains << u"芳"_s << QStringList{u"001"_s, u"003"_s};
    QTest::newRow("percent is a character") << contains << u"%"_s << QStringList{u"004"_s};
    QTest::newRow("underscore is a character") << contains << u"_"_s << QStringList{u"005"_s};
    QTest::newRow("quote") << contains << u"O'"_s << QStringList{u"006"_s};
    QTest::newRow("backslash") << contains << u"\\"_s << QStringList{u"007"_s};
}

void TestListQuery::matchesValuesAsOrdinaryText()
{
    QFETCH(int, match);
    QFETCH(QString, value);
    QFETCH(QStringList, found);
    auto db = TestDb::fresh();
    member(*db, u"001"_s, u"王芳"_s, u"0"_s);
    member(*db, u"002"_s, u"李娜"_s, u"0"_s);
    member(*db, u"003"_s, u"芳芳"_s, u"0"_s);
    member(*db, u"004"_s, u"100%满意"_s, u"0"_s);
    member(*db, u"005"_s, u"a_b"_s, u"0"_s);
    member(*db, u"006"_s, u"O'Neil"_s, u"0"_s);
    member(*db, u"007"_s, u"C:\\x"_s, u"0"_s);
    ListQuery query(*db, members());
    ListFilter filter;
    filter.conditions.append({u"会员姓名"_s, ListFilter::Match(match), value});
    QCOMPARE(cards(query, filter), found);
}

void TestListQuery::wholeDaysIncludeTheLastDay()
{
    auto db = TestDb::fresh();
    member(*db, u"001"_s, u"甲"_s, u"0"_s, u"2024-02-29 23:59:59"_s);
    member(*db, u"002"_s, u"乙"_s, u"0"_s, u"2024-03-01 00:00:00"_s);
    member(*db, u"003"_s, u"丙"_s, u"0"_s, u"2024-03-02 23:59:59"_s);
    member(*db, u"004"_s, u"丁"_s, u"0"_s, u"2024-03-03 00:00:00"_s);
    ListQuery query(*db, members());
    ListFilter days;
    days.ranges.append(ListFilter::wholeDays(u"登记日期"_s, QDate(2024, 3, 1), QDate(2024, 3, 2)));
    QCOMPARE(cards(query, days), (QStringList{u"002"_s, u"003"_s}));
    ListFilter moments;
    moments.ranges.append(ListFilter::upTo(u"登记日期"_s, QDateTime(QDate(2024, 3, 1), QTime(0, 0)),
                                           QDateTime(QDate(2024, 3, 2), QTime(23, 59, 58))));
    QCOMPARE(cards(query, moments), QStringList{u"002"_s});
}

void TestListQuery::footersCountAndSumExactly()
{
    auto db = TestDb::fresh();
    member(*db, u"001"_s, u"甲"_s, u"0.1"_s);
    member(*db, u"002"_s, u"乙"_s, u"0.2"_s);
    member(*db, u"003"_s, u"丙"_s, u"1234567.0005"_s);
    member(*db, u"004"_s, u"丁"_s, u"-0.0001"_s);
    ListQuery query(*db, members());
    const ListQuery::Footers all = query.footers();
    QCOMPARE(all.rows, 4);
    QCOMPARE(all.texts, (QStringList{u"4"_s, QString(), u"1234567.3004"_s}));
    // Over what the search finds, not over what a grid has read.
    ListFilter filter;
    filter.conditions.append({u"会员姓名"_s, ListFilter::Match::Equals, u"乙"_s});
    QCOMPARE(query.footers(filter).texts, (QStringList{u"1"_s, QString(), u"0.2"_s}));
}

void TestListQuery::footerNamesAnAmountThatIsNoNumber()
{
    if (TestDb::backend() == Backend::Postgres)
        QSKIP("PostgreSQL keeps only numbers in a numeric column");
    auto db = TestDb::fresh();
    member(*db, u"001"_s, u"甲"_s, u"abc"_s);
    ListQuery query(*db, members());
    try {
        query.footers();
        QFAIL("a text summed as an amount");
    } catch (const DbError &error) {
        QVERIFY2(error.text().contains(u"会员管理"_s) && error.text().contains(u"卡内金额"_s)
                     && error.text().contains(u"abc"_s),
                 qPrintable(error.text()));
    }
}

void TestListQuery::pagesMakeTheWholeList()
{
    auto db = TestDb::fresh();
    for (int i = 1; i <= 7; ++i)
        member(*db, u"%1"_s.arg(i, 3, 10, QChar(u'0')), u"会员"_s, u"1"_s);
    ListQuery query(*db, members());
    ResultTableModel rows;
    rows.loadPaged([&](int offset, int count) { return query.page({}, offset, count); }, 3);
    QCOMPARE(rows.rowCount(), 3);
    while (rows.canFetchMore())
        rows.fetchMore();
    QStringList cards;
    for (int row = 0; row < rows.rowCount(); ++row)
        cards.append(rows.value(row, u"会员卡号"_s).toString());
    QCOMPARE(cards, (QStringList{u"001"_s, u"002"_s, u"003"_s, u"004"_s, u"005"_s, u"006"_s,
                                 u"007"_s}));
}

SALONDESK_DB_TEST_MAIN(TestListQuery)
#include "tst_list_query.moc"
