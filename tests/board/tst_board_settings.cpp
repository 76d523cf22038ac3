#include "BoardFixture.h"
#include "support/TestDb.h"

#include "board/PlateBoard.h"
#include "board/PlateSettings.h"
#include "common/Clock.h"
#include "common/Refusal.h"
#include "db/ResultTableModel.h"

#include <QSqlRecord>
#include <QTest>

#include <functional>

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

// Makes every delete from 号牌管理 fail, as a lost connection or a lock would.
void refusePlateDeletes(Database &db)
{
    if (db.backend() == Backend::Postgres) {
        db.exec(u"create function refuse_delete() returns trigger language plpgsql as "
                "$$ begin raise exception 'plate is locked'; end $$"_s);
        db.exec(u"create trigger refuse_plate_delete before delete on 号牌管理 "
                "for each row execute function refuse_delete()"_s);
    } else {
        db.exec(u"create trigger refuse_plate_delete before delete on 号牌管理 "
                "begin select raise(abort, 'plate is locked'); end"_s);
    }
}

int numberOf(Database &db, const QString &plate)
{
    return db.scalar(u"select number from 号牌管理 where 号牌=?"_s, {plate}).toInt();
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

// What another workstation does meanwhile, on its own connection.
void elsewhere(Database &db, const QString &sql, const QVariantList &values)
{
    auto other = Database::open(db.settings());
    other->execute(sql, values);
}

const QString StalePlate = u"该号牌已被其他工作站修改或删除，请刷新后重试。"_s;
const QString StaleRoom = u"该包厢已被其他工作站修改或删除，请刷新后重试。"_s;

} // namespace

// Rooms and plates: ranges, room deletion, the plate and room dialogs' saves.
class TestPlateSettings : public QObject
{
    Q_OBJECT

private slots:
    void addRange_data();
    void addRange();
    void addRangeSkipsExistingNumbers();
    void addRangeRefusesAMissingRoom_data();
    void addRangeRefusesAMissingRoom();
    void deleteRoomTakesAllItsPlates();
    void deleteRoomRefusedWhileAPlateIsInUse_data();
    void deleteRoomRefusedWhileAPlateIsInUse();
    void deleteRoomIsAllOrNothing();
    void roomAmounts_data();
    void roomAmounts();
    void roomsKeepTheirOrder();
    void renamingARoomKeepsItsPlatesAndPlace();
    void staleRoomSaveRefused_data();
    void staleRoomSaveRefused();
    void duplicateRoomReportsTheDatabaseText();
    void savePlateRequiresAllFields_data();
    void savePlateRequiresAllFields();
    void savePlateChangesAFreePlateAndRefusesDuplicates();
    void plateInUseKeepsNumberAndState_data();
    void plateInUseKeepsNumberAndState();
    void stalePlateSaveRefused_data();
    void stalePlateSaveRefused();
    void deletePlateRefused_data();
    void deletePlateRefused();
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

void TestPlateSettings::addRangeRefusesAMissingRoom_data()
{
    QTest::addColumn<QString>("room");
    QTest::addColumn<QString>("elsewhere");
    QTest::addColumn<QString>("message");
    QTest::newRow("typed name") << u"大听"_s << QString() << u"包厢 大听 不存在，请选择已有的包厢！"_s;
    QTest::newRow("no name") << QString() << QString() << u"请选择包厢！"_s;
    QTest::newRow("renamed meanwhile") << u"包间"_s << u"update 包厢 set 包厢='贵宾间' where 包厢='包间'"_s
                                       << u"包厢 包间 不存在，请选择已有的包厢！"_s;
    QTest::newRow("deleted meanwhile") << u"包间"_s << u"delete from 包厢 where 包厢='包间'"_s
                                       << u"包厢 包间 不存在，请选择已有的包厢！"_s;
}

void TestPlateSettings::addRangeRefusesAMissingRoom()
{
    QFETCH(QString, room);
    QFETCH(QString, elsewhere);
    QFETCH(QString, message);
    auto db = TestDb::fresh();
    BoardFixture::room(*db, u"大厅"_s);
    BoardFixture::room(*db, u"包间"_s);
    if (!elsewhere.isEmpty())
        ::elsewhere(*db, elsewhere, {});
    QCOMPARE(refusalOf([&] { PlateSettings(*db).addRange(u"1"_s, u"3"_s, u"SP"_s, room); }), message);
    QCOMPARE(count(*db, u"号牌管理"_s), 0);
}

void TestPlateSettings::deleteRoomTakesAllItsPlates()
{
    auto db = TestDb::fresh();
    BoardFixture::room(*db, u"大厅"_s);
    BoardFixture::room(*db, u"包间"_s);
    BoardFixture::plate(*db, u"SP001"_s, u"大厅"_s, u"停用"_s);
    BoardFixture::plate(*db, u"SP002"_s, u"大厅"_s, u"可用"_s);
    BoardFixture::plate(*db, u"SP003"_s, u"大厅"_s, QVariant());
    BoardFixture::plate(*db, u"B01"_s, u"包间"_s, u"占用"_s);
    BoardFixture::line(*db, u"B01"_s, u"洗剪吹"_s, u"30"_s, u"1"_s, u"30"_s);

    PlateSettings(*db).deleteRoom(u"大厅"_s);

    QVERIFY(platesOfRoom(*db, u"大厅"_s).isEmpty());
    QCOMPARE(platesOfRoom(*db, u"包间"_s), QStringList{u"B01"_s});
    QCOMPARE(PlateSettings(*db).roomNames(), QStringList{u"包间"_s});
    QCOMPARE(count(*db, u"xfmx"_s), 1);
}

void TestPlateSettings::deleteRoomRefusedWhileAPlateIsInUse_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<bool>("withLine");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("meanwhile");
    const QString busy = u"包厢 大厅 中的号牌 SP002 正在使用或有消费记录，不能删除包厢！"_s;
    QTest::newRow("occupied") << u"占用"_s << false << busy << false;
    QTest::newRow("free with open lines") << u"可用"_s << true << busy << false;
    QTest::newRow("occupied with lines") << u"占用"_s << true << busy << false;
    QTest::newRow("opened meanwhile") << u"可用"_s << false << busy << true;
}

