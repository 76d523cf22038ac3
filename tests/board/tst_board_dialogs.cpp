#include "BoardFixture.h"
#include "support/TestSession.h"

#include "board/PlateSettings.h"
#include "db/ResultTableModel.h"
#include "board/ui/TBaoXiangFm.h"
#include "board/ui/TSpAddFm.h"
#include "board/ui/TSpEditFm.h"
#include "board/ui/TSpSetFm.h"
#include "board/ui/TSpStatusFm.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

void shop(Database &db)
{
    BoardFixture::room(db, u"大厅"_s, u"10"_s);
    BoardFixture::room(db, u"包间"_s);
    BoardFixture::plate(db, u"SP001"_s, u"大厅"_s, u"可用"_s);
    BoardFixture::plate(db, u"SP002"_s, u"大厅"_s, u"占用"_s);
    BoardFixture::plate(db, u"B01"_s, u"包间"_s, u"停用"_s);
}

QStringList column(const QAbstractItemModel &model, int column)
{
    QStringList values;
    for (int row = 0; row < model.rowCount(); ++row)
        values.append(model.index(row, column).data().toString());
    return values;
}

} // namespace

// The plate status window and the plates and rooms windows.
class TestPlateWindows : public QObject
{
    Q_OBJECT

private slots:
    void statusWindowChangesAFreePlate();
    void statusWindowRefusesAnOccupiedPlate();
    void settingsWindowListsRoomsAndPlates();
    void settingsWindowGridsFit();
    void settingsWindowDeletesARoomAfterAsking_data();
    void settingsWindowDeletesARoomAfterAsking();
    void settingsWindowDeletesAPlateAfterAsking();
    void settingsWindowKeepsTheRenamedRoomCurrent();
    void settingsWindowCloseEndsTheProgram();
    void rangeDialogNeedsBothBounds_data();
    void rangeDialogNeedsBothBounds();
    void rangeDialogAddsAndSaysSo();
    void rangeDialogRefusesAMissingRoom();
    void plateDialogMessages();
    void plateDialogRefusesAStaleSave();
    void roomDialogSavesEmptyAmountsAsZero();
    void roomDialogRefusesAStaleSave_data();
    void roomDialogRefusesAStaleSave();
    void roomDialogChangesByMode();
};

void TestPlateWindows::statusWindowChangesAFreePlate()
{
    TestSession t;
    shop(*t.database);
    TSpStatusFm window(t.session, u"SP001"_s);
    QCOMPARE(window.windowTitle(), u"号牌"_s);
    QCOMPARE(window.shownState(), u"可用"_s);
    window.button(u"变为停用"_s)->click();
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QCOMPARE(BoardFixture::stateOf(*t.database, u"SP001"_s), u"停用"_s);
    QVERIFY(t.prompt.messages().isEmpty());
}

void TestPlateWindows::statusWindowRefusesAnOccupiedPlate()
{
    TestSession t;
    shop(*t.database);
    TSpStatusFm window(t.session, u"SP002"_s);
    window.show();
    window.button(u"变为可用"_s)->click();
    QCOMPARE(t.prompt.messages(), QStringList{u"该号牌处于占用状态，请先结帐！"_s});
    QVERIFY(window.isVisible());
    QCOMPARE(BoardFixture::stateOf(*t.database, u"SP002"_s), u"占用"_s);
}

void TestPlateWindows::settingsWindowListsRoomsAndPlates()
{
    TestSession t;
    shop(*t.database);
    TSpSetFm window(t.session);
    QCOMPARE(window.windowTitle(), u"号牌与包厢设置"_s);
    QCOMPARE(column(*window.roomGrid()->model(), 0), (QStringList{u"大厅"_s, u"包间"_s}));
    QCOMPARE(column(*window.roomGrid()->model(), 1), (QStringList{u"10"_s, u"0"_s}));

    QAbstractItemModel *shown = window.plateGrid()->model();
    const QHeaderView *header = window.plateGrid()->horizontalHeader();
    QStringList headers;
    for (int place = 0; place < shown->columnCount(); ++place)
        headers.append(shown->headerData(header->logicalIndex(place), Qt::Horizontal).toString());
    QCOMPARE(headers, (QStringList{u"号牌"_s, u"所属包厢"_s, u"号牌状态"_s, u"序号"_s}));
    const int plateColumn = header->logicalIndex(0);
    // By room, then number; the export gets every column under its own name.
    QCOMPARE(column(*shown, plateColumn), (QStringList{u"B01"_s, u"SP001"_s, u"SP002"_s}));
    QVERIFY(window.plateModel()->columnCount() > 4);
    QCOMPARE(window.plateModel()->headerData(0, Qt::Horizontal).toString().toLower(), u"number"_s);

    window.roomClicked(0);
    QCOMPARE(column(*shown, plateColumn), (QStringList{u"SP001"_s, u"SP002"_s}));
    QCOMPARE(header->logicalIndex(0), plateColumn);
    window.button(u"号牌"_s, u"刷新"_s)->click();
    QCOMPARE(column(*shown, plateColumn).size(), 3);

    t.prompt.files.enqueue(t.dir.filePath(u"plates.xlsx"_s));
    t.prompt.answers.enqueue(true);
    window.button(u"号牌"_s, u"EXCEL"_s)->click();
    QCOMPARE(t.opener.opened.size(), 1);
}

