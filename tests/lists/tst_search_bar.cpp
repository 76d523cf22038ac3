#include "support/TestDb.h"

#include "common/Refusal.h"
#include "db/Database.h"
#include "lists/ListQuery.h"
#include "lists/SearchBar.h"

#include <QSqlQuery>
#include <QTest>

using namespace Qt::StringLiterals;

// What a described search bar makes of the operator's input: the conditions
// a list reads with, a refusal, or no search at all.
class TestSearchBar : public QObject
{
    Q_OBJECT

private slots:
    void inputBecomesConditions_data();
    void inputBecomesConditions();
    void defaultsFollowTheDescription();
    void hostileValuesMatchAsTyped_data();
    void hostileValuesMatchAsTyped();

private:
    static SearchBar bar(const QString &name);
};

namespace {

QString text(ListFilter::Match match)
{
    switch (match) {
    case ListFilter::Match::Equals:
        return u"="_s;
    case ListFilter::Match::Contains:
        return u"contains"_s;
    case ListFilter::Match::Pattern:
        return u"like"_s;
    case ListFilter::Match::Differs:
        return u"<>"_s;
    }
    return {};
}

QString moment(const QDateTime &at)
{
    return at.toString(u"yyyy-MM-dd hh:mm:ss"_s);
}

// The filter as lines: "column match value", "column from … until …";
// "nothing" without a search, "refused: text" for a refusal.
QStringList outcome(const SearchBar &bar, const SearchBar::Input &input)
{
    try {
        const std::optional<ListFilter> filter = bar.filter(input);
        if (!filter)
            return {u"nothing"_s};
        QStringList lines;
        for (const ListFilter::Condition &condition : filter->conditions)
            lines.append(condition.column + u' ' + text(condition.match) + u" ["_s
                         + condition.value.toString() + u']');
        for (const ListFilter::Range &range : filter->ranges)
            lines.append(range.column + u" from "_s + moment(range.from) + u" until "_s
                         + moment(range.until));
        return lines;
    } catch (const Refusal &refusal) {
        return {u"refused: "_s + refusal.text()};
    }
}

QDateTime at(const QString &text)
{
    return QDateTime::fromString(text, u"yyyy-MM-dd hh:mm:ss"_s);
}

const auto Search = QString::fromUtf16(SearchBar::Search);

} // namespace

SearchBar TestSearchBar::bar(const QString &name)
{
    SearchBar bar;
    if (name == u"bills") {
        // A value anywhere, a range to the second that always counts, a
        // tick list and a condition every search has.
        bar.fields = {{u"顾客姓名"_s, u"顾客姓名"_s, ListFilter::Match::Contains},
                      {u"单据号"_s, u"单据号"_s, ListFilter::Match::Contains}};
        bar.match = ListFilter::Match::Contains;
        bar.range = SearchBar::Range{u"结帐时间"_s, {0, QDate(2000, 1, 1)}, {1}};
        bar.range->withTimes = true;
        bar.tickLists = {{u"结帐方式"_s, u"结帐方式"_s, {u"现金支付"_s, u"卡内扣除"_s}},
                         {u"状态"_s, u"状态"_s, {u"已结"_s, u"免单"_s}}};
        bar.always = {{u"单据号"_s, ListFilter::Match::Differs, u"linshi"_s}};
    } else if (name == u"lines") {
        // The operator's wildcards, the value trimmed, a ticked range to the second.
        bar.fields = SearchBar::fieldsOf({u"商品名"_s, u"单据号"_s}, ListFilter::Match::Pattern);
        bar.match = ListFilter::Match::Pattern;
        bar.value = SearchBar::Value::Trimmed;
        bar.range = SearchBar::Range{u"消费时间"_s};
        bar.range->withTimes = true;
        bar.range->tick = u"消费时间"_s;
    } else if (name == u"members") {
        // Whole values; a caption that stands for another column.
        bar.fields = SearchBar::fieldsOf({u"会员卡号"_s, u"会员姓名"_s}, ListFilter::Match::Equals);
        bar.fields[1].column = u"顾客姓名"_s;
        bar.incomplete = SearchBar::Incomplete::Refused;
        bar.incompleteText = u"请填写查询条件!"_s;
    } else if (name == u"goods") {
        // One field and no field box; blanks are no value.
        bar.fields = {{u"名称"_s, u"商品名"_s, ListFilter::Match::Contains}};
        bar.anyColumn = false;
        bar.value = SearchBar::Value::TrimmedOrNone;
        bar.incomplete = SearchBar::Incomplete::Ignored;
    } else if (name == u"purchases") {
        // Whole days while ticked.
        bar.fields = {{u"名称"_s, u"商品名"_s, ListFilter::Match::Equals}};
        bar.anyColumn = false;
        bar.value = SearchBar::Value::TrimmedOrNone;
        bar.incomplete = SearchBar::Incomplete::Ignored;
        bar.range = SearchBar::Range{u"日期"_s, {0}, {1}, QString()};
        bar.range->tick = u"日期从"_s;
        bar.range->ticked = true;
    } else if (name == u"recharges") {
        // Whole days, or moments with a second box ticked.
        bar.fields = SearchBar::fieldsOf({u"会员姓名"_s, u"备注"_s}, ListFilter::Match::Equals);
        bar.firstField = u"会员卡号"_s;
        bar.value = SearchBar::Value::Trimmed;
        bar.incomplete = SearchBar::Incomplete::Refused;
        bar.incompleteText = u"请输入查询条件!"_s;
        bar.range = SearchBar::Range{u"充值日期"_s, {}, {}, QString()};
        bar.range->tick = u"充值日期从"_s;
        bar.range->withTimes = true;
        bar.range->timeTick = u"按时间"_s;
    } else if (name == u"totals") {
        // Days only, in order.
        bar.range = SearchBar::Range{u"日期"_s, {}, {}, u"起始日期"_s, u"终止日期"_s};
        bar.range->orderRefusal = u"起始日期不能大于终止日期,请重新选择!"_s;
    }
    bar.buttons = {{u"查询"_s, Search}};
    return bar;
}