void TestPlateSettings::deleteRoomRefusedWhileAPlateIsInUse()
{
    QFETCH(QString, state);
    QFETCH(bool, withLine);
    QFETCH(QString, message);
    QFETCH(bool, meanwhile);
    auto db = TestDb::fresh();
    BoardFixture::room(*db, u"大厅"_s);
    BoardFixture::plate(*db, u"SP001"_s, u"大厅"_s, u"可用"_s);
    BoardFixture::plate(*db, u"SP002"_s, u"大厅"_s, state);
    if (withLine)
        BoardFixture::line(*db, u"SP002"_s, u"洗剪吹"_s, u"30"_s, u"1"_s, u"30"_s);
    if (meanwhile) {
        // The window still shows every plate free when another workstation
        // opens an order on one.
        elsewhere(*db, u"update 号牌管理 set 号牌状态=? where 号牌=?"_s, {u"占用"_s, u"SP002"_s});
    }

    QCOMPARE(refusalOf([&] { PlateSettings(*db).deleteRoom(u"大厅"_s); }), message);

    // Nothing is gone: the plate keeps its lines for its checkout.
    QCOMPARE(platesOfRoom(*db, u"大厅"_s), (QStringList{u"SP001"_s, u"SP002"_s}));
    QCOMPARE(PlateSettings(*db).roomNames(), QStringList{u"大厅"_s});
    QCOMPARE(count(*db, u"xfmx"_s), withLine ? 1 : 0);
    QVERIFY(!db->inTransaction());

    // A room that is gone says so.
    QCOMPARE(refusalOf([&] { PlateSettings(*db).deleteRoom(u"包间"_s); }),
             u"包厢 包间 不存在，请选择已有的包厢！"_s);
}