void TestPlateWindows::settingsWindowGridsFit()
{
    TestSession t;
    shop(*t.database);
    PlateSettings(*t.database).addRange(u"1"_s, u"30"_s, u"SP1"_s, u"大厅"_s);
    TSpSetFm window(t.session);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // The models belong to the window.
    QCOMPARE(window.plateModel()->parent(), &window);

    QTableView *plates = window.plateGrid();
    const QHeaderView *header = plates->horizontalHeader();
    int roomColumn = -1;
    int numberColumn = -1;
    for (int column = 0; column < plates->model()->columnCount(); ++column) {
        const QString caption = plates->model()->headerData(column, Qt::Horizontal).toString();
        if (caption == u"所属包厢")
            roomColumn = column;
        if (caption == u"序号")
            numberColumn = column;
    }
    QVERIFY(roomColumn >= 0 && numberColumn >= 0);
    // The sequence number is as wide as it needs, the room at least as wide
    // as its names.
    QVERIFY(!header->stretchLastSection());
    QCOMPARE(header->sectionResizeMode(numberColumn), QHeaderView::ResizeToContents);
    QCOMPARE(header->sectionResizeMode(roomColumn), QHeaderView::Stretch);
    QVERIFY(header->sectionSize(roomColumn) >= header->sectionSize(numberColumn));
    QVERIFY(header->sectionSize(roomColumn)
            >= plates->fontMetrics().horizontalAdvance(u"所属包厢"_s));
    // Twenty plates in view.
    const int rowHeight = plates->verticalHeader()->defaultSectionSize();
    QVERIFY(rowHeight >= plates->fontMetrics().height());
    QVERIFY2(plates->viewport()->height() >= 20 * rowHeight,
             qPrintable(QString::number(plates->viewport()->height())));
    QCOMPARE(window.roomGrid()->verticalHeader()->defaultSectionSize(), rowHeight);
}

void TestPlateWindows::settingsWindowDeletesARoomAfterAsking_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QStringList>("rooms");
    QTest::addColumn<QStringList>("plates");
    QTest::addColumn<QString>("refusal");
    const QStringList all{u"B01"_s, u"SP001"_s, u"SP002"_s};
    QTest::newRow("yes") << 1 << true << QStringList{u"大厅"_s} << QStringList{u"SP001"_s, u"SP002"_s}
                         << QString();
    QTest::newRow("no") << 1 << false << QStringList{u"大厅"_s, u"包间"_s} << all << QString();
    QTest::newRow("a plate in use")
        << 0 << true << QStringList{u"大厅"_s, u"包间"_s} << all
        << u"包厢 大厅 中的号牌 SP002 正在使用或有消费记录，不能删除包厢！"_s;
}

void TestPlateWindows::settingsWindowDeletesARoomAfterAsking()
{
    QFETCH(int, row);
    QFETCH(bool, yes);
    QFETCH(QStringList, rooms);
    QFETCH(QStringList, plates);
    QFETCH(QString, refusal);
    TestSession t;
    shop(*t.database);
    TSpSetFm window(t.session);
    window.roomGrid()->setCurrentCell(row, 0);
    const QString room = column(*window.roomGrid()->model(), 0).at(row);
    t.prompt.answers.enqueue(yes);
    window.button(u"包厢"_s, u"删除"_s)->click();
    QCOMPARE(t.prompt.shown.size(), refusal.isEmpty() ? 2 : 3);
    QCOMPARE(t.prompt.shown.at(0).text, u"删除该包厢和包厢内的所有号牌!"_s);
    QCOMPARE(t.prompt.shown.at(1).kind, u"question"_s);
    QCOMPARE(t.prompt.shown.at(1).text, u"您是否要删除\" "_s + room + u'"');
    if (!refusal.isEmpty())
        QCOMPARE(t.prompt.shown.at(2).text, refusal);
    QCOMPARE(column(*window.roomGrid()->model(), 0), rooms);
    QCOMPARE(column(*window.plateGrid()->model(), window.plateGrid()->horizontalHeader()->logicalIndex(0)),
             plates);
}