void TestSearchBar::inputBecomesConditions_data()
{
    QTest::addColumn<QString>("bar");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("ranged");
    QTest::addColumn<bool>("timed");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<QStringList>("ticks");
    QTest::addColumn<QStringList>("expected");

    const QString first = u"2024-03-10 00:00:01"_s;
    const QString last = u"2024-03-12 23:59:59"_s;
    const QString toTheSecond = u"from 2024-03-10 00:00:01 until 2024-03-13 00:00:00"_s;
    const QString wholeDays = u"from 2024-03-10 00:00:00 until 2024-03-13 00:00:00"_s;
    const QString linshi = u"单据号 <> [linshi]"_s;

    QTest::newRow("bills: nothing typed, the range to the last second")
        << u"bills"_s << u"顾客姓名"_s << QString() << false << false << first << last
        << QStringList{QString(), QString()}
        << QStringList{linshi, u"结帐时间 "_s + toTheSecond};
    QTest::newRow("bills: quotes, % and _ are the value as typed")
        << u"bills"_s << u"顾客姓名"_s << u"O'N%_\\"_s << false << false << first << last
        << QStringList{QString(), QString()}
        << QStringList{linshi, u"顾客姓名 contains [O'N%_\\]"_s, u"结帐时间 "_s + toTheSecond};
    QTest::newRow("bills: blanks kept")
        << u"bills"_s << u"单据号"_s << u" 3 "_s << false << false << first << last
        << QStringList{QString(), QString()}
        << QStringList{linshi, u"单据号 contains [ 3 ]"_s, u"结帐时间 "_s + toTheSecond};
    QTest::newRow("bills: a typed column matches like the bar")
        << u"bills"_s << u"备注"_s << u"x"_s << false << false << first << last
        << QStringList{QString(), QString()}
        << QStringList{linshi, u"备注 contains [x]"_s, u"结帐时间 "_s + toTheSecond};
    QTest::newRow("bills: a value without a field is left out")
        << u"bills"_s << u"  "_s << u"x"_s << false << false << first << last
        << QStringList{QString(), QString()}
        << QStringList{linshi, u"结帐时间 "_s + toTheSecond};
    QTest::newRow("bills: ticked lists")
        << u"bills"_s << QString() << QString() << false << false << first << last
        << QStringList{u"卡内扣除"_s, u"免单"_s}
        << QStringList{linshi, u"结帐方式 = [卡内扣除]"_s, u"状态 = [免单]"_s,
                       u"结帐时间 "_s + toTheSecond};

    QTest::newRow("lines: unticked range, wildcards kept, blanks trimmed")
        << u"lines"_s << u"商品名"_s << u" %发_ "_s << false << false << first << last
        << QStringList() << QStringList{u"商品名 like [%发_]"_s};
    QTest::newRow("lines: blanks ask for an empty column")
        << u"lines"_s << u"商品名"_s << u"   "_s << false << false << first << last
        << QStringList() << QStringList{u"商品名 like []"_s};
    QTest::newRow("lines: nothing asked lists every line")
        << u"lines"_s << u"商品名"_s << QString() << false << false << first << last
        << QStringList() << QStringList();
    QTest::newRow("lines: ticked range alone, to the second")
        << u"lines"_s << u"商品名"_s << QString() << true << false << first << last
        << QStringList() << QStringList{u"消费时间 "_s + toTheSecond};

    QTest::newRow("members: a caption stands for its column")
        << u"members"_s << u"会员姓名"_s << u"王 芳"_s << false << false << first << last
        << QStringList() << QStringList{u"顾客姓名 = [王 芳]"_s};
    QTest::newRow("members: without a value refused")
        << u"members"_s << u"会员卡号"_s << QString() << false << false << first << last
        << QStringList() << QStringList{u"refused: 请填写查询条件!"_s};
    QTest::newRow("members: without a field refused")
        << u"members"_s << QString() << u"001"_s << false << false << first << last
        << QStringList() << QStringList{u"refused: 请填写查询条件!"_s};

    QTest::newRow("goods: the only field, trimmed")
        << u"goods"_s << u"名称"_s << u" 洗_发% "_s << false << false << first << last
        << QStringList() << QStringList{u"商品名 contains [洗_发%]"_s};
    QTest::newRow("goods: blanks do nothing")
        << u"goods"_s << u"名称"_s << u"  "_s << false << false << first << last
        << QStringList() << QStringList{u"nothing"_s};

    QTest::newRow("purchases: ticked days alone, the whole last day")
        << u"purchases"_s << u"名称"_s << u" "_s << true << false << first << last
        << QStringList() << QStringList{u"日期 "_s + wholeDays};
    QTest::newRow("purchases: days and name")
        << u"purchases"_s << u"名称"_s << u"洗发水"_s << true << false << first << last
        << QStringList() << QStringList{u"商品名 = [洗发水]"_s, u"日期 "_s + wholeDays};
    QTest::newRow("purchases: name alone")
        << u"purchases"_s << u"名称"_s << u"洗发水"_s << false << false << first << last
        << QStringList() << QStringList{u"商品名 = [洗发水]"_s};
    QTest::newRow("purchases: neither does nothing")
        << u"purchases"_s << u"名称"_s << QString() << false << false << first << last
        << QStringList() << QStringList{u"nothing"_s};

    QTest::newRow("recharges: a typed column, trimmed")
        << u"recharges"_s << u"会员卡号"_s << u" 0'1 "_s << false << false << first << last
        << QStringList() << QStringList{u"会员卡号 = [0'1]"_s};
    QTest::newRow("recharges: whole days")
        << u"recharges"_s << u"会员卡号"_s << QString() << true << false << first << last
        << QStringList() << QStringList{u"充值日期 "_s + wholeDays};
    QTest::newRow("recharges: with times, to the second")
        << u"recharges"_s << u"会员卡号"_s << QString() << true << true << first << last
        << QStringList() << QStringList{u"充值日期 "_s + toTheSecond};
    QTest::newRow("recharges: times without days count for nothing")
        << u"recharges"_s << u"会员卡号"_s << QString() << false << true << first << last
        << QStringList() << QStringList{u"refused: 请输入查询条件!"_s};
    QTest::newRow("recharges: a value without a field refused, days or not")
        << u"recharges"_s << QString() << u"001"_s << true << false << first << last
        << QStringList() << QStringList{u"refused: 请输入查询条件!"_s};

    QTest::newRow("totals: one day is that whole day")
        << u"totals"_s << QString() << QString() << true << false << u"2024-03-10 00:00:00"_s
        << u"2024-03-10 00:00:00"_s << QStringList()
        << QStringList{u"日期 from 2024-03-10 00:00:00 until 2024-03-11 00:00:00"_s};
    QTest::newRow("totals: the last day before the first refused")
        << u"totals"_s << QString() << QString() << true << false << u"2024-03-10 00:00:00"_s
        << u"2024-03-09 23:59:59"_s << QStringList()
        << QStringList{u"refused: 起始日期不能大于终止日期,请重新选择!"_s};
}