void TestPlateSettings::deleteRoomIsAllOrNothing()
{
    auto db = TestDb::fresh();
    BoardFixture::room(*db, u"大厅"_s);
    BoardFixture::plate(*db, u"SP001"_s, u"大厅"_s, u"可用"_s);
    BoardFixture::plate(*db, u"SP002"_s, u"大厅"_s, u"停用"_s);
    refusePlateDeletes(*db);

    QVERIFY_THROWS_EXCEPTION(DbError, PlateSettings(*db).deleteRoom(u"大厅"_s));

    // The room was deleted first; the failed plate delete takes that back.
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
    QCOMPARE(rooms.first().ticketText(), storedTicket);
    QCOMPARE(rooms.first().minimumText(), storedMinimum);
    QCOMPARE(Money::fromVariant(db->scalar(u"select 初始费用 from 包厢"_s)), Money());

    settings.updateRoom(rooms.first(), u"大厅"_s, minimum, ticket);
    QCOMPARE(settings.rooms().first().ticketText(), storedMinimum);
    QCOMPARE(settings.rooms().first().minimumText(), storedTicket);
}

void TestPlateSettings::roomsKeepTheirOrder()
{
    auto db = TestDb::fresh();
    PlateSettings settings(*db);
    // Not in name order, and added around a room made elsewhere with order 0.
    settings.addRoom(u"C"_s, u"1"_s, u"0"_s);
    db->execute(u"insert into 包厢 (包厢, 排序) values (?, 0)"_s, {u"Z"_s});
    settings.addRoom(u"A"_s, u"2"_s, u"0"_s);
    settings.addRoom(u"B"_s, u"3"_s, u"0"_s);
    const QStringList order{u"Z"_s, u"C"_s, u"A"_s, u"B"_s};
    QCOMPARE(settings.roomNames(), order);
    FixedClock clock(QDateTime(QDate(2024, 3, 1), QTime(8, 0)));
    PlateBoard board(*db, clock);
    QCOMPARE(board.rooms(), order);

    // PostgreSQL writes an updated row anew at the end of the table: without
    // an order the room would move to the last tab.
    settings.updateRoom(settings.rooms().at(1), u"C"_s, u"15"_s, u"5"_s);
    settings.updateRoom(settings.rooms().at(0), u"Z"_s, u"9"_s, u"0"_s);
    QCOMPARE(settings.roomNames(), order);
    QCOMPARE(board.rooms(), order);
    QCOMPARE(settings.rooms().at(1).ticketText(), u"15"_s);
}

void TestPlateSettings::renamingARoomKeepsItsPlatesAndPlace()
{
    auto db = TestDb::fresh();
    BoardFixture::room(*db, u"大厅"_s, u"10"_s);
    BoardFixture::room(*db, u"包间"_s);
    BoardFixture::plate(*db, u"SP001"_s, u"大厅"_s, u"占用"_s);
    BoardFixture::plate(*db, u"B01"_s, u"包间"_s, u"可用"_s);
    PlateSettings settings(*db);
    settings.updateRoom(settings.rooms().first(), u"一楼大厅"_s, u"15"_s, u"0"_s);
    QCOMPARE(platesOfRoom(*db, u"一楼大厅"_s), QStringList{u"SP001"_s});
    QCOMPARE(platesOfRoom(*db, u"包间"_s), QStringList{u"B01"_s});
    // Still the first page, though its new name sorts after 包间.
    QCOMPARE(settings.roomNames(), (QStringList{u"一楼大厅"_s, u"包间"_s}));
}

void TestPlateSettings::staleRoomSaveRefused_data()
{
    QTest::addColumn<QString>("elsewhere");
    QTest::addColumn<QVariantList>("values");
    QTest::newRow("renamed") << u"update 包厢 set 包厢=? where 包厢=?"_s
                             << QVariantList{u"大堂"_s, u"大厅"_s};
    QTest::newRow("price changed") << u"update 包厢 set 门票价格=? where 包厢=?"_s
                                   << QVariantList{u"12"_s, u"大厅"_s};
    QTest::newRow("minimum changed") << u"update 包厢 set 最低消费=? where 包厢=?"_s
                                     << QVariantList{u"100"_s, u"大厅"_s};
    QTest::newRow("deleted") << u"delete from 包厢 where 包厢=?"_s << QVariantList{u"大厅"_s};
}