void TestPlateWindows::settingsWindowDeletesAPlateAfterAsking()
{
    TestSession t;
    shop(*t.database);
    TSpSetFm window(t.session);
    QTableView *grid = window.plateGrid();
    const int plateColumn = grid->horizontalHeader()->logicalIndex(0);
    auto select = [&](const QString &plate) {
        const int row = column(*grid->model(), plateColumn).indexOf(plate);
        grid->setCurrentIndex(grid->model()->index(row, 0));
    };

    // SP002 is occupied: asked, refused, kept.
    select(u"SP002"_s);
    t.prompt.answers.enqueue(true);
    window.button(u"号牌"_s, u"删除"_s)->click();
    QCOMPARE(t.prompt.lastMessage(), u"号牌 SP002 正在使用或有消费记录，不能删除！"_s);
    QCOMPARE(column(*grid->model(), plateColumn), (QStringList{u"B01"_s, u"SP001"_s, u"SP002"_s}));

    select(u"SP001"_s);
    t.prompt.answers.enqueue(true);
    window.button(u"号牌"_s, u"删除"_s)->click();
    QCOMPARE(t.prompt.shown.last().text, u"您是否要删除\" SP001\""_s);
    QCOMPARE(column(*grid->model(), plateColumn), (QStringList{u"B01"_s, u"SP002"_s}));
}

void TestPlateWindows::settingsWindowKeepsTheRenamedRoomCurrent()
{
    TestSession t;
    shop(*t.database);
    TSpSetFm window(t.session);
    window.roomGrid()->setCurrentCell(1, 0);
    window.roomClicked(1);
    // The room dialog is modal: fill it in once it is up.
    QTimer::singleShot(0, [] {
        auto *dialog = qobject_cast<TBaoXiangFm *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QCOMPARE(dialog->mode(), u"修改"_s);
        QCOMPARE(dialog->nameEdit()->text(), u"包间"_s);
        dialog->nameEdit()->setText(u"贵宾间"_s);
        dialog->save();
    });
    window.button(u"包厢"_s, u"修改"_s)->click();
    QCOMPARE(window.mode(), u"修改"_s);
    QCOMPARE(column(*window.roomGrid()->model(), 0), (QStringList{u"大厅"_s, u"贵宾间"_s}));
    QCOMPARE(window.roomGrid()->currentRow(), 1);
    // The plate list still shows that room's plates.
    const int plateColumn = window.plateGrid()->horizontalHeader()->logicalIndex(0);
    QCOMPARE(column(*window.plateGrid()->model(), plateColumn), QStringList{u"B01"_s});
    QVERIFY(t.prompt.messages().isEmpty());
}

void TestPlateWindows::settingsWindowCloseEndsTheProgram()
{
    TestSession t;
    TSpSetFm window(t.session);
    window.button(QString(), u"关闭"_s)->click();
    QCOMPARE(t.prompt.messages(), QStringList{u"重启软件后生效!"_s});
    QCOMPARE(window.result(), TSpSetFm::EndProgram);
}

void TestPlateWindows::rangeDialogNeedsBothBounds_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<bool>("focusOnEnd");
    QTest::newRow("no start") << QString() << u"9"_s << false;
    QTest::newRow("no end") << u"1"_s << QString() << true;
    QTest::newRow("neither") << QString() << QString() << false;
}

void TestPlateWindows::rangeDialogNeedsBothBounds()
{
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(bool, focusOnEnd);
    TestSession t;
    shop(*t.database);
    PlateSettings settings(*t.database);
    TSpAddFm dialog(t.session, settings, settings.roomNames(), u"包间"_s);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(dialog.roomBox()->currentText(), u"包间"_s);
    dialog.startEdit()->setText(start);
    dialog.endEdit()->setText(end);
    dialog.save();
    QCOMPARE(t.prompt.messages(), QStringList{u"请输入号牌的起始值和终止值！"_s});
    QVERIFY(dialog.isVisible());
    QTRY_VERIFY((focusOnEnd ? dialog.endEdit() : dialog.startEdit())->hasFocus());
}

