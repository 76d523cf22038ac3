#include "support/ShopBuilder.h"
#include "support/TestDb.h"

#include "common/Money.h"
#include "common/Refusal.h"
#include "staff/EmployeeStore.h"

#include <QSqlQuery>
#include <QTest>

using namespace Qt::StringLiterals;

using Employee = EmployeeStore::Employee;

// Keeping employees: what is written, what is refused, and that a change
// reaches only the row the operator saw.
class TestEmployees : public QObject
{
    Q_OBJECT

private slots:
    void addWritesEveryColumn();
    void incompleteEmployeeIsRefused_data();
    void incompleteEmployeeIsRefused();
    void updateChangesOnlyTheShownRow_data();
    void updateChangesOnlyTheShownRow();
    void changedMeanwhileIsRefused_data();
    void changedMeanwhileIsRefused();
    void identicalRowsAreChangedOneAtATime();
    void duplicateCodeIsRefused_data();
    void duplicateCodeIsRefused();
    void removeLeavesPayAndLinesAlone();
    void levelNamesInTheOrderAdded();
};

namespace {

const QVariant Null;

// As the drivers bind it: a null QString is NULL too.
bool isNull(const QVariant &value)
{
    return value.isNull() || value.toString().isNull();
}

// A row as it stands, nulls and twins included, as older data may hold it;
// the store refuses such rows, so they are written by hand.
void insert(Database &db, const QVariantList &values)
{
    db.execute(u"insert into 员工管理 (员工编号, 员工姓名, 性别, 员工等级, 联系电话, 证件号码, "
               u"备注) values (?, ?, ?, ?, ?, ?, ?)"_s,
               values);
}

// Every row of 员工管理 as "a|b|…" with a null as "∅", sorted.
QStringList table(Database &db)
{
    QStringList rows;
    QSqlQuery query = db.exec(u"select 员工编号, 员工姓名, 性别, 员工等级, 联系电话, 证件号码, 备注 "
                              u"from 员工管理"_s);
    while (query.next()) {
        QStringList cells;
        for (int column = 0; column < 7; ++column)
            cells.append(query.value(column).isNull() ? u"∅"_s : query.value(column).toString());
        rows.append(cells.join(u'|'));
    }
    rows.sort();
    return rows;
}

Employee wang()
{
    return {u"001"_s, u"王芳"_s, u"女"_s, u"高级"_s, u"138"_s, u"110"_s, u"备注"_s};
}

QVariantList shownOf(const Employee &employee)
{
    return employee.values();
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

const QString Stale = u"该员工的资料已被其他工作站修改或删除,请刷新后再操作!"_s;

} // namespace

void TestEmployees::addWritesEveryColumn()
{
    auto db = TestDb::fresh();
    EmployeeStore store(*db);
    // Quotes and wildcards are plain text; the code loses its blanks, as
    // the salary payment trims it; a level without a row is accepted.
    store.add({u" 0'1 "_s, u"王\"芳"_s, u"女"_s, u"不存在的等级"_s, u"50%_"_s, u"\\x"_s,
               u"第一行\n第二行"_s});
    store.add({u"002"_s, u"李娜"_s, u"男"_s, u"初级"_s, {}, {}, {}});
    QCOMPARE(table(*db), (QStringList{u"0'1|王\"芳|女|不存在的等级|50%_|\\x|第一行\n第二行"_s,
                                      u"002|李娜|男|初级|∅|∅|∅"_s}));
}

void TestEmployees::incompleteEmployeeIsRefused_data()
{
    QTest::addColumn<Employee>("employee");
    QTest::addColumn<bool>("change");
    Employee noCode = wang();
    noCode.code.clear();
    Employee blankName = wang();
    blankName.name = u"  "_s;
    Employee noLevel = wang();
    noLevel.level.clear();
    for (const bool change : {false, true}) {
        const char *mode = change ? "change" : "add";
        QTest::addRow("%s without code", mode) << noCode << change;
        QTest::addRow("%s with blank name", mode) << blankName << change;
        QTest::addRow("%s without level", mode) << noLevel << change;
    }
}

void TestEmployees::incompleteEmployeeIsRefused()
{
    QFETCH(Employee, employee);
    QFETCH(bool, change);
    auto db = TestDb::fresh();
    const Employee shown{u"009"_s, u"张三"_s, u"男"_s, u"初级"_s, {}, {}, {}};
    insert(*db, shown.values());
    const QStringList before = table(*db);
    EmployeeStore store(*db);
    QCOMPARE(refusalOf([&] {
                 if (change)
                     store.update(shownOf(shown), employee);
                 else
                     store.add(employee);
             }),
             u"编号 姓名 等级必须填写！"_s);
    QCOMPARE(table(*db), before);
}

void TestEmployees::updateChangesOnlyTheShownRow_data()
{
    QTest::addColumn<QVariantList>("shown");
    QTest::newRow("every column filled")
        << QVariantList{u"001"_s, u"王芳"_s, u"女"_s, u"高级"_s, u"138"_s, u"110"_s, u"x"_s};
    // Older rows hold nulls where nothing was typed; a null is matched as null.
    QTest::newRow("nulls") << QVariantList{u"001"_s, u"王芳"_s, Null, Null, Null, Null, Null};
    const QVariant nullText{QString()};
    QTest::newRow("nulls as null texts")
        << QVariantList{u"001"_s, u"王芳"_s, nullText, nullText, nullText, nullText, nullText};
    QTest::newRow("empty texts")
        << QVariantList{u"001"_s, u"王芳"_s, u""_s, u""_s, u""_s, u""_s, u""_s};
}

void TestEmployees::updateChangesOnlyTheShownRow()
{
    QFETCH(QVariantList, shown);
    auto db = TestDb::fresh();
    insert(*db, shown);
    // The same code and name with a null where the shown row has text, or
    // the other way round: a different row.
    QVariantList other = shown;
    other[6] = isNull(shown[6]) ? QVariant(u"y"_s) : Null;
    insert(*db, other);
    insert(*db, {u"002"_s, u"李娜"_s, u"男"_s, u"初级"_s, Null, Null, Null});

    EmployeeStore(*db).update(shown, {u"001"_s, u"王芳芳"_s, u"女"_s, u"中级"_s, u"139"_s,
                                      QString(), u"改过"_s});
    QStringList expected{u"001|王芳芳|女|中级|139|∅|改过"_s, u"002|李娜|男|初级|∅|∅|∅"_s};
    QStringList otherCells;
    for (const QVariant &value : other)
        otherCells.append(isNull(value) ? u"∅"_s : value.toString());
    expected.append(otherCells.join(u'|'));
    expected.sort();
    QCOMPARE(table(*db), expected);
}

void TestEmployees::changedMeanwhileIsRefused_data()
{
    QTest::addColumn<QString>("meanwhile");
    QTest::newRow("renamed") << u"update 员工管理 set 员工姓名='王丽'"_s;
    QTest::newRow("phone typed where there was none") << u"update 员工管理 set 联系电话='1'"_s;
    QTest::newRow("level cleared") << u"update 员工管理 set 员工等级=null"_s;
    QTest::newRow("deleted") << u"delete from 员工管理"_s;
}

void TestEmployees::changedMeanwhileIsRefused()
{
    QFETCH(QString, meanwhile);
    auto db = TestDb::fresh();
    const QVariantList shown{u"001"_s, u"王芳"_s, u"女"_s, u"高级"_s, Null, Null, Null};
    insert(*db, shown);
    // Another workstation, after this one read the list.
    db->execute(meanwhile);
    const QStringList theirs = table(*db);

    EmployeeStore store(*db);
    Employee mine = wang();
    mine.note = u"我的修改"_s;
    QCOMPARE(refusalOf([&] { store.update(shown, mine); }), Stale);
    QCOMPARE(table(*db), theirs);
    QCOMPARE(refusalOf([&] { store.remove(shown); }), Stale);
    QCOMPARE(table(*db), theirs);
}

void TestEmployees::identicalRowsAreChangedOneAtATime()
{
    auto db = TestDb::fresh();
    // Older data may hold the same employee twice, word for word.
    const QVariantList twin{u"001"_s, u"王芳"_s, u"女"_s, u"高级"_s, Null, Null, Null};
    insert(*db, twin);
    insert(*db, twin);
    EmployeeStore store(*db);
    Employee changed = Employee::fromValues(twin);
    changed.phone = u"138"_s;
    store.update(twin, changed);
    QCOMPARE(table(*db), (QStringList{u"001|王芳|女|高级|138|∅|∅"_s, u"001|王芳|女|高级|∅|∅|∅"_s}));
    store.remove(twin);
    QCOMPARE(table(*db), QStringList{u"001|王芳|女|高级|138|∅|∅"_s});
}

void TestEmployees::duplicateCodeIsRefused_data()
{
    QTest::addColumn<QVariantList>("shown"); // empty: add
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("refusal");
    const QVariantList li{u"002"_s, u"李娜"_s, u"男"_s, u"初级"_s, Null, Null, Null};
    const QString taken = u"员工编号 001 已经存在,请换一个编号!"_s;
    QTest::newRow("add a taken code") << QVariantList() << u"001"_s << taken;
    QTest::newRow("add a taken code with blanks") << QVariantList() << u" 001 "_s << taken;
    QTest::newRow("add a new code") << QVariantList() << u"003"_s << QString();
    QTest::newRow("change to a taken code") << li << u"001"_s << taken;
    QTest::newRow("change keeping its code") << li << u"002"_s << QString();
    QTest::newRow("change to a new code") << li << u"003"_s << QString();
    // Older data already holds 004 twice; keeping it is no new duplicate,
    // and either row can still be corrected.
    QTest::newRow("change keeping a code held twice")
        << QVariantList{u"004"_s, u"赵六"_s, Null, u"初级"_s, Null, Null, Null} << u"004"_s
        << QString();
}

void TestEmployees::duplicateCodeIsRefused()
{
    QFETCH(QVariantList, shown);
    QFETCH(QString, code);
    QFETCH(QString, refusal);
    auto db = TestDb::fresh();
    insert(*db, {u"001"_s, u"王芳"_s, u"女"_s, u"高级"_s, Null, Null, Null});
    insert(*db, {u"002"_s, u"李娜"_s, u"男"_s, u"初级"_s, Null, Null, Null});
    insert(*db, {u"004"_s, u"赵六"_s, Null, u"初级"_s, Null, Null, Null});
    insert(*db, {u"004"_s, u"钱七"_s, Null, u"初级"_s, Null, Null, Null});
    const QStringList before = table(*db);
    EmployeeStore store(*db);
    Employee entry{code, u"新名字"_s, u"男"_s, u"初级"_s, {}, {}, {}};
    QCOMPARE(refusalOf([&] {
                 if (shown.isEmpty())
                     store.add(entry);
                 else
                     store.update(shown, entry);
             }),
             refusal);
    if (!refusal.isEmpty()) {
        QCOMPARE(table(*db), before);
        return;
    }
    const QString trimmed = code.trimmed();
    QCOMPARE(db->scalar(u"select count(*) from 员工管理 where 员工编号=? and 员工姓名=?"_s,
                        {trimmed, u"新名字"_s})
                 .toInt(),
             1);
    QCOMPARE(table(*db).size(), before.size() + (shown.isEmpty() ? 1 : 0));
}

void TestEmployees::removeLeavesPayAndLinesAlone()
{
    auto db = TestDb::fresh();
    const QVariantList wangRow{u"001"_s, u"王芳"_s, u"女"_s, u"高级"_s, Null, Null, Null};
    insert(*db, wangRow);
    insert(*db, {u"002"_s, u"李娜"_s, u"男"_s, u"初级"_s, Null, Null, Null});
    db->execute(u"insert into 员工工资表 (员工编号, 员工姓名, 工资) values (?, ?, ?)"_s,
                {u"001"_s, u"王芳"_s, 3000});
    ShopBuilder shop(*db);
    ShopBuilder::Line line;
    line.plate = u"SP001"_s;
    line.commission = Money::fromInt(5);
    line.employee = u"001"_s;
    line.employeeName = u"王芳"_s;
    shop.settledLine(line, u"B1"_s);
    shop.line(line);

    EmployeeStore(*db).remove(wangRow);
    QCOMPARE(table(*db), QStringList{u"002|李娜|男|初级|∅|∅|∅"_s});
    for (const QString &kept : {u"员工工资表"_s, u"jzmx"_s, u"xfmx"_s})
        QCOMPARE(db->scalar(u"select count(*) from "_s + kept + u" where 员工编号=?"_s, {u"001"_s}).toInt(),
                 1);
}

void TestEmployees::levelNamesInTheOrderAdded()
{
    auto db = TestDb::fresh();
    QCOMPARE(EmployeeStore(*db).levelNames(), QStringList());
    db->execute(u"insert into 员工等级 (等级名称, 工资) values (?, ?)"_s, {u"高级"_s, 3000});
    db->execute(u"insert into 员工等级 (等级名称) values (?)"_s, {u"初级"_s});
    db->execute(u"insert into 员工等级 (等级名称, 工资) values (?, ?)"_s, {u"中级"_s, 2000});
    QCOMPARE(EmployeeStore(*db).levelNames(), (QStringList{u"高级"_s, u"初级"_s, u"中级"_s}));
}

SALONDESK_DB_TEST_MAIN(TestEmployees)
#include "tst_employees.moc"
