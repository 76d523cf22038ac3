#include "BoardFixture.h"
#include "support/TestDb.h"

#include "board/PlateSettings.h"
#include "common/Refusal.h"

#include <QSqlRecord>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QStringList platesOfRoom(Database &db, const QString &room)
{
    QStringList plates;
    QSqlQuery query = db.exec(u"select 号牌 from 号牌管理 where 所属包厢=? order by 号牌"_s, {room});
    while (query.next())
        plates.append(query.value(0).toString());
    return plates;
}

int count(Database &db, const QString &table)
{
    return db.scalar(u"select count(*) from "_s + table).toInt();
}

// Makes every delete from 包厢 fail, as a lost connection or a lock would.
void refuseRoomDeletes(Database &db)
{
    if (db.backend() == Backend::Postgres) {
        db.exec(u"create function refuse_delete() returns trigger language plpgsql as "
                "$$ begin raise exception 'room is locked'; end $$"_s);
        db.exec(u"create trigger refuse_room_delete before delete on 包厢 "
                "for each row execute function refuse_delete()"_s);
    } else {
        db.exec(u"create trigger refuse_room_delete before delete on 包厢 "
                "begin select raise(abort, 'room is locked'); end"_s);
    }
}

} // namespace

// Rooms and plates: ranges, room deletion, the plate and room dialogs' saves.
class TestPlateSettings : public QObject
{
    Q_OBJECT

private slots:
    void addRange_data();
    void addRange();
    void addRangeSkipsExistingNumbers();
    void deleteRoomTakesAllItsPlates();
    void deleteRoomIsAllOrNothing();
    void roomAmounts_data();
    void roomAmounts();
    void renamingARoomKeepsItsPlates();
    void duplicateRoomReportsTheDatabaseText();
    void savePlateRequiresAllFields_data();
    void savePlateRequiresAllFields();
    void savePlateAcceptsAnyStateAndRefusesDuplicates();
    void plateListsOfTheWindow();
};

void TestPlateSettings::addRange_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<int>("added");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::newRow("1-100 SP") << u"1"_s << u"100"_s << u"SP"_s << 100 << u"SP001"_s << u"SP100"_s;
    QTest::newRow("8-12") << u"8"_s << u"12"_s << QString() << 5 << u"08"_s << u"12"_s;
    QTest::newRow("end below start") << u"12"_s << u"8"_s << u"SP"_s << 0 << QString() << QString();
}

void TestPlateSettings::addRange()
{
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(QString, prefix);
    QFETCH(int, added);
    QFETCH(QString, first);
    QFETCH(QString, last);
    auto db = TestDb::fresh();
    BoardFixture::room(*db, u"大厅"_s);
    BoardFixture::room(*db, u"包间"_s);
    QCOMPARE(PlateSettings(*db).addRange(start, end, prefix, u"包间"_s), added);
    const QStringList plates = platesOfRoom(*db, u"包间"_s);
    QCOMPARE(plates.size(), added);
    QCOMPARE(plates.value(0), first);
    QCOMPARE(plates.value(added - 1), last);
    QCOMPARE(db->scalar(u"select count(*) from 号牌管理 where 号牌状态=?"_s, {u"可用"_s}).toInt(), added);
}

void TestPlateSettings::addRangeSkipsExistingNumbers()
{
    auto db = TestDb::fresh();
    BoardFixture::room(*db, u"大厅"_s);
    BoardFixture::room(*db, u"包间"_s);
    BoardFixture::plate(*db, u"SP002"_s, u"大厅"_s, u"占用"_s);
    BoardFixture::plate(*db, u"SP004"_s, u"大厅"_s, u"停用"_s);
    QCOMPARE(PlateSettings(*db).addRange(u"1"_s, u"005"_s, u"SP"_s, u"包间"_s), 3);
    QCOMPARE(platesOfRoom(*db, u"包间"_s), (QStringList{u"SP001"_s, u"SP003"_s, u"SP005"_s}));
    // The existing plates keep their room and state.
    QCOMPARE(platesOfRoom(*db, u"大厅"_s), (QStringList{u"SP002"_s, u"SP004"_s}));
    QCOMPARE(BoardFixture::stateOf(*db, u"SP002"_s), u"占用"_s);
    QCOMPARE(BoardFixture::stateOf(*db, u"SP004"_s), u"停用"_s);
}