void TestPlateWindows::rangeDialogAddsAndSaysSo()
{
    TestSession t;
    shop(*t.database);
    PlateSettings settings(*t.database);
    TSpAddFm dialog(t.session, settings, settings.roomNames(), u"大厅"_s);
    QCOMPARE(dialog.windowTitle(), u"批量添加号牌"_s);
    // The number boxes take digits only.
    QTest::keyClicks(dialog.startEdit(), u"1a-"_s);
    QCOMPARE(dialog.startEdit()->text(), u"1"_s);
    dialog.endEdit()->setText(u"3"_s);
    dialog.prefixEdit()->setText(u" SP00 "_s);
    dialog.roomBox()->setCurrentText(u"包间"_s);
    dialog.save();
    QCOMPARE(t.prompt.messages(), QStringList{u"号牌批量添加成功！"_s});
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.prefixEdit()->text(), u"SP00"_s);
    // SP001 and SP002 exist in the hall and stay there; SP003 joins B01.
    QCOMPARE(t.database->scalar(u"select count(*) from 号牌管理 where 所属包厢=?"_s, {u"包间"_s}).toInt(), 2);
    QCOMPARE(t.database->scalar(u"select 所属包厢 from 号牌管理 where 号牌=?"_s, {u"SP001"_s}).toString(),
             u"大厅"_s);
}

void TestPlateWindows::rangeDialogRefusesAMissingRoom()
{
    TestSession t;
    shop(*t.database);
    PlateSettings settings(*t.database);
    TSpAddFm dialog(t.session, settings, settings.roomNames(), u"大厅"_s);
    dialog.startEdit()->setText(u"1"_s);
    dialog.endEdit()->setText(u"3"_s);
    dialog.prefixEdit()->setText(u"V"_s);
    dialog.roomBox()->setCurrentText(u"贵宾间"_s);
    dialog.save();
    QCOMPARE(t.prompt.messages(), QStringList{u"包厢 贵宾间 不存在，请选择已有的包厢！"_s});
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(t.database->scalar(u"select count(*) from 号牌管理"_s).toInt(), 3);
}

void TestPlateWindows::plateDialogMessages()
{
    TestSession t;
    shop(*t.database);
    PlateSettings settings(*t.database);
    const int number = t.database->scalar(u"select number from 号牌管理 where 号牌=?"_s, {u"SP001"_s}).toInt();
    TSpEditFm dialog(t.session, settings, number, {u"SP001"_s, u"大厅"_s, u"可用"_s}, settings.roomNames());
    QCOMPARE(dialog.windowTitle(), u"手牌信息"_s);
    QCOMPARE(dialog.roomBox()->currentText(), u"大厅"_s);
    QCOMPARE(dialog.stateBox()->currentText(), u"可用"_s);
    QVERIFY(dialog.saveButton()->isDefault());
    dialog.show();

    dialog.stateBox()->setCurrentText(QString());
    dialog.saveButton()->click();
    QCOMPARE(t.prompt.lastMessage(), u"号牌 所属包厢 号牌状态必须填写!"_s);
    QVERIFY(dialog.isVisible());

    dialog.stateBox()->setCurrentText(u"停用"_s);
    dialog.plateEdit()->setText(u"SP002"_s);
    dialog.saveButton()->click();
    // The database says why: a second SP002.
    const QString failed = t.prompt.lastMessage();
    QVERIFY2(failed.startsWith(u"保存失败!\n"_s) && failed.size() > 6, qPrintable(failed));
    QVERIFY(dialog.isVisible());

    dialog.plateEdit()->setText(u"SP009"_s);
    dialog.roomBox()->setCurrentText(u"新包厢"_s);
    dialog.saveButton()->click();
    QCOMPARE(t.prompt.lastMessage(), u"包厢 新包厢 不存在，请选择已有的包厢！"_s);
    QVERIFY(dialog.isVisible());

    dialog.roomBox()->setCurrentText(u"包间"_s);
    dialog.saveButton()->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(t.prompt.messages().size(), 3);
    QCOMPARE(t.database->scalar(u"select 所属包厢 from 号牌管理 where 号牌=?"_s, {u"SP009"_s}).toString(),
             u"包间"_s);
}