void TestPlateSettings::staleRoomSaveRefused()
{
    QFETCH(QString, elsewhere);
    QFETCH(QVariantList, values);
    auto db = TestDb::fresh();
    BoardFixture::room(*db, u"大厅"_s, u"10"_s);
    BoardFixture::plate(*db, u"SP001"_s, u"大厅"_s, u"可用"_s);
    PlateSettings settings(*db);
    const PlateSettings::Room shown = settings.rooms().first();
    ::elsewhere(*db, elsewhere, values);
    const QList<PlateSettings::Room> before = settings.rooms();

    QCOMPARE(refusalOf([&] { settings.updateRoom(shown, u"一楼"_s, u"20"_s, u"0"_s); }), StaleRoom);

    // The other workstation's change stands; the plates stay where they were.
    const QList<PlateSettings::Room> after = settings.rooms();
    QCOMPARE(after.size(), before.size());
    for (int i = 0; i < after.size(); ++i) {
        QCOMPARE(after.at(i).name, before.at(i).name);
        QCOMPARE(after.at(i).ticketText(), before.at(i).ticketText());
        QCOMPARE(after.at(i).minimumText(), before.at(i).minimumText());
    }
    QCOMPARE(platesOfRoom(*db, u"大厅"_s), QStringList{u"SP001"_s});
    QVERIFY(!db->inTransaction());

    // Saved over what is there now, it goes through.
    if (!after.isEmpty()) {
        settings.updateRoom(after.first(), after.first().name, u"20"_s, u"0"_s);
        QCOMPARE(settings.rooms().first().ticketText(), u"20"_s);
    }
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
        PlateSettings(*db).savePlate(number, {u"SP001"_s, u"大厅"_s, u"可用"_s}, {plate, room, state});
        QFAIL("an incomplete plate was saved");
    } catch (const Refusal &refusal) {
        QCOMPARE(refusal.text(), u"号牌 所属包厢 号牌状态必须填写!"_s);
    }
    QCOMPARE(platesOfRoom(*db, u"大厅"_s), QStringList{u"SP001"_s});
}

void TestPlateSettings::savePlateChangesAFreePlateAndRefusesDuplicates()
{
    auto db = TestDb::fresh();
    BoardFixture::room(*db, u"大厅"_s);
    BoardFixture::room(*db, u"包间"_s);
    BoardFixture::plate(*db, u"SP001"_s, u"大厅"_s, u"可用"_s);
    BoardFixture::plate(*db, u"SP002"_s, u"大厅"_s, u"可用"_s);
    const int first = numberOf(*db, u"SP001"_s);
    PlateSettings settings(*db);

    settings.savePlate(first, {u"SP001"_s, u"大厅"_s, u"可用"_s}, {u"V01"_s, u"包间"_s, u"停用"_s});
    QCOMPARE(platesOfRoom(*db, u"包间"_s), QStringList{u"V01"_s});
    QCOMPARE(BoardFixture::stateOf(*db, u"V01"_s), u"停用"_s);

    QVERIFY_THROWS_EXCEPTION(DbError, settings.savePlate(first, {u"V01"_s, u"包间"_s, u"停用"_s},
                                                         {u"SP002"_s, u"大厅"_s, u"可用"_s}));
    QCOMPARE(platesOfRoom(*db, u"包间"_s), QStringList{u"V01"_s});
    QVERIFY(!db->inTransaction());

    // A room that does not exist is refused: the plate would be on no page.
    QCOMPARE(refusalOf([&] {
                 settings.savePlate(first, {u"V01"_s, u"包间"_s, u"停用"_s},
                                    {u"V01"_s, u"新包厢"_s, u"停用"_s});
             }),
             u"包厢 新包厢 不存在，请选择已有的包厢！"_s);
    QCOMPARE(platesOfRoom(*db, u"包间"_s), QStringList{u"V01"_s});

    settings.deletePlate(first, u"V01"_s);
    QVERIFY(platesOfRoom(*db, u"包间"_s).isEmpty());
    QCOMPARE(count(*db, u"号牌管理"_s), 1);
}