void TestPlateSettings::deleteRoomTakesAllItsPlates()
{
    auto db = TestDb::fresh();
    BoardFixture::room(*db, u"大厅"_s);
    BoardFixture::room(*db, u"包间"_s);
    BoardFixture::plate(*db, u"SP001"_s, u"大厅"_s, u"占用"_s);
    BoardFixture::plate(*db, u"SP002"_s, u"大厅"_s, u"可用"_s);
    BoardFixture::plate(*db, u"B01"_s, u"包间"_s, u"占用"_s);
    BoardFixture::line(*db, u"SP001"_s, u"洗剪吹"_s, u"30"_s, u"1"_s, u"30"_s);

    PlateSettings(*db).deleteRoom(u"大厅"_s);

    QVERIFY(platesOfRoom(*db, u"大厅"_s).isEmpty());
    QCOMPARE(platesOfRoom(*db, u"包间"_s), QStringList{u"B01"_s});
    QCOMPARE(PlateSettings(*db).roomNames(), QStringList{u"包间"_s});
    // The open lines of a deleted plate stay where they are.
    QCOMPARE(count(*db, u"xfmx"_s), 1);
}

void TestPlateSettings::deleteRoomIsAllOrNothing()
{
    auto db = TestDb::fresh();
    BoardFixture::room(*db, u"大厅"_s);
    BoardFixture::plate(*db, u"SP001"_s, u"大厅"_s, u"可用"_s);
    BoardFixture::plate(*db, u"SP002"_s, u"大厅"_s, u"占用"_s);
    refuseRoomDeletes(*db);

    QVERIFY_THROWS_EXCEPTION(DbError, PlateSettings(*db).deleteRoom(u"大厅"_s));

    // The plates were deleted first; the failed room delete takes that back.
    QCOMPARE(platesOfRoom(*db, u"大厅"_s), (QStringList{u"SP001"_s, u"SP002"_s}));
    QCOMPARE(count(*db, u"包厢"_s), 1);
    QVERIFY(!db->inTransaction());
}

void TestPlateSettings::roomAmounts_data()
{
    QTest::addColumn<QString>("ticket");
    QTest::addColumn<QString>("minimum");
    QTest::addColumn<QString>("storedTicket");
    QTest::addColumn<QString>("storedMinimum");
    QTest::newRow("empty amounts are 0") << QString() << u"  "_s << u"0"_s << u"0"_s;
    QTest::newRow("exact amounts") << u"12.5"_s << u"100"_s << u"12.5"_s << u"100"_s;
    QTest::newRow("four decimals") << u"0.0001"_s << u"28.05"_s << u"0.0001"_s << u"28.05"_s;
}

void TestPlateSettings::roomAmounts()
{
    QFETCH(QString, ticket);
    QFETCH(QString, minimum);
    QFETCH(QString, storedTicket);
    QFETCH(QString, storedMinimum);
    auto db = TestDb::fresh();
    PlateSettings settings(*db);
    settings.addRoom(u"大厅"_s, ticket, minimum);
    const QList<PlateSettings::Room> rooms = settings.rooms();
    QCOMPARE(rooms.size(), 1);
    QCOMPARE(rooms.first().ticketPrice.toString(), storedTicket);
    QCOMPARE(rooms.first().minimum.toString(), storedMinimum);
    QCOMPARE(Money::fromVariant(db->scalar(u"select 初始费用 from 包厢"_s)), Money());

    settings.updateRoom(u"大厅"_s, u"大厅"_s, minimum, ticket);
    QCOMPARE(settings.rooms().first().ticketPrice.toString(), storedMinimum);
    QCOMPARE(settings.rooms().first().minimum.toString(), storedTicket);
}

void TestPlateSettings::renamingARoomKeepsItsPlates()
{
    auto db = TestDb::fresh();
    BoardFixture::room(*db, u"大厅"_s, u"10"_s);
    BoardFixture::room(*db, u"包间"_s);
    BoardFixture::plate(*db, u"SP001"_s, u"大厅"_s, u"占用"_s);
    BoardFixture::plate(*db, u"B01"_s, u"包间"_s, u"可用"_s);
    PlateSettings(*db).updateRoom(u"大厅"_s, u"一楼大厅"_s, u"15"_s, u"0"_s);
    QCOMPARE(platesOfRoom(*db, u"一楼大厅"_s), QStringList{u"SP001"_s});
    QCOMPARE(platesOfRoom(*db, u"包间"_s), QStringList{u"B01"_s});
    QStringList rooms = PlateSettings(*db).roomNames();
    rooms.sort();
    QCOMPARE(rooms, (QStringList{u"一楼大厅"_s, u"包间"_s}));
}

