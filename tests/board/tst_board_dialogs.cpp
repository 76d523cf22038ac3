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
    void settingsWindowDeletesARoomAfterAsking_data();
    void settingsWindowDeletesARoomAfterAsking();
    void settingsWindowCloseEndsTheProgram();
    void rangeDialogNeedsBothBounds_data();
    void rangeDialogNeedsBothBounds();
    void rangeDialogAddsAndSaysSo();
    void plateDialogMessages();
    void roomDialogSavesEmptyAmountsAsZero();
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

    window.button(u"号牌"_s, u"EXCEL"_s)->click();
    QCOMPARE(t.opener.opened.size(), 1);
}

void TestPlateWindows::settingsWindowDeletesARoomAfterAsking_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("yes") << true;
    QTest::newRow("no") << false;
}

void TestPlateWindows::settingsWindowDeletesARoomAfterAsking()
{
    QFETCH(bool, yes);
    TestSession t;
    shop(*t.database);
    TSpSetFm window(t.session);
    window.roomGrid()->setCurrentCell(0, 0);
    t.prompt.answers.enqueue(yes);
    window.button(u"包厢"_s, u"删除"_s)->click();
    QCOMPARE(t.prompt.shown.size(), 2);
    QCOMPARE(t.prompt.shown.at(0).text, u"删除该包厢和包厢内的所有号牌!"_s);
    QCOMPARE(t.prompt.shown.at(1).kind, u"question"_s);
    QCOMPARE(t.prompt.shown.at(1).text, u"您是否要删除\" 大厅\""_s);
    const QStringList rooms = column(*window.roomGrid()->model(), 0);
    QCOMPARE(rooms, yes ? QStringList{u"包间"_s} : (QStringList{u"大厅"_s, u"包间"_s}));
    QCOMPARE(column(*window.plateGrid()->model(), window.plateGrid()->horizontalHeader()->logicalIndex(0)),
             yes ? QStringList{u"B01"_s} : (QStringList{u"B01"_s, u"SP001"_s, u"SP002"_s}));
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

void TestPlateWindows::plateDialogMessages()
{
    TestSession t;
    shop(*t.database);
    PlateSettings settings(*t.database);
    const int number = t.database->scalar(u"select number from 号牌管理 where 号牌=?"_s, {u"SP001"_s}).toInt();
    TSpEditFm dialog(t.session, settings, number, {u"SP001"_s, u"大厅"_s, u"可用"_s}, settings.roomNames());
    QCOMPARE(dialog.windowTitle(), u"手牌信息"_s);
    QVERIFY(dialog.saveButton()->isDefault());
    dialog.show();

    dialog.stateBox()->setCurrentText(QString());
    dialog.saveButton()->click();
    QCOMPARE(t.prompt.lastMessage(), u"号牌 所属包厢 号牌状态必须填写!"_s);
    QVERIFY(dialog.isVisible());

    dialog.stateBox()->setCurrentText(u"停用"_s);
    dialog.plateEdit()->setText(u"SP002"_s);
    dialog.saveButton()->click();
    QCOMPARE(t.prompt.lastMessage(), u"保存失败!"_s);
    QVERIFY(dialog.isVisible());

    dialog.plateEdit()->setText(u"SP009"_s);
    dialog.roomBox()->setCurrentText(u"新包厢"_s);
    dialog.saveButton()->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(t.prompt.messages().size(), 2);
    QCOMPARE(t.database->scalar(u"select 所属包厢 from 号牌管理 where 号牌=?"_s, {u"SP009"_s}).toString(),
             u"新包厢"_s);
}

void TestPlateWindows::roomDialogSavesEmptyAmountsAsZero()
{
    TestSession t;
    PlateSettings settings(*t.database);
    TBaoXiangFm dialog(t.session, settings, QString());
    QCOMPARE(dialog.windowTitle(), u"包厢设置"_s);
    dialog.nameEdit()->setText(u"大厅"_s);
    dialog.save();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(settings.rooms().size(), 1);
    QCOMPARE(settings.rooms().first().ticketPrice, Money());

    // A second room of the same name: the database's text, and the dialog stays.
    TBaoXiangFm again(t.session, settings, QString());
    again.nameEdit()->setText(u"大厅"_s);
    again.ticketEdit()->setText(u"5"_s);
    again.save();
    QCOMPARE(again.result(), int(QDialog::Rejected));
    QCOMPARE(t.prompt.messages().size(), 1);
    QCOMPARE(settings.rooms().size(), 1);
}

SALONDESK_DB_GUI_TEST_MAIN(TestPlateWindows)
#include "tst_board_dialogs.moc"