void TestPlateSettings::plateInUseKeepsNumberAndState_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<bool>("withLine");
    QTest::addColumn<QString>("newPlate");
    QTest::addColumn<QString>("newRoom");
    QTest::addColumn<QString>("newState");
    QTest::addColumn<bool>("saved");
    QTest::newRow("occupied to free") << u"占用"_s << false << u"SP001"_s << u"大厅"_s << u"可用"_s << false;
    QTest::newRow("occupied renamed") << u"占用"_s << false << u"V01"_s << u"大厅"_s << u"占用"_s << false;
    QTest::newRow("occupied to another room") << u"占用"_s << true << u"SP001"_s << u"包间"_s << u"占用"_s << true;
    QTest::newRow("lines, free, disabled") << u"可用"_s << true << u"SP001"_s << u"大厅"_s << u"停用"_s << false;
    QTest::newRow("lines, free, renamed") << u"可用"_s << true << u"V01"_s << u"大厅"_s << u"可用"_s << false;
    QTest::newRow("free, disabled") << u"可用"_s << false << u"SP001"_s << u"大厅"_s << u"停用"_s << true;
}

void TestPlateSettings::plateInUseKeepsNumberAndState()
{
    QFETCH(QString, state);
    QFETCH(bool, withLine);
    QFETCH(QString, newPlate);
    QFETCH(QString, newRoom);
    QFETCH(QString, newState);
    QFETCH(bool, saved);
    auto db = TestDb::fresh();
    BoardFixture::room(*db, u"大厅"_s);
    BoardFixture::room(*db, u"包间"_s);
    BoardFixture::plate(*db, u"SP001"_s, u"大厅"_s, state);
    if (withLine)
        BoardFixture::line(*db, u"SP001"_s, u"洗剪吹"_s, u"30"_s, u"1"_s, u"30"_s);
    const PlateSettings::PlateFields shown{u"SP001"_s, u"大厅"_s, state};
    const PlateSettings::PlateFields wanted{newPlate, newRoom, newState};

    const QString refusal = refusalOf(
        [&] { PlateSettings(*db).savePlate(numberOf(*db, u"SP001"_s), shown, wanted); });

    QCOMPARE(refusal, saved ? QString() : u"号牌 SP001 正在使用或有消费记录，不能修改！"_s);
    const QSqlRecord row = db->firstRow(u"select 号牌, 所属包厢, 号牌状态 from 号牌管理"_s);
    const PlateSettings::PlateFields stored{row.value(0).toString(), row.value(1).toString(),
                                            row.value(2).toString()};
    QCOMPARE(stored == (saved ? wanted : shown), true);
}

void TestPlateSettings::stalePlateSaveRefused_data()
{
    QTest::addColumn<QString>("elsewhere");
    QTest::addColumn<QVariantList>("values");
    QTest::newRow("state changed") << u"update 号牌管理 set 号牌状态=? where 号牌=?"_s
                                   << QVariantList{u"停用"_s, u"SP001"_s};
    QTest::newRow("opened") << u"update 号牌管理 set 号牌状态=? where 号牌=?"_s
                            << QVariantList{u"占用"_s, u"SP001"_s};
    QTest::newRow("renamed") << u"update 号牌管理 set 号牌=? where 号牌=?"_s
                             << QVariantList{u"SP009"_s, u"SP001"_s};
    QTest::newRow("moved") << u"update 号牌管理 set 所属包厢=? where 号牌=?"_s
                           << QVariantList{u"包间"_s, u"SP001"_s};
    QTest::newRow("deleted") << u"delete from 号牌管理 where 号牌=?"_s << QVariantList{u"SP001"_s};
}

