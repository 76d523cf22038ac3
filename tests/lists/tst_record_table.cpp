#include "support/TestDb.h"

#include "common/Refusal.h"
#include "lists/RecordTable.h"

#include <QTest>

using namespace Qt::StringLiterals;

// The record screens' reads and writes, on each backend, over the three
// tables they keep: an assigned key with an amount (levels), a key that is
// a field with yes/no columns (goods types), numbers with their column
// defaults (member types).
class TestRecordTable : public QObject
{
    Q_OBJECT

private slots:
    void insertsAndReadsBack();
    void emptyNumbersTakeTheColumnDefault();
    void updatesTheRowThatWasShown_data();
    void updatesTheRowThatWasShown();
    void staleSaveWritesNothing_data();
    void staleSaveWritesNothing();
    void duplicateNameGivesTheScreensText_data();
    void duplicateNameGivesTheScreensText();
    void otherRefusalsKeepTheDatabaseText();
    void badNumberTextNamesTheField_data();
    void badNumberTextNamesTheField();
    void deleteByKey();
    void shownValues_data();
    void shownValues();
};

namespace {

const QString Duplicate = u"错误:请检查是否有重名记录!"_s;

RecordTableDescription levels()
{
    return {.table = u"员工等级"_s,
            .keyColumn = u"等级编号"_s,
            .orderBy = u"等级编号"_s,
            .fields = {{.column = u"等级名称"_s, .caption = u"等级名称"_s},
                       {.column = u"工资"_s, .caption = u"工资"_s, .kind = RecordField::Kind::Money}},
            .uniqueColumns = {u"等级名称"_s},
            .duplicateText = Duplicate};
}

RecordTableDescription goodsTypes()
{
    using Kind = RecordField::Kind;
    return {.table = u"商品类型"_s,
            .keyColumn = u"名称"_s,
            .orderBy = u"名称"_s,
            .fields = {{.column = u"名称"_s, .caption = u"名称"_s},
                       {.column = u"库存"_s, .caption = u"是否有库存属性"_s, .kind = Kind::YesNo,
                        .initial = false},
                       {.column = u"是否需要服务"_s, .caption = u"是否需要服务"_s,
                        .kind = Kind::YesNo, .initial = false},
                       {.column = u"参与打折"_s, .caption = u"参与打折"_s, .kind = Kind::Choice,
                        .choices = {u"y"_s, u"n"_s}, .initial = u"n"_s}},
            .uniqueColumns = {u"名称"_s},
            .duplicateText = Duplicate};
}

RecordTableDescription memberTypes()
{
    using Kind = RecordField::Kind;
    return {.table = u"会员类型"_s,
            .keyColumn = u"id"_s,
            .orderBy = u"id"_s,
            .fields = {{.column = u"类型名称"_s, .caption = u"类型名称"_s},
                       {.column = u"初始积分"_s, .caption = u"初始积分"_s, .kind = Kind::Number},
                       {.column = u"打折率"_s, .caption = u"打折率"_s, .kind = Kind::Number,
                        .twoDecimals = true}}};
}

RecordTableDescription tableNamed(const QString &name)
{
    if (name == u"levels")
        return levels();
    if (name == u"goodsTypes")
        return goodsTypes();
    return memberTypes();
}

// The one row whose key is `key`.
RecordRow rowWithKey(RecordTable &table, const QVariant &key)
{
    for (const RecordRow &row : table.readAll()) {
        if (row.key.toString() == key.toString())
            return row;
    }
    return {};
}

} // namespace

void TestRecordTable::insertsAndReadsBack()
{
    auto db = TestDb::fresh();
    RecordTable table(*db, levels());
    const QVariant first = table.insert({u"高级"_s, u"28.05"_s});
    const QVariant second = table.insert({u"初级"_s, u"3000"_s});
    QVERIFY(first.isValid() && second.isValid());
    QVERIFY(first.toString() != second.toString());

    const std::vector<RecordRow> rows = table.readAll();
    QCOMPARE(rows.size(), std::size_t(2));
    QCOMPARE(rows[0].key.toString(), first.toString());
    QCOMPARE(table.shownValues(rows[0]), (QVariantList{u"高级"_s, u"28.05"_s}));
    QCOMPARE(table.shownValues(rows[1]), (QVariantList{u"初级"_s, u"3000"_s}));

    RecordTable types(*db, goodsTypes());
    QCOMPARE(types.insert({u"洗发"_s, true, false, u"y"_s}).toString(), u"洗发"_s);
    QVERIFY(db->exists(u"select 1 from 商品类型 where 名称=? and 库存=true and 是否需要服务=false "
                       "and 参与打折='y'"_s, {u"洗发"_s}));
    QCOMPARE(types.shownValues(types.readAll().at(0)), (QVariantList{u"洗发"_s, true, false, u"y"_s}));
    QCOMPARE(types.initialValues(), (QVariantList{u""_s, false, false, u"n"_s}));
}

