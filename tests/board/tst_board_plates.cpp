#include "BoardFixture.h"
#include "support/TestDb.h"

#include "board/PlateBoard.h"
#include "common/Clock.h"
#include "db/Amounts.h"

#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(PlateBoard::Counts)

// What the board reads: rooms, plates with icons, totals per state, the
// status panel of a plate and the open lines.
class TestPlateBoard : public QObject
{
    Q_OBJECT

private slots:
    void countsPerState_data();
    void countsPerState();
    void platesOfRoomInNumberOrder();
    void detailsOfPlate_data();
    void detailsOfPlate();
    void detailsOfMissingPlate();
    void knownStateOnlyForTheFour();
    void openLinesOfAllAndOfOnePlate();
    void storedTextThatIsNoNumber_data();
    void storedTextThatIsNoNumber();

private:
    const QDateTime m_now{QDate(2024, 3, 2), QTime(10, 0)};
};

void TestPlateBoard::countsPerState_data()
{
    QTest::addColumn<QVariantList>("states");
    QTest::addColumn<PlateBoard::Counts>("expected");
    // total, occupied, free, reserved, disabled
    QTest::newRow("no plates") << QVariantList() << PlateBoard::Counts{};
    QTest::newRow("one of each")
        << QVariantList{u"可用"_s, u"占用"_s, u"预定"_s, u"停用"_s} << PlateBoard::Counts{4, 1, 1, 1, 1};
    QTest::newRow("unknown texts count only in the total")
        << QVariantList{u"可用"_s, u"维修"_s, QString(), QVariant(), u"占用"_s, u"占用"_s}
        << PlateBoard::Counts{6, 2, 1, 0, 0};
    QTest::newRow("letter-exact texts only") << QVariantList{u"占用 "_s, u"停用"_s}
        << PlateBoard::Counts{2, 0, 0, 0, 1};
}

void TestPlateBoard::countsPerState()
{
    QFETCH(QVariantList, states);
    QFETCH(PlateBoard::Counts, expected);
    auto db = TestDb::fresh();
    BoardFixture::room(*db, u"大厅"_s);
    BoardFixture::room(*db, u"VIP"_s);
    for (int i = 0; i < states.size(); ++i)
        BoardFixture::plate(*db, u"P"_s + QString::number(i), i % 2 ? u"VIP"_s : u"大厅"_s, states.at(i));
    FixedClock clock(m_now);
    const PlateBoard::Counts counts = PlateBoard(*db, clock).counts();
    QCOMPARE(counts.total, expected.total);
    QCOMPARE(counts.occupied, expected.occupied);
    QCOMPARE(counts.free, expected.free);
    QCOMPARE(counts.reserved, expected.reserved);
    QCOMPARE(counts.disabled, expected.disabled);
}

void TestPlateBoard::platesOfRoomInNumberOrder()
{
    auto db = TestDb::fresh();
    BoardFixture::room(*db, u"大厅"_s);
    BoardFixture::room(*db, u"包间"_s);
    BoardFixture::plate(*db, u"SP003"_s, u"大厅"_s, u"停用"_s);
    BoardFixture::plate(*db, u"SP001"_s, u"大厅"_s, u"占用"_s);
    BoardFixture::plate(*db, u"B01"_s, u"包间"_s, u"可用"_s);
    BoardFixture::plate(*db, u"SP002"_s, u"大厅"_s, u"维修"_s);
    BoardFixture::plate(*db, u"SP004"_s, u"大厅"_s, u"预定"_s);
    FixedClock clock(m_now);
    PlateBoard board(*db, clock);

    QCOMPARE(board.rooms(), (QStringList{u"大厅"_s, u"包间"_s}));
    const QList<PlateBoard::Plate> expected{{u"SP001"_s, PlateState::OccupiedIcon},
                                            {u"SP002"_s, PlateState::FreeIcon},
                                            {u"SP003"_s, PlateState::DisabledIcon},
                                            {u"SP004"_s, PlateState::ReservedIcon}};
    QVERIFY(board.plates(u"大厅"_s) == expected);
    QCOMPARE(board.plates(u"包间"_s).size(), 1);
    QVERIFY(board.plates(u"没有的包厢"_s).isEmpty());
}