void TestPlateWindows::plateDialogRefusesAStaleSave()
{
    TestSession t;
    shop(*t.database);
    PlateSettings settings(*t.database);
    const int number = t.database->scalar(u"select number from 号牌管理 where 号牌=?"_s, {u"SP001"_s}).toInt();
    // Workstation A opens SP001 while it is free…
    TSpEditFm dialog(t.session, settings, number, {u"SP001"_s, u"大厅"_s, u"可用"_s}, settings.roomNames());
    dialog.show();
    // …B disables it…
    {
        auto other = Database::open(t.database->settings());
        PlateSettings(*other).savePlate(number, {u"SP001"_s, u"大厅"_s, u"可用"_s},
                                        {u"SP001"_s, u"大厅"_s, u"停用"_s});
    }
    // …and A saves what it shows, unchanged.
    dialog.saveButton()->click();
    QCOMPARE(t.prompt.messages(), QStringList{u"该号牌已被其他工作站修改或删除，请刷新后重试。"_s});
    QVERIFY(dialog.isVisible());
    QCOMPARE(BoardFixture::stateOf(*t.database, u"SP001"_s), u"停用"_s);
}

void TestPlateWindows::roomDialogSavesEmptyAmountsAsZero()
{
    TestSession t;
    PlateSettings settings(*t.database);
    TBaoXiangFm dialog(t.session, settings, u"添加"_s, {});
    QCOMPARE(dialog.windowTitle(), u"包厢设置"_s);
    dialog.nameEdit()->setText(u"大厅"_s);
    dialog.save();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(settings.rooms().size(), 1);
    QCOMPARE(settings.rooms().first().ticketText(), u"0"_s);

    // A second room of the same name: the database's text, and the dialog stays.
    TBaoXiangFm again(t.session, settings, u"添加"_s, {});
    again.nameEdit()->setText(u"大厅"_s);
    again.ticketEdit()->setText(u"5"_s);
    again.save();
    QCOMPARE(again.result(), int(QDialog::Rejected));
    QCOMPARE(t.prompt.messages().size(), 1);
    QCOMPARE(settings.rooms().size(), 1);
}

void TestPlateWindows::roomDialogRefusesAStaleSave_data()
{
    QTest::addColumn<QString>("elsewhere");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("ticket");
    QTest::newRow("renamed meanwhile, saved with a new price")
        << u"update 包厢 set 包厢='大堂' where 包厢='大厅'"_s << u"大厅"_s << u"12"_s;
    QTest::newRow("price changed meanwhile, renamed")
        << u"update 包厢 set 门票价格=15 where 包厢='大厅'"_s << u"一楼大厅"_s << u"10"_s;
    QTest::newRow("price changed meanwhile, saved unchanged")
        << u"update 包厢 set 门票价格=15 where 包厢='大厅'"_s << u"大厅"_s << u"10"_s;
}

void TestPlateWindows::roomDialogRefusesAStaleSave()
{
    QFETCH(QString, elsewhere);
    QFETCH(QString, name);
    QFETCH(QString, ticket);
    TestSession t;
    shop(*t.database);
    PlateSettings settings(*t.database);
    TBaoXiangFm dialog(t.session, settings, u"修改"_s, settings.rooms().first());
    QCOMPARE(dialog.nameEdit()->text(), u"大厅"_s);
    QCOMPARE(dialog.ticketEdit()->text(), u"10"_s);
    Database::open(t.database->settings())->execute(elsewhere);
    const QList<PlateSettings::Room> before = settings.rooms();

    dialog.nameEdit()->setText(name);
    dialog.ticketEdit()->setText(ticket);
    dialog.save();

    QCOMPARE(t.prompt.messages(), QStringList{u"该包厢已被其他工作站修改或删除，请刷新后重试。"_s});
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    const QList<PlateSettings::Room> after = settings.rooms();
    QCOMPARE(after.first().name, before.first().name);
    QCOMPARE(after.first().ticketText(), before.first().ticketText());
}

void TestPlateWindows::roomDialogChangesByMode()
{
    // A room whose name is empty is changed, not added again.
    TestSession t;
    BoardFixture::room(*t.database, u""_s, u"5"_s);
    PlateSettings settings(*t.database);
    TBaoXiangFm dialog(t.session, settings, u"修改"_s, settings.rooms().first());
    dialog.nameEdit()->setText(u"大厅"_s);
    dialog.save();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(settings.roomNames(), QStringList{u"大厅"_s});
    QCOMPARE(settings.rooms().first().ticketText(), u"5"_s);
}

SALONDESK_DB_GUI_TEST_MAIN(TestPlateWindows)
#include "tst_board_dialogs.moc"