void TestRecordTable::emptyNumbersTakeTheColumnDefault()
{
    auto db = TestDb::fresh();
    RecordTable table(*db, memberTypes());
    const QVariant key = table.insert({u"金卡"_s, QString(), u""_s});
    QCOMPARE(table.shownValues(rowWithKey(table, key)), (QVariantList{u"金卡"_s, u"0"_s, u"1.00"_s}));

    // A level without a name is a level too, stored with an empty name.
    RecordTable levelTable(*db, levels());
    levelTable.insert({QString(), u"1500"_s});
    QVERIFY(db->exists(u"select 1 from 员工等级 where 等级名称='' and 工资=1500"_s));
}

void TestRecordTable::updatesTheRowThatWasShown_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QVariantList>("first");
    QTest::addColumn<QVariantList>("changed");

    QTest::newRow("level") << u"levels"_s << QVariantList{u"高级"_s, u"28.05"_s}
                           << QVariantList{u"特级"_s, u"3000.5"_s};
    QTest::newRow("level without salary") << u"levels"_s << QVariantList{u"学徒"_s, u""_s}
                                          << QVariantList{u"学徒"_s, u"800"_s};
    QTest::newRow("level salary cleared") << u"levels"_s << QVariantList{u"学徒"_s, u"800"_s}
                                          << QVariantList{u"学徒"_s, u""_s};
    QTest::newRow("goods type renamed") << u"goodsTypes"_s << QVariantList{u"洗发"_s, false, true, u"n"_s}
                                        << QVariantList{u"洗护"_s, true, false, u"y"_s};
    QTest::newRow("quotes and patterns") << u"goodsTypes"_s
                                         << QVariantList{u"O'Neil \"%_\\"_s, true, true, u"y"_s}
                                         << QVariantList{u"O'Neil \"%_\\"_s, false, true, u"y"_s};
    QTest::newRow("member type") << u"memberTypes"_s << QVariantList{u"金卡"_s, u"100"_s, u"0.8"_s}
                                 << QVariantList{u"银卡"_s, u"50"_s, u"0.95"_s};
}

void TestRecordTable::updatesTheRowThatWasShown()
{
    QFETCH(QString, kind);
    QFETCH(QVariantList, first);
    QFETCH(QVariantList, changed);
    auto db = TestDb::fresh();
    RecordTable table(*db, tableNamed(kind));
    const QVariant key = table.insert(first);
    // A neighbour that the update must leave alone.
    QVariantList neighbour = first;
    neighbour[0] = u"邻居"_s;
    const QVariant neighbourKey = table.insert(neighbour);
    const QVariantList neighbourShown = table.shownValues(rowWithKey(table, neighbourKey));

    const QVariant newKey = table.update(rowWithKey(table, key), changed);
    const RecordRow now = rowWithKey(table, newKey);
    QVERIFY(now.key.isValid());
    QVariantList expected = changed;
    if (kind == u"memberTypes") // rates show with two decimals
        expected[2] = RecordTable::shownValue(table.description().fields[2], changed[2]);
    QCOMPARE(table.shownValues(now), expected);
    QCOMPARE(table.readAll().size(), std::size_t(2));
    QCOMPARE(table.shownValues(rowWithKey(table, neighbourKey)), neighbourShown);

    // What was read back matches what is stored, so it can be saved again.
    const QVariant backKey = table.update(now, first);
    QCOMPARE(table.shownValues(rowWithKey(table, backKey)),
             table.shownValues(RecordRow{{}, rowWithKey(table, backKey).values}));
    QCOMPARE(rowWithKey(table, backKey).values.size(), first.size());
}

void TestRecordTable::staleSaveWritesNothing_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QVariantList>("first");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("otherWrite");
    QTest::addColumn<QString>("check");

    QTest::newRow("salary changed elsewhere")
        << u"levels"_s << QVariantList{u"高级"_s, u"28.05"_s} << QString()
        << u"update 员工等级 set 工资 = 30"_s << u"select 1 from 员工等级 where 工资 = 30 and 等级名称 = '高级'"_s;
    QTest::newRow("salary set where there was none")
        << u"levels"_s << QVariantList{u"学徒"_s, u""_s} << u"update 员工等级 set 工资 = null"_s
        << u"update 员工等级 set 工资 = 0"_s << u"select 1 from 员工等级 where 工资 = 0"_s;
    QTest::newRow("level deleted elsewhere")
        << u"levels"_s << QVariantList{u"高级"_s, u"28.05"_s} << QString()
        << u"delete from 员工等级"_s << u"select 1 where (select count(*) from 员工等级) = 0"_s;
    QTest::newRow("flag changed elsewhere")
        << u"goodsTypes"_s << QVariantList{u"洗发"_s, false, false, u"n"_s} << QString()
        << u"update 商品类型 set 库存 = true"_s << u"select 1 from 商品类型 where 库存 = true and 参与打折 = 'n'"_s;
    QTest::newRow("goods type renamed elsewhere")
        << u"goodsTypes"_s << QVariantList{u"洗发"_s, false, false, u"n"_s} << QString()
        << u"update 商品类型 set 名称 = '洗护'"_s << u"select 1 from 商品类型 where 名称 = '洗护' and 库存 = false"_s;
    QTest::newRow("rate changed elsewhere")
        << u"memberTypes"_s << QVariantList{u"金卡"_s, u"0"_s, u"0.8"_s} << QString()
        << u"update 会员类型 set 打折率 = 0.7"_s << u"select 1 from 会员类型 where 打折率 = 0.7 and 类型名称 = '金卡'"_s;
}

