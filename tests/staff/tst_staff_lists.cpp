#include "support/ShopBuilder.h"
#include "support/TestDb.h"

#include "common/Money.h"
#include "common/Refusal.h"
#include "db/Database.h"
#include "lists/ListQuery.h"
#include "staff/StaffLists.h"

#include <QSqlQuery>
#include <QTest>

#include <stdexcept>

using namespace Qt::StringLiterals;

// The commission totals and details and the salary records: which rows
// each search finds and what it refuses.
class TestStaffLists : public QObject
{
    Q_OBJECT

private slots:
    void totalsGroupEveryLineByEmployee();
    void totalsIncludeTheWholeLastDay_data();
    void totalsIncludeTheWholeLastDay();
    void totalsRefuseAnEndBeforeTheStart();
    void linesMatchTheWholeValue();
    void linesRefuseIncompleteConditions_data();
    void linesRefuseIncompleteConditions();
    void salaryRecordsMatchTheWholeValue();
};

namespace {

void line(Database &db, int id, const QString &code, const QString &commission,
          const QString &at, const QString &bill = u"B1"_s, const QString &paid = u"0"_s)
{
    ShopBuilder::Line line;
    line.plate = u"SP001"_s;
    line.goods = u"洗剪吹"_s;
    line.commission = Money::fromText(commission);
    line.employee = code;
    line.employeeName = code == u"n" ? u"n"_s : u"员工"_s + code;
    line.time = QDateTime::fromString(at, u"yyyy-MM-dd hh:mm:ss"_s);
    // The lines of a fresh shop are numbered from 1 in the order they are made.
    if (ShopBuilder(db).settledLine(line, bill, paid == u"1"_s) != id)
        throw std::logic_error("the settled line was not numbered as the test expects");
}

// "code=amount" per row, in the list's order.
QStringList totals(ListQuery &query, const ListFilter &filter = {})
{
    QStringList rows;
    QSqlQuery result = query.run(filter);
    while (result.next())
        rows.append(result.value(0).toString() + u'=' + Money::fromVariant(result.value(1)).toString());
    return rows;
}

QStringList column(ListQuery &query, const ListFilter &filter, const QString &name)
{
    QStringList values;
    QSqlQuery result = query.run(filter);
    while (result.next())
        values.append(result.value(name).toString());
    return values;
}

} // namespace

void TestStaffLists::totalsGroupEveryLineByEmployee()
{
    auto db = TestDb::fresh();
    line(*db, 1, u"001"_s, u"5"_s, u"2024-03-01 10:00:00"_s);
    line(*db, 2, u"001"_s, u"0.1"_s, u"2024-03-02 10:00:00"_s, u"B2"_s, u"1"_s);
    line(*db, 3, u"001"_s, u"-2"_s, u"2024-03-03 10:00:00"_s);
    line(*db, 4, u"002"_s, u"0.2"_s, u"2024-03-01 11:00:00"_s);
    // Lines booked without an employee form a group of their own.
    line(*db, 5, u"n"_s, u"0"_s, u"2024-03-01 12:00:00"_s);
    ListQuery query(*db, StaffLists::commissionTotals());
    QCOMPARE(totals(query), (QStringList{u"001=3.1"_s, u"002=0.2"_s, u"n=0"_s}));
    const ListQuery::Footers footers = query.footers();
    QCOMPARE(footers.rows, 3);
}

void TestStaffLists::totalsIncludeTheWholeLastDay_data()
{
    QTest::addColumn<QString>("at");
    QTest::addColumn<bool>("counted");
    QTest::newRow("day before, last second") << u"2024-02-29 23:59:59"_s << false;
    QTest::newRow("first day, midnight") << u"2024-03-01 00:00:00"_s << true;
    QTest::newRow("last day, noon") << u"2024-03-02 12:00:00"_s << true;
    QTest::newRow("last day, last second") << u"2024-03-02 23:59:59"_s << true;
    QTest::newRow("next day, midnight") << u"2024-03-03 00:00:00"_s << false;
}

void TestStaffLists::totalsIncludeTheWholeLastDay()
{
    QFETCH(QString, at);
    QFETCH(bool, counted);
    auto db = TestDb::fresh();
    line(*db, 1, u"001"_s, u"5"_s, at);
    line(*db, 2, u"001"_s, u"7"_s, u"2024-03-01 12:00:00"_s);
    ListQuery query(*db, StaffLists::commissionTotals());
    const ListFilter days = StaffLists::commissionTotalsBetween(QDate(2024, 3, 1), QDate(2024, 3, 2));
    QCOMPARE(totals(query, days), QStringList{counted ? u"001=12"_s : u"001=7"_s});
    // One day: from its first to its last second.
    const ListFilter oneDay = StaffLists::commissionTotalsBetween(QDate(2024, 3, 2), QDate(2024, 3, 2));
    const bool onTheDay = at.startsWith(u"2024-03-02"_s);
    QCOMPARE(totals(query, oneDay), onTheDay ? QStringList{u"001=5"_s} : QStringList());
}