void TestPlateSettings::stalePlateSaveRefused()
{
    QFETCH(QString, elsewhere);
    QFETCH(QVariantList, values);
    auto db = TestDb::fresh();
    BoardFixture::room(*db, u"大厅"_s);
    BoardFixture::room(*db, u"包间"_s);
    BoardFixture::plate(*db, u"SP001"_s, u"大厅"_s, u"可用"_s);
    const int number = numberOf(*db, u"SP001"_s);
    const PlateSettings::PlateFields shown{u"SP001"_s, u"大厅"_s, u"可用"_s};
    ::elsewhere(*db, elsewhere, values);
    const QSqlRecord before = db->firstRow(u"select * from 号牌管理"_s);

    // Saved unchanged, as the dialog showed it: the other change stands.
    QCOMPARE(refusalOf([&] { PlateSettings(*db).savePlate(number, shown, shown); }), StalePlate);
    QCOMPARE(db->firstRow(u"select * from 号牌管理"_s), before);
    QVERIFY(!db->inTransaction());
}

void TestPlateSettings::deletePlateRefused_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<bool>("withLine");
    QTest::addColumn<QString>("elsewhere");
    QTest::addColumn<QString>("message");
    const QString busy = u"号牌 SP001 正在使用或有消费记录，不能删除！"_s;
    QTest::newRow("occupied") << u"占用"_s << false << QString() << busy;
    QTest::newRow("open lines") << u"可用"_s << true << QString() << busy;
    QTest::newRow("opened meanwhile") << u"可用"_s << false
                                      << u"update 号牌管理 set 号牌状态='占用' where 号牌='SP001'"_s << busy;
    QTest::newRow("renamed meanwhile") << u"可用"_s << false
                                       << u"update 号牌管理 set 号牌='SP009' where 号牌='SP001'"_s << StalePlate;
    QTest::newRow("deleted meanwhile") << u"可用"_s << false
                                       << u"delete from 号牌管理 where 号牌='SP001'"_s << StalePlate;
}

void TestPlateSettings::deletePlateRefused()
{
    QFETCH(QString, state);
    QFETCH(bool, withLine);
    QFETCH(QString, elsewhere);
    QFETCH(QString, message);
    auto db = TestDb::fresh();
    BoardFixture::room(*db, u"大厅"_s);
    BoardFixture::plate(*db, u"SP001"_s, u"大厅"_s, state);
    if (withLine)
        BoardFixture::line(*db, u"SP001"_s, u"洗剪吹"_s, u"30"_s, u"1"_s, u"30"_s);
    const int number = numberOf(*db, u"SP001"_s);
    if (!elsewhere.isEmpty())
        ::elsewhere(*db, elsewhere, {});
    const int plates = count(*db, u"号牌管理"_s);

    QCOMPARE(refusalOf([&] { PlateSettings(*db).deletePlate(number, u"SP001"_s); }), message);
    QCOMPARE(count(*db, u"号牌管理"_s), plates);
    QVERIFY(!db->inTransaction());
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
    // The window's grid model, loaded anew by each list.
    ResultTableModel rows;
    auto numbers = [&rows] {
        QStringList plates;
        for (int row = 0; row < rows.rowCount(); ++row)
            plates.append(rows.value(row, u"号牌"_s).toString());
        return plates;
    };
    settings.platesByRoom(rows);
    QCOMPARE(numbers(), (QStringList{u"3"_s, u"1"_s, u"2"_s}));
    settings.platesOf(rows, u"B"_s);
    QCOMPARE(numbers(), (QStringList{u"1"_s, u"2"_s}));
    settings.allPlates(rows);
    QCOMPARE(numbers(), (QStringList{u"2"_s, u"3"_s, u"1"_s}));
}

SALONDESK_DB_TEST_MAIN(TestPlateSettings)
#include "tst_board_settings.moc"