void TestSearchBar::inputBecomesConditions()
{
    QFETCH(QString, bar);
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(bool, ranged);
    QFETCH(bool, timed);
    QFETCH(QString, first);
    QFETCH(QString, last);
    QFETCH(QStringList, ticks);
    QFETCH(QStringList, expected);
    const SearchBar::Input input{field, value, ranged, timed, at(first), at(last), ticks};
    QCOMPARE(outcome(this->bar(bar), input), expected);
}

void TestSearchBar::defaultsFollowTheDescription()
{
    const QDate today(2024, 3, 1);
    const SearchBar::Input bills = bar(u"bills"_s).defaults(today);
    QCOMPARE(bills.field, u"顾客姓名"_s);
    QVERIFY(bills.ranged);
    QCOMPARE(bills.first, at(u"2000-01-01 00:00:00"_s));
    QCOMPARE(bills.last, at(u"2024-03-02 23:59:59"_s));
    QCOMPARE(bills.ticks, (QStringList{QString(), QString()}));

    const SearchBar::Input recharges = bar(u"recharges"_s).defaults(today);
    QCOMPARE(recharges.field, u"会员卡号"_s);
    QVERIFY(!recharges.ranged);
    QCOMPARE(bar(u"recharges"_s).column(recharges.field), u"会员卡号"_s);
    QCOMPARE(bar(u"members"_s).column(u"会员姓名"_s), u"顾客姓名"_s);

    const SearchBar::Input purchases = bar(u"purchases"_s).defaults(today);
    QVERIFY(purchases.ranged);
    QCOMPARE(purchases.first.date(), today);
    QCOMPARE(purchases.last.date(), today.addDays(1));
}

