#include "support/TestSession.h"

#include "board/BoardFixture.h"
#include "orders/ui/TOpenDanFm.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

using namespace Qt::StringLiterals;
using namespace BoardFixture;

// The order window's wiring: the two lists and their moves, the keys, and
// what "开单" writes or refuses.
class TestOrderWindow : public QObject
{
    Q_OBJECT

private slots:
    void showsRoomAndFreePlates();
    void mainPlateNeverLeavesChosenList();
    void enterOpensChosenGroup();
    void escapeCancelsWithoutWriting();
    void plateTakenMeanwhileIsNamed();
};

namespace {

void shop(Database &db)
{
    room(db, u"大厅"_s, u"20"_s);
    room(db, u"包间"_s, u"0"_s);
    for (const QString &p : {u"A01"_s, u"A02"_s, u"A03"_s})
        plate(db, p, u"大厅"_s, u"可用"_s);
    plate(db, u"B01"_s, u"包间"_s, u"可用"_s);
    plate(db, u"A04"_s, u"大厅"_s, u"占用"_s);
}

QStringList items(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

void choose(QListWidget *list, const QString &text)
{
    list->setCurrentItem(list->findItems(text, Qt::MatchExactly).value(0));
}

} // namespace

void TestOrderWindow::showsRoomAndFreePlates()
{
    TestSession t;
    shop(*t.database);
    TOpenDanFm window(t.session, u"A01"_s, u"大厅"_s);
    QCOMPARE(window.windowTitle(), u"开单"_s);
    QCOMPARE(window.ticketLabel()->text(), u"20"_s);
    QCOMPARE(window.roomLabel()->text(), u"大厅"_s);
    QCOMPARE(window.customerEdit()->text(), u"散客"_s);
    QCOMPARE(window.chosenList()->headerItem()->text(0), u"号牌"_s);
    QCOMPARE(window.chosenPlates(), QStringList{u"A01"_s});
    QCOMPARE(items(window.freeList()), (QStringList{u"A02"_s, u"A03"_s, u"B01"_s}));

    // "本厅" narrows to the room, "全部" shows every room; chosen plates stay out.
    choose(window.freeList(), u"A02"_s);
    window.addButton()->click();
    window.roomButton()->click();
    QCOMPARE(items(window.freeList()), QStringList{u"A03"_s});
    window.allButton()->click();
    QCOMPARE(items(window.freeList()), (QStringList{u"A03"_s, u"B01"_s}));
    QVERIFY(t.prompt.shown.isEmpty());
}

void TestOrderWindow::mainPlateNeverLeavesChosenList()
{
    TestSession t;
    shop(*t.database);
    TOpenDanFm window(t.session, u"A01"_s, u"大厅"_s);
    choose(window.freeList(), u"B01"_s);
    window.addButton()->click();
    choose(window.freeList(), u"A03"_s);
    emit window.freeList()->itemDoubleClicked(window.freeList()->currentItem());
    QCOMPARE(window.chosenPlates(), (QStringList{u"A01"_s, u"B01"_s, u"A03"_s}));

    QTreeWidget *chosen = window.chosenList();
    chosen->setCurrentItem(chosen->topLevelItem(0));
    window.removeButton()->click();
    emit chosen->itemDoubleClicked(chosen->topLevelItem(0), 0);
    QCOMPARE(window.chosenPlates(), (QStringList{u"A01"_s, u"B01"_s, u"A03"_s}));

    chosen->setCurrentItem(chosen->topLevelItem(1));
    window.removeButton()->click();
    QCOMPARE(window.chosenPlates(), (QStringList{u"A01"_s, u"A03"_s}));
    QVERIFY(items(window.freeList()).contains(u"B01"_s));
}

void TestOrderWindow::enterOpensChosenGroup()
{
    TestSession t;
    shop(*t.database);
    t.context.OperatorName = u"小王"_s;
    TOpenDanFm window(t.session, u"A01"_s, u"大厅"_s);
    window.show();
    QVERIFY(window.openButton()->isDefault());
    choose(window.freeList(), u"B01"_s);
    window.addButton()->click();
    window.customerEdit()->setText(u"李先生"_s);
    QTest::keyClick(window.customerEdit(), Qt::Key_Return);
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QVERIFY(t.prompt.shown.isEmpty());
    Database &db = *t.database;
    QCOMPARE(stateOf(db, u"A01"_s), u"占用"_s);
    QCOMPARE(stateOf(db, u"B01"_s), u"占用"_s);
    QCOMPARE(db.scalar(u"select 主号牌 from 号牌管理 where 号牌='B01'"_s).toString(), u"A01"_s);
    QCOMPARE(db.scalar(u"select 顾客姓名 from 号牌管理 where 号牌='B01'"_s).toString(),
             u"李先生"_s);
    // The ticket of the room the board showed, on every plate of the group.
    QCOMPARE(db.strings(u"select 号牌 from xfmx where 合计=20 order by ID"_s),
             (QStringList{u"A01"_s, u"B01"_s}));
}

void TestOrderWindow::escapeCancelsWithoutWriting()
{
    TestSession t;
    shop(*t.database);
    TOpenDanFm window(t.session, u"A01"_s, u"大厅"_s);
    window.show();
    QTest::keyClick(&window, Qt::Key_Escape);
    QCOMPARE(window.result(), int(QDialog::Rejected));
    QVERIFY(!window.isVisible());
    QCOMPARE(stateOf(*t.database, u"A01"_s), u"可用"_s);
    QCOMPARE(t.database->scalar(u"select count(*) from xfmx"_s).toInt(), 0);
}

void TestOrderWindow::plateTakenMeanwhileIsNamed()
{
    TestSession t;
    shop(*t.database);
    TOpenDanFm window(t.session, u"A01"_s, u"大厅"_s);
    window.show();
    choose(window.freeList(), u"A03"_s);
    window.addButton()->click();
    t.database->execute(u"update 号牌管理 set 号牌状态='占用' where 号牌='A03'"_s);
    window.openButton()->click();
    QVERIFY(window.isVisible());
    QCOMPARE(t.prompt.messages().size(), 1);
    QVERIFY(t.prompt.lastMessage().contains(u"A03"_s));
    QCOMPARE(stateOf(*t.database, u"A01"_s), u"可用"_s);
}

SALONDESK_DB_GUI_TEST_MAIN(TestOrderWindow)
#include "tst_order_window.moc"