void TestPlateBoard::detailsOfPlate_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QDateTime>("entered");
    QTest::addColumn<QString>("deposit");
    QTest::addColumn<QStringList>("lineTotals");
    // 当前状态, 计费标准, 进店时间, 已用时间, 已交押金, 消费金额
    QTest::addColumn<QStringList>("fields");

    const QDateTime now(QDate(2024, 3, 2), QTime(10, 0));
    QTest::newRow("free shows 0 in the four values")
        << u"可用"_s << now.addSecs(-3600) << u"50"_s << QStringList{u"10"_s}
        << QStringList{u"可用"_s, u"标准"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s};
    QTest::newRow("reserved") << u"预定"_s << QDateTime() << u"0"_s << QStringList()
        << QStringList{u"预定"_s, u"标准"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s};
    QTest::newRow("disabled") << u"停用"_s << QDateTime() << u"0"_s << QStringList()
        << QStringList{u"停用"_s, u"标准"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s};
    QTest::newRow("occupied 26 hours shows the time of day")
        << u"占用"_s << now.addSecs(-26 * 3600) << u"100"_s << QStringList{u"30"_s, u"28.05"_s}
        << QStringList{u"占用"_s, u"标准"_s, u"2024-03-01 08:00:00"_s, u"02:00:00"_s, u"100"_s, u"58.05"_s};
    QTest::newRow("occupied, minutes and seconds")
        << u"占用"_s << now.addSecs(-(3600 + 61)) << u"0"_s << QStringList{u"-12.5"_s}
        << QStringList{u"占用"_s, u"标准"_s, u"2024-03-02 08:58:59"_s, u"01:01:01"_s, u"0"_s, u"-12.5"_s};
    QTest::newRow("occupied without lines: empty amount")
        << u"占用"_s << now.addSecs(-60) << u"20.5"_s << QStringList()
        << QStringList{u"占用"_s, u"标准"_s, u"2024-03-02 09:59:00"_s, u"00:01:00"_s, u"20.5"_s, QString()};
    QTest::newRow("occupied without entry time")
        << u"占用"_s << QDateTime() << u"10"_s << QStringList{u"5"_s}
        << QStringList{u"占用"_s, u"标准"_s, QString(), QString(), u"10"_s, u"5"_s};
}

void TestPlateBoard::detailsOfPlate()
{
    QFETCH(QString, state);
    QFETCH(QDateTime, entered);
    QFETCH(QString, deposit);
    QFETCH(QStringList, lineTotals);
    QFETCH(QStringList, fields);
    auto db = TestDb::fresh();
    BoardFixture::room(*db, u"大厅"_s);
    BoardFixture::plate(*db, u"SP001"_s, u"大厅"_s, state,
                        entered.isValid() ? QVariant(entered) : QVariant(), deposit);
    BoardFixture::plate(*db, u"SP002"_s, u"大厅"_s, u"占用"_s, m_now);
    for (const QString &total : lineTotals)
        BoardFixture::line(*db, u"SP001"_s, u"洗剪吹"_s, total, u"1"_s, total);
    // Another plate's lines never count.
    BoardFixture::line(*db, u"SP002"_s, u"烫发"_s, u"280"_s, u"1"_s, u"280"_s);

    FixedClock clock(m_now);
    const auto details = PlateBoard(*db, clock).details(u"SP001"_s);
    QVERIFY(details);
    QCOMPARE(details->plate, u"SP001"_s);
    const QStringList shown{details->state, details->billing, details->entryTime,
                            details->elapsed, details->deposit, details->amount};
    QCOMPARE(shown, fields);
}

void TestPlateBoard::detailsOfMissingPlate()
{
    auto db = TestDb::fresh();
    FixedClock clock(m_now);
    QVERIFY(!PlateBoard(*db, clock).details(u"SP001"_s));
}

void TestPlateBoard::knownStateOnlyForTheFour()
{
    auto db = TestDb::fresh();
    BoardFixture::room(*db, u"大厅"_s);
    BoardFixture::plate(*db, u"A"_s, u"大厅"_s, u"预定"_s);
    BoardFixture::plate(*db, u"B"_s, u"大厅"_s, u"维修"_s);
    FixedClock clock(m_now);
    PlateBoard board(*db, clock);
    QCOMPARE(board.knownState(u"A"_s), std::optional(PlateState::ReservedIcon));
    QVERIFY(!board.knownState(u"B"_s));
    QVERIFY(!board.knownState(u"C"_s));
    QVERIFY(!board.knownState(u"a"_s));
}