void TestSearchBar::hostileValuesMatchAsTyped_data()
{
    QTest::addColumn<QString>("bar");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("found");
    QTest::newRow("quote, equal") << u"members"_s << u"O'Neil"_s << QStringList{u"002"_s};
    QTest::newRow("percent, equal") << u"members"_s << u"100%"_s << QStringList{u"003"_s};
    QTest::newRow("percent, anywhere") << u"goods"_s << u"%"_s << QStringList{u"003"_s};
    QTest::newRow("underscore, anywhere") << u"goods"_s << u"_"_s << QStringList{u"004"_s};
    QTest::newRow("backslash, anywhere") << u"goods"_s << u"\\"_s << QStringList{u"005"_s};
    QTest::newRow("an injection, anywhere")
        << u"goods"_s << u"' or '1'='1"_s << QStringList();
}

void TestSearchBar::hostileValuesMatchAsTyped()
{
    QFETCH(QString, bar);
    QFETCH(QString, value);
    QFETCH(QStringList, found);
    const std::unique_ptr<Database> db = TestDb::fresh();
    const QStringList names{u"王芳"_s, u"O'Neil"_s, u"100%"_s, u"a_b"_s, u"c\\d"_s};
    for (int i = 0; i < names.size(); ++i) {
        db->execute(u"insert into 会员管理 (会员卡号, 会员姓名) values (?, ?)"_s,
                    {QString(u"00"_s + QString::number(i + 1)), names[i]});
    }
    // The bar's fields name the member table's columns.
    SearchBar described = this->bar(bar);
    for (SearchBar::Field &field : described.fields)
        field.column = u"会员姓名"_s;
    const std::optional<ListFilter> filter =
        described.filter({described.fields.first().caption, value});
    QVERIFY(filter);
    ListQuery query(*db, {u"会员管理"_s, u"select * from 会员管理"_s, u"order by 会员卡号"_s, {}});
    QSqlQuery rows = query.run(*filter);
    QStringList cards;
    while (rows.next())
        cards.append(rows.value(u"会员卡号"_s).toString());
    QCOMPARE(cards, found);
}

SALONDESK_DB_TEST_MAIN(TestSearchBar)
#include "tst_search_bar.moc"