void TestStaffLists::totalsRefuseAnEndBeforeTheStart()
{
    try {
        StaffLists::commissionTotalsBetween(QDate(2024, 3, 2), QDate(2024, 3, 1));
        QFAIL("accepted");
    } catch (const Refusal &refusal) {
        QCOMPARE(refusal.text(), u"起始日期不能大于终止日期,请重新选择!"_s);
    }
}

void TestStaffLists::linesMatchTheWholeValue()
{
    auto db = TestDb::fresh();
    line(*db, 1, u"001"_s, u"5"_s, u"2024-03-01 10:00:00"_s, u"B1"_s, u"1"_s);
    line(*db, 2, u"0012"_s, u"7.25"_s, u"2024-03-01 11:00:00"_s, u"B1"_s);
    line(*db, 3, u"001"_s, u"-1"_s, u"2024-03-02 11:00:00"_s, u"B2"_s);
    ListQuery query(*db, StaffLists::commissionLines());

    const ListFilter employee = StaffLists::commissionLinesWhere(u"员工编号"_s, u"001"_s);
    QCOMPARE(column(query, employee, u"ID"_s), (QStringList{u"1"_s, u"3"_s}));
    QCOMPARE(column(query, employee, u"TcYf"_s), (QStringList{u"1"_s, u"0"_s}));
    QCOMPARE(query.footers(employee).texts,
             (QStringList{u"2"_s, {}, {}, {}, {}, {}, u"4"_s, {}}));
    QCOMPARE(column(query, StaffLists::commissionLinesWhere(u"单据号"_s, u"B1"_s), u"ID"_s),
             (QStringList{u"1"_s, u"2"_s}));
    // A column name typed in another case.
    QCOMPARE(column(query, StaffLists::commissionLinesWhere(u"tcyf"_s, u"0"_s), u"ID"_s),
             (QStringList{u"2"_s, u"3"_s}));
    QCOMPARE(query.footers().texts.value(6), u"11.25"_s);
}

void TestStaffLists::linesRefuseIncompleteConditions_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("message");
    QTest::newRow("details, no value") << u"lines"_s << u"员工编号"_s << QString()
                                       << u"请认真填写查询条件"_s;
    QTest::newRow("details, no column") << u"lines"_s << u" "_s << u"001"_s
                                        << u"请认真填写查询条件"_s;
    QTest::newRow("details, unknown column") << u"lines"_s << u"工资"_s << u"001"_s
                                             << u"没有这个查询字段: 工资"_s;
    QTest::newRow("records, no value") << u"records"_s << u"员工编号"_s << QString()
                                       << u"请输入查询条件!"_s;
    QTest::newRow("records, no column") << u"records"_s << QString() << u"001"_s
                                        << u"请输入查询条件!"_s;
    QTest::newRow("records, unknown column") << u"records"_s << u"号牌"_s << u"SP001"_s
                                             << u"没有这个查询字段: 号牌"_s;
}

void TestStaffLists::linesRefuseIncompleteConditions()
{
    QFETCH(QString, list);
    QFETCH(QString, column);
    QFETCH(QString, value);
    QFETCH(QString, message);
    auto db = TestDb::fresh();
    const bool lines = list == u"lines";
    ListQuery query(*db, lines ? StaffLists::commissionLines() : StaffLists::salaryRecords());
    try {
        const ListFilter filter = lines ? StaffLists::commissionLinesWhere(column, value)
                                        : StaffLists::salaryRecordsWhere(column, value);
        query.footers(filter);
        query.run(filter);
        QFAIL("searched");
    } catch (const Refusal &refusal) {
        QCOMPARE(refusal.text(), message);
    }
}

void TestStaffLists::salaryRecordsMatchTheWholeValue()
{
    auto db = TestDb::fresh();
    const auto payment = [&](const QString &code, const QString &note) {
        db->execute(u"insert into 员工工资表 (员工编号, 员工姓名, 日期, 工资, 提成, 合计, 备注, 登记人) "
                    "values (?, '张敏', '2024-03-01 10:00:00', 3000, 5, 3005, ?, '前台')"_s,
                    {code, note});
    };
    payment(u"001"_s, u" 基本工资  提成 "_s);
    payment(u"002"_s, u" 基本工资 "_s);
    payment(u"001"_s, u"三月%"_s);
    ListQuery query(*db, StaffLists::salaryRecords());
    QCOMPARE(column(query, StaffLists::salaryRecordsWhere(u"备注"_s, u" 基本工资 "_s), u"员工编号"_s),
             QStringList{u"002"_s});
    QCOMPARE(column(query, StaffLists::salaryRecordsWhere(u"备注"_s, u"三月%"_s), u"员工编号"_s),
             QStringList{u"001"_s});
    QCOMPARE(query.footers(StaffLists::salaryRecordsWhere(u"员工编号"_s, u"001"_s)).rows, 2);
    ListQuery history(*db, StaffLists::salaryHistory());
    QCOMPARE(history.footers(StaffLists::paymentsOf(u"001"_s)).texts.value(0), u"2"_s);
}

SALONDESK_DB_TEST_MAIN(TestStaffLists)
#include "tst_staff_lists.moc"