void TestPlateBoard::openLinesOfAllAndOfOnePlate()
{
    auto db = TestDb::fresh();
    BoardFixture::room(*db, u"大厅"_s);
    BoardFixture::plate(*db, u"SP001"_s, u"大厅"_s, u"占用"_s, m_now);
    BoardFixture::plate(*db, u"SP002"_s, u"大厅"_s, u"占用"_s, m_now);
    BoardFixture::line(*db, u"SP001"_s, u"洗剪吹"_s, u"30"_s, u"2"_s, u"60"_s);
    BoardFixture::line(*db, u"SP002"_s, u"烫发"_s, u"280"_s, u"1"_s, u"280"_s);
    BoardFixture::line(*db, u"SP001"_s, u"护发素"_s, u"38.5"_s, u"-1"_s, u"-38.5"_s,
                       QDateTime(QDate(2024, 3, 2), QTime(9, 5, 7)));
    FixedClock clock(m_now);
    PlateBoard board(*db, clock);

    QCOMPARE(board.openLines().size(), 3);
    const QList<OpenLine> lines = board.openLines(u"SP001"_s);
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines.at(0).goods, u"洗剪吹"_s);
    QCOMPARE(lines.at(1).plate, u"SP001"_s);
    QCOMPARE(lines.at(1).goods, u"护发素"_s);
    QCOMPARE(tryReadAmount(lines.at(1).price), std::optional(Money::fromText(u"38.5")));
    QCOMPARE(tryReadAmount(lines.at(1).quantity), std::optional(Money::fromInt(-1)));
    QCOMPARE(tryReadAmount(lines.at(1).total), std::optional(Money::fromText(u"-38.5")));
    QCOMPARE(tryReadAmount(lines.at(1).discount), std::optional(Money::fromInt(1)));
    QCOMPARE(lines.at(1).time, QDateTime(QDate(2024, 3, 2), QTime(9, 5, 7)));
    QCOMPARE(lines.at(1).employeeName, u"张敏"_s);
    QCOMPARE(lines.at(1).operatorName, u"超级管理员"_s);
    QCOMPARE(board.lineAmount(u"SP001"_s), u"21.5"_s);
    QVERIFY(board.openLines(u"sp001"_s).isEmpty());
}

void TestPlateBoard::storedTextThatIsNoNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letters") << u"abc"_s << u"abc"_s;
    // SQLite stores this as an infinite number.
    QTest::newRow("beyond a double") << u"1e309"_s << u"inf"_s;
}

void TestPlateBoard::storedTextThatIsNoNumber()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    auto db = TestDb::fresh();
    if (db->backend() == Backend::Postgres)
        QSKIP("PostgreSQL numeric columns refuse such text; SQLite keeps it");
    BoardFixture::room(*db, u"大厅"_s);
    BoardFixture::plate(*db, u"SP001"_s, u"大厅"_s, u"占用"_s, m_now, text);
    BoardFixture::plate(*db, u"SP002"_s, u"大厅"_s, u"占用"_s, m_now);
    BoardFixture::line(*db, u"SP001"_s, u"洗剪吹"_s, u"30"_s, u"1"_s, u"30"_s);
    BoardFixture::line(*db, u"SP002"_s, u"烫发"_s, u"280"_s, u"1"_s, text);
    FixedClock clock(m_now);
    PlateBoard board(*db, clock);

    // The deposit shows as stored; the lines are read and shown as stored.
    QCOMPARE(board.details(u"SP001"_s)->deposit, shown);
    OpenLinesModel model;
    model.setLines(board.openLines());
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.index(1, OpenLinesModel::Total).data().toString(), shown);

    // A sum names the table, the column and the value.
    for (const auto &sum : std::initializer_list<std::function<void()>>{
             [&] { board.lineAmount(u"SP002"_s); }, [&] { board.details(u"SP002"_s); },
             [&] { model.totalSum(); }}) {
        try {
            sum();
            QFAIL("a total that is no number was added up");
        } catch (const DbError &error) {
            QVERIFY2(error.text().contains(u"xfmx"_s) && error.text().contains(u"合计"_s)
                         && error.text().contains(shown),
                     qPrintable(error.text()));
        }
    }
}

SALONDESK_DB_TEST_MAIN(TestPlateBoard)
#include "tst_board_plates.moc"