void TestPlateSettings::duplicateRoomReportsTheDatabaseText()
{
    auto db = TestDb::fresh();
    PlateSettings settings(*db);
    settings.addRoom(u"大厅"_s, u"10"_s, u"0"_s);
    try {
        settings.addRoom(u"大厅"_s, u"20"_s, u"0"_s);
        QFAIL("a second room of the same name was saved");
    } catch (const DbError &error) {
        QVERIFY(!error.text().isEmpty());
    }
    QCOMPARE(settings.rooms().size(), 1);
}

void TestPlateSettings::savePlateRequiresAllFields_data()
{
    QTest::addColumn<QString>("plate");
    QTest::addColumn<QString>("room");
    QTest::addColumn<QString>("state");
    QTest::newRow("no number") << QString() << u"大厅"_s << u"可用"_s;
    QTest::newRow("no room") << u"SP009"_s << QString() << u"可用"_s;
    QTest::newRow("no state") << u"SP009"_s << u"大厅"_s << QString();
}

void TestPlateSettings::savePlateRequiresAllFields()
{
    QFETCH(QString, plate);
    QFETCH(QString, room);
    QFETCH(QString, state);
    auto db = TestDb::fresh();
    BoardFixture::room(*db, u"大厅"_s);
    BoardFixture::plate(*db, u"SP001"_s, u"大厅"_s, u"可用"_s);
    const int number = db->scalar(u"select number from 号牌管理"_s).toInt();
    try {
        PlateSettings(*db).savePlate(number, {plate, room, state});
        QFAIL("an incomplete plate was saved");
    } catch (const Refusal &refusal) {
        QCOMPARE(refusal.text(), u"号牌 所属包厢 号牌状态必须填写!"_s);
    }
    QCOMPARE(platesOfRoom(*db, u"大厅"_s), QStringList{u"SP001"_s});
}

void TestPlateSettings::savePlateAcceptsAnyStateAndRefusesDuplicates()
{
    auto db = TestDb::fresh();
    BoardFixture::room(*db, u"大厅"_s);
    BoardFixture::room(*db, u"包间"_s);
    BoardFixture::plate(*db, u"SP001"_s, u"大厅"_s, u"占用"_s);
    BoardFixture::plate(*db, u"SP002"_s, u"大厅"_s, u"可用"_s);
    const int first = db->scalar(u"select number from 号牌管理 where 号牌=?"_s, {u"SP001"_s}).toInt();
    PlateSettings settings(*db);

    // No state test here: an occupied plate can be set to anything.
    settings.savePlate(first, {u"V01"_s, u"包间"_s, u"停用"_s});
    QCOMPARE(platesOfRoom(*db, u"包间"_s), QStringList{u"V01"_s});
    QCOMPARE(BoardFixture::stateOf(*db, u"V01"_s), u"停用"_s);

    QVERIFY_THROWS_EXCEPTION(DbError, settings.savePlate(first, {u"SP002"_s, u"大厅"_s, u"可用"_s}));
    QCOMPARE(platesOfRoom(*db, u"包间"_s), QStringList{u"V01"_s});

    settings.deletePlate(first);
    QVERIFY(platesOfRoom(*db, u"包间"_s).isEmpty());
    QCOMPARE(count(*db, u"号牌管理"_s), 1);
}

void TestPlateSettings::plateListsOfTheWindow()
{
    auto db = TestDb::fresh();
    BoardFixture::room(*db, u"B"_s);
    BoardFixture::room(*db, u"A"_s);
    BoardFixture::plate(*db, u"2"_s, u"B"_s, u"可用"_s);
    BoardFixture::plate(*db, u"3"_s, u"A"_s, u"可用"_s);
    BoardFixture::plate(*db, u"1"_s, u"B"_s, u"可用"_s);
    PlateSettings settings(*db);
    auto numbers = [](QSqlQuery query) {
        QStringList plates;
        while (query.next())
            plates.append(query.record().value(u"号牌"_s).toString());
        return plates;
    };
    QCOMPARE(numbers(settings.platesByRoom()), (QStringList{u"3"_s, u"1"_s, u"2"_s}));
    QCOMPARE(numbers(settings.platesOf(u"B"_s)), (QStringList{u"1"_s, u"2"_s}));
    QCOMPARE(numbers(settings.allPlates()), (QStringList{u"2"_s, u"3"_s, u"1"_s}));
}

SALONDESK_DB_TEST_MAIN(TestPlateSettings)
#include "tst_board_settings.moc"