void TestRecordTable::staleSaveWritesNothing()
{
    QFETCH(QString, kind);
    QFETCH(QVariantList, first);
    QFETCH(QString, before);
    QFETCH(QString, otherWrite);
    QFETCH(QString, check);
    auto db = TestDb::fresh();
    RecordTable table(*db, tableNamed(kind));
    table.insert(first);
    if (!before.isEmpty())
        db->execute(before);
    const RecordRow shown = table.readAll().at(0);

    db->execute(otherWrite); // another workstation
    QVariantList changed = first;
    changed[0] = u"改名"_s;
    try {
        table.update(shown, changed);
        QFAIL("a stale save went through");
    } catch (const Refusal &refusal) {
        QCOMPARE(refusal.text(), u"该记录已被其他工作站修改或删除，请刷新后重试。"_s);
    }
    QVERIFY(db->exists(check));
    QVERIFY(!db->exists(u"select 1 from "_s + table.description().table + u" where "_s
                        + table.description().fields[0].column + u" = '改名'"_s));
}

void TestRecordTable::duplicateNameGivesTheScreensText_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QVariantList>("existing");
    QTest::addColumn<QVariantList>("other");
    QTest::addColumn<QVariantList>("clash");

    QTest::newRow("level") << u"levels"_s << QVariantList{u"高级"_s, u"3000"_s}
                           << QVariantList{u"初级"_s, u"2000"_s} << QVariantList{u"高级"_s, u"1"_s};
    QTest::newRow("goods type") << u"goodsTypes"_s << QVariantList{u"洗发"_s, false, false, u"n"_s}
                                << QVariantList{u"烫发"_s, true, false, u"y"_s}
                                << QVariantList{u"洗发"_s, true, true, u"y"_s};
}

void TestRecordTable::duplicateNameGivesTheScreensText()
{
    QFETCH(QString, kind);
    QFETCH(QVariantList, existing);
    QFETCH(QVariantList, other);
    QFETCH(QVariantList, clash);
    auto db = TestDb::fresh();
    RecordTable table(*db, tableNamed(kind));
    table.insert(existing);
    const QVariant otherKey = table.insert(other);
    const QString count = u"select count(*) from "_s + table.description().table;

    try {
        table.insert(clash);
        QFAIL("a duplicate name was added");
    } catch (const Refusal &refusal) {
        QCOMPARE(refusal.text(), Duplicate);
    }
    QCOMPARE(db->scalar(count).toInt(), 2);

    const RecordRow shown = rowWithKey(table, otherKey);
    try {
        table.update(shown, clash);
        QFAIL("a row was renamed to a name another row has");
    } catch (const Refusal &refusal) {
        QCOMPARE(refusal.text(), Duplicate);
    }
    QCOMPARE(table.shownValues(rowWithKey(table, otherKey)), table.shownValues(shown));

    // Saving a row under its own name is no clash.
    QVariantList same = other;
    same[1] = existing[1];
    table.update(shown, same);
}

void TestRecordTable::otherRefusalsKeepTheDatabaseText()
{
    auto db = TestDb::fresh();
    RecordTable table(*db, levels());
    table.insert({u"高级"_s, u"3000"_s});
    // Refused before it reaches the database; it is no duplicate.
    try {
        table.insert({u"高\u0001级"_s, u"1"_s});
        QFAIL("a control character was stored");
    } catch (const DbError &error) {
        QVERIFY(error.text() != Duplicate);
    }
    QCOMPARE(db->scalar(u"select count(*) from 员工等级"_s).toInt(), 1);
}

void TestRecordTable::badNumberTextNamesTheField_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QVariantList>("entered");
    QTest::addColumn<QString>("message");

    QTest::newRow("two points") << u"levels"_s << QVariantList{u"高级"_s, u"1.2.3"_s}
                                << u"工资 不是有效的数字！"_s;
    QTest::newRow("letters") << u"levels"_s << QVariantList{u"高级"_s, u"abc"_s}
                             << u"工资 不是有效的数字！"_s;
    QTest::newRow("comma") << u"levels"_s << QVariantList{u"高级"_s, u"12,5"_s}
                           << u"工资 不是有效的数字！"_s;
    QTest::newRow("rate") << u"memberTypes"_s << QVariantList{u"金卡"_s, u"10"_s, u"0.8x"_s}
                          << u"打折率 不是有效的数字！"_s;
    QTest::newRow("points") << u"memberTypes"_s << QVariantList{u"金卡"_s, u"."_s, u"1"_s}
                            << u"初始积分 不是有效的数字！"_s;
}

void TestRecordTable::badNumberTextNamesTheField()
{
    QFETCH(QString, kind);
    QFETCH(QVariantList, entered);
    QFETCH(QString, message);
    auto db = TestDb::fresh();
    RecordTable table(*db, tableNamed(kind));
    const QString count = u"select count(*) from "_s + table.description().table;

    try {
        table.insert(entered);
        QFAIL("a number that is none was added");
    } catch (const Refusal &refusal) {
        QCOMPARE(refusal.text(), message);
    }
    QCOMPARE(db->scalar(count).toInt(), 0);

    QVariantList good = entered;
    for (int i = 1; i < good.size(); ++i)
        good[i] = u"1"_s;
    const QVariant key = table.insert(good);
    const RecordRow shown = rowWithKey(table, key);
    try {
        table.update(shown, entered);
        QFAIL("a number that is none was saved");
    } catch (const Refusal &refusal) {
        QCOMPARE(refusal.text(), message);
    }
    QCOMPARE(table.shownValues(rowWithKey(table, key)), table.shownValues(shown));
}

void TestRecordTable::deleteByKey()
{
    auto db = TestDb::fresh();
    RecordTable table(*db, goodsTypes());
    table.insert({u"洗发"_s, false, false, u"n"_s});
    table.insert({u"烫发"_s, true, false, u"y"_s});
    table.remove(u"洗发"_s);
    QCOMPARE(table.readAll().size(), std::size_t(1));
    QCOMPARE(table.readAll().at(0).key.toString(), u"烫发"_s);
    try {
        table.remove(u"洗发"_s);
        QFAIL("deleting a row that is gone said nothing");
    } catch (const Refusal &refusal) {
        QCOMPARE(refusal.text(), u"该记录已被其他工作站删除，请刷新后重试。"_s);
    }
}

void TestRecordTable::shownValues_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("twoDecimals");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QVariant>("shown");
    const int money = int(RecordField::Kind::Money);
    const int yesNo = int(RecordField::Kind::YesNo);
    const int text = int(RecordField::Kind::Text);

    QTest::newRow("SQLite real") << money << false << QVariant(28.05) << QVariant(u"28.05"_s);
    QTest::newRow("PostgreSQL numeric") << money << false << QVariant(u"28.0500"_s) << QVariant(u"28.05"_s);
    QTest::newRow("whole") << money << false << QVariant(qlonglong(30)) << QVariant(u"30"_s);
    QTest::newRow("rate") << money << true << QVariant(u"0.8000"_s) << QVariant(u"0.80"_s);
    // Never rounded to two places: the form's text is what a save writes back.
    QTest::newRow("rate with three decimals") << money << true << QVariant(u"0.8750"_s) << QVariant(u"0.875"_s);
    QTest::newRow("SQLite rate with four decimals") << money << true << QVariant(0.8125) << QVariant(u"0.8125"_s);
    QTest::newRow("empty amount") << money << false << QVariant() << QVariant(u""_s);
    QTest::newRow("no number kept") << money << false << QVariant(u"abc"_s) << QVariant(u"abc"_s);
    QTest::newRow("SQLite true") << yesNo << false << QVariant(qlonglong(1)) << QVariant(true);
    QTest::newRow("PostgreSQL false") << yesNo << false << QVariant(false) << QVariant(false);
    QTest::newRow("empty flag") << yesNo << false << QVariant() << QVariant(false);
    QTest::newRow("empty text") << text << false << QVariant() << QVariant(u""_s);
}

void TestRecordTable::shownValues()
{
    QFETCH(int, kind);
    QFETCH(bool, twoDecimals);
    QFETCH(QVariant, stored);
    QFETCH(QVariant, shown);
    const RecordField field{.column = u"x"_s, .caption = u"x"_s,
                            .kind = RecordField::Kind(kind), .twoDecimals = twoDecimals};
    QCOMPARE(RecordTable::shownValue(field, stored), shown);
}

SALONDESK_DB_TEST_MAIN(TestRecordTable)
#include "tst_record_table.moc"
