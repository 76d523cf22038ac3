#include "GoodsFixture.h"
#include "support/TestSession.h"

#include "common/DateFormat.h"
#include "goods/ui/GoodsForm.h"
#include "goods/ui/TXmAddFm.h"
#include "goods/ui/TXmAddRdFm.h"
#include "goods/ui/TXmEditFm.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSqlRecord>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace GoodsFixture;

namespace {

void shop(TestSession &t)
{
    t.context.OperatorName = u"店长"_s;
    t.context.Rights = Rights::all();
    type(*t.database, u"美发服务"_s, false);
    type(*t.database, u"洗护用品"_s, true);
}

} // namespace

// The add, edit and purchase screens: what follows the type and the name,
// the edit screen without its right, what closing writes, the live total.
class TestGoodsWindows : public QObject
{
    Q_OBJECT

private slots:
    void addScreenStockFieldsFollowTheType();
    void addScreenPinyinFollowsTheName();
    void addScreenKeyFilters();
    void addScreenSavesAndStaysOpen();
    void addScreenRefusesAnIncompleteForm();
    void editScreenWithoutTheRight();
    void editScreenPinyinFollowsTheName();
    void editScreenClosesWithoutWriting_data();
    void editScreenClosesWithoutWriting();
    void editScreenSaves();
    void editScreenRefusesAStaleSave();
    void purchaseScreenLiveTotal();
    void purchaseScreenRecords();
    void purchaseScreenWithAnEmptyBoxDoesNothing();
};

void TestGoodsWindows::addScreenStockFieldsFollowTheType()
{
    TestSession t;
    shop(t);
    TXmAddFm window(t.session);
    window.show();
    QCOMPARE(window.windowTitle(), u"增加消费项目"_s);
    QCOMPARE(window.form()->typeBox()->currentText(), u"美发服务"_s); // the first type
    QVERIFY(!window.form()->typeBox()->isEditable());
    QCOMPARE(window.form()->serviceBox()->currentText(), u"否"_s);
    QVERIFY(!window.stockFieldsShown());
    QVERIFY(!window.form()->quantityEdit()->isVisible());
    QVERIFY(!window.form()->purchasePriceEdit()->isVisible());

    window.form()->typeBox()->setCurrentText(u"洗护用品"_s);
    QVERIFY(window.stockFieldsShown());
    QVERIFY(window.form()->quantityEdit()->isVisible());
    QVERIFY(window.form()->purchasePriceEdit()->isVisible());
    window.form()->quantityEdit()->setText(u"4"_s);

    // Hiding keeps what was typed.
    window.form()->typeBox()->setCurrentText(u"美发服务"_s);
    QVERIFY(!window.form()->quantityEdit()->isVisible());
    QCOMPARE(window.form()->quantityEdit()->text(), u"4"_s);
    QVERIFY(t.prompt.messages().isEmpty());
}

void TestGoodsWindows::addScreenPinyinFollowsTheName()
{
    TestSession t;
    shop(t);
    TXmAddFm window(t.session);
    // Typed one character at a time, as an input method hands them over.
    for (QChar c : u"洗发水"_s)
        window.form()->nameEdit()->insert(c);
    QCOMPARE(window.form()->pinyinEdit()->text(), u"XFS"_s);
    window.form()->nameEdit()->setText(u"洗发水500ml"_s);
    QCOMPARE(window.form()->pinyinEdit()->text(), u"XFS"_s);
    window.form()->pinyinEdit()->setText(u"XFSS"_s); // the operator may overwrite it
    window.form()->nameEdit()->setText(u"染发"_s);
    QCOMPARE(window.form()->pinyinEdit()->text(), u"RF"_s);
    window.form()->nameEdit()->clear();
    QCOMPARE(window.form()->pinyinEdit()->text(), QString());
}

void TestGoodsWindows::addScreenKeyFilters()
{
    TestSession t;
    shop(t);
    TXmAddFm window(t.session);
    window.form()->typeBox()->setCurrentText(u"洗护用品"_s);
    QTest::keyClicks(window.form()->codeEdit(), u"1a.2"_s);
    QCOMPARE(window.form()->codeEdit()->text(), u"12"_s);
    QTest::keyClicks(window.form()->priceEdit(), u"2x.5.0-"_s);
    QCOMPARE(window.form()->priceEdit()->text(), u"2.50"_s);
    QTest::keyClicks(window.form()->commissionEdit(), u"a3"_s);
    QCOMPARE(window.form()->commissionEdit()->text(), u"3"_s);
    QTest::keyClicks(window.form()->purchasePriceEdit(), u"1.5b"_s);
    QCOMPARE(window.form()->purchasePriceEdit()->text(), u"1.5"_s);
    QTest::keyClicks(window.form()->quantityEdit(), u"4.5"_s);
    QCOMPARE(window.form()->quantityEdit()->text(), u"45"_s);
}

void TestGoodsWindows::addScreenSavesAndStaysOpen()
{
    TestSession t;
    shop(t);
    TXmAddFm window(t.session);
    QSignalSpy saved(&window, &TXmAddFm::saved);
    window.show();
    window.form()->typeBox()->setCurrentText(u"洗护用品"_s);
    window.form()->nameEdit()->setText(u"洗发水"_s);
    window.form()->codeEdit()->setText(u"1001"_s);
    window.form()->priceEdit()->setText(u"28"_s);
    window.form()->purchasePriceEdit()->setText(u"2.5"_s);
    window.form()->quantityEdit()->setText(u"4"_s);
    window.form()->serviceBox()->setCurrentText(u"是"_s);
    window.saveButton()->click();
    QCOMPARE(t.prompt.messages(), QStringList{u"保存完成!"_s});
    QCOMPARE(saved.count(), 1);
    QVERIFY(window.isVisible());
    const GoodsForm &form = *window.form();
    for (QLineEdit *box : {form.nameEdit(), form.codeEdit(), form.priceEdit(), form.pinyinEdit(),
                           form.purchasePriceEdit(), form.quantityEdit()})
        QVERIFY(box->text().isEmpty());
    QCOMPARE(window.form()->serviceBox()->currentText(), u"否"_s);

    Database &db = *t.database;
    const int id = db.scalar(u"select id from 商品库 where 商品名='洗发水'"_s).toInt();
    QCOMPARE(stockOf(db, id), u"4"_s);
    QCOMPARE(value(db, u"拼音"_s, id).toString(), u"XFS"_s);
    QCOMPARE(value(db, u"是否需要服务"_s, id).toString(), u"是"_s);
    QCOMPARE(Money::fromVariant(db.scalar(u"select 总进价 from 进货表"_s)).toString(), u"10"_s);
    QCOMPARE(db.scalar(u"select 管理员 from 进货表"_s).toString(), u"店长"_s);

    // The next item goes in the same way.
    window.form()->nameEdit()->setText(u"护发素"_s);
    window.form()->codeEdit()->setText(u"1002"_s);
    window.form()->priceEdit()->setText(u"30"_s);
    window.saveButton()->click();
    QCOMPARE(count(db, u"商品库"_s), 2);
    QCOMPARE(count(db, u"进货表"_s), 2);
}

void TestGoodsWindows::addScreenRefusesAnIncompleteForm()
{
    TestSession t;
    t.context.Rights = Rights::all();
    // No goods type at all: nothing can be chosen, nothing saved.
    TXmAddFm window(t.session);
    QSignalSpy saved(&window, &TXmAddFm::saved);
    window.show();
    QCOMPARE(window.form()->typeBox()->count(), 0);
    window.form()->nameEdit()->setText(u"洗发水"_s);
    window.form()->codeEdit()->setText(u"1001"_s);
    window.form()->priceEdit()->setText(u"28"_s);
    window.saveButton()->click();
    QCOMPARE(t.prompt.messages(), QStringList{u"请把信息填写完整!"_s});
    QCOMPARE(saved.count(), 0);
    QCOMPARE(window.form()->nameEdit()->text(), u"洗发水"_s);
    QCOMPARE(count(*t.database, u"商品库"_s), 0);
}

void TestGoodsWindows::editScreenWithoutTheRight()
{
    TestSession t;
    shop(t);
    t.context.Rights.set(Right::GoodsEdit, false);
    const int id = item(*t.database, u"洗发水"_s, u"洗护用品"_s, u"3"_s);
    TXmEditFm window(t.session, id);
    window.show();
    QCOMPARE(window.windowTitle(), u"修改"_s);
    QCOMPARE(t.prompt.messages(), QStringList{u"没有权限"_s});
    QVERIFY(!window.form()->isEnabled());
    QVERIFY(!window.form()->nameEdit()->isEnabled());
    QVERIFY(!window.saveButton()->isEnabled());
    QVERIFY(!window.cancelButton()->isEnabled());
    QVERIFY(window.closeButton()->isEnabled());
    QCOMPARE(window.form()->nameEdit()->text(), u"洗发水"_s);
    window.closeButton()->click();
    QVERIFY(!window.isVisible());
    QCOMPARE(t.prompt.messages().size(), 1);
}

void TestGoodsWindows::editScreenPinyinFollowsTheName()
{
    TestSession t;
    shop(t);
    // A pinyin written by hand is kept while the name stays.
    const int id = item(*t.database, u"洗发水"_s, u"洗护用品"_s, u"3"_s);
    TXmEditFm window(t.session, id);
    window.show();
    QCOMPARE(window.form()->pinyinEdit()->text(), u"P"_s);
    QTest::keyClick(window.form()->nameEdit(), Qt::Key_End);
    window.form()->nameEdit()->insert(u"露"_s);
    QCOMPARE(window.form()->pinyinEdit()->text(), u"XFSL"_s);
    window.form()->nameEdit()->setText(u"A500"_s);
    QCOMPARE(window.form()->pinyinEdit()->text(), QString());
    QVERIFY(t.prompt.messages().isEmpty());
}

void TestGoodsWindows::editScreenClosesWithoutWriting_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("取消修改") << u"取消修改"_s;
    QTest::newRow("关闭") << u"关闭"_s;
}

void TestGoodsWindows::editScreenClosesWithoutWriting()
{
    QFETCH(QString, button);
    TestSession t;
    shop(t);
    const int id = item(*t.database, u"洗发水"_s, u"洗护用品"_s, u"3"_s, u"28"_s);
    TXmEditFm window(t.session, id);
    window.show();
    window.form()->nameEdit()->setText(u"护发素"_s);
    window.form()->priceEdit()->setText(u"35"_s);
    (button == u"关闭" ? window.closeButton() : window.cancelButton())->click();
    QCOMPARE(window.result(), int(QDialog::Rejected));
    QVERIFY(!window.isVisible());
    QCOMPARE(value(*t.database, u"商品名"_s, id).toString(), u"洗发水"_s);
    QCOMPARE(Money::fromVariant(value(*t.database, u"单价"_s, id)).toString(), u"28"_s);
    QVERIFY(t.prompt.messages().isEmpty());
}

void TestGoodsWindows::editScreenSaves()
{
    TestSession t;
    shop(t);
    const int id = item(*t.database, u"洗发水"_s, u"洗护用品"_s, u"3"_s, u"28"_s);
    TXmEditFm window(t.session, id);
    window.show();
    QVERIFY(!window.form()->typeBox()->isEditable());
    QCOMPARE(window.form()->typeBox()->currentText(), u"洗护用品"_s);
    QCOMPARE(window.form()->priceEdit()->text(), u"28"_s);
    QCOMPARE(window.form()->stockEdit()->text(), u"3"_s);
    window.form()->typeBox()->setCurrentText(u"美发服务"_s);
    window.form()->stockEdit()->setText(u"-2"_s);
    window.form()->priceEdit()->clear();
    window.saveButton()->click();
    QCOMPARE(t.prompt.messages(), QStringList{u"请把信息填写完整!"_s});
    QVERIFY(window.isVisible());

    window.form()->priceEdit()->setText(u"30.5"_s);
    window.saveButton()->click();
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QCOMPARE(value(*t.database, u"商品类型"_s, id).toString(), u"美发服务"_s);
    QCOMPARE(stockOf(*t.database, id), u"-2"_s);
    QCOMPARE(Money::fromVariant(value(*t.database, u"单价"_s, id)).toString(), u"30.5"_s);
}

void TestGoodsWindows::editScreenRefusesAStaleSave()
{
    TestSession t;
    shop(t);
    const int id = item(*t.database, u"洗发水"_s, u"洗护用品"_s, u"3"_s);
    TXmEditFm window(t.session, id);
    window.show();
    // Another workstation sells one meanwhile.
    t.database->execute(u"update 商品库 set 库存=库存-1 where id=?"_s, {id});
    window.form()->priceEdit()->setText(u"99"_s);
    window.saveButton()->click();
    QCOMPARE(t.prompt.messages(), QStringList{u"该商品已被其他工作站修改或删除，请刷新后重试。"_s});
    QVERIFY(window.isVisible());
    QCOMPARE(stockOf(*t.database, id), u"2"_s);
    QCOMPARE(Money::fromVariant(value(*t.database, u"单价"_s, id)).toString(), u"10"_s);
}

void TestGoodsWindows::purchaseScreenLiveTotal()
{
    TestSession t;
    shop(t);
    const int id = item(*t.database, u"洗发水"_s, u"洗护用品"_s, u"3"_s);
    TXmAddRdFm window(t.session, id);
    QCOMPARE(window.windowTitle(), u"进货---"_s);
    QCOMPARE(window.nameEdit()->text(), u"洗发水"_s);
    QCOMPARE(window.pinyinEdit()->text(), u"P"_s);
    QCOMPARE(window.stockEdit()->text(), u"3"_s);
    for (QLineEdit *shown : {window.nameEdit(), window.pinyinEdit(), window.totalEdit(), window.stockEdit()})
        QVERIFY(shown->isReadOnly());
    QVERIFY(window.totalEdit()->text().isEmpty());
    QTest::keyClicks(window.priceEdit(), u"2.5"_s);
    QVERIFY(window.totalEdit()->text().isEmpty());
    QTest::keyClicks(window.quantityEdit(), u"4"_s);
    QCOMPARE(window.totalEdit()->text(), u"10"_s);
    QTest::keyClicks(window.quantityEdit(), u"0"_s);
    QCOMPARE(window.totalEdit()->text(), u"100"_s);
    // Emptied, a box leaves the last total standing.
    window.quantityEdit()->clear();
    QCOMPARE(window.totalEdit()->text(), u"100"_s);
    QTest::keyClicks(window.quantityEdit(), u"x3"_s);
    QCOMPARE(window.quantityEdit()->text(), u"3"_s);
    QCOMPARE(window.totalEdit()->text(), u"7.5"_s);
}

void TestGoodsWindows::purchaseScreenRecords()
{
    TestSession t;
    shop(t);
    const int id = item(*t.database, u"洗发水"_s, u"洗护用品"_s, u"3"_s);
    TXmAddRdFm window(t.session, id);
    window.show();
    window.priceEdit()->setText(u"2.5"_s);
    window.quantityEdit()->setText(u"4"_s);
    window.noteEdit()->setPlainText(u"第一批\n供货商 A"_s);
    window.okButton()->click();
    QCOMPARE(t.prompt.messages(), QStringList{u"完成!"_s});
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QVERIFY(!window.isVisible());
    QCOMPARE(stockOf(*t.database, id), u"7"_s);
    const QSqlRecord row = t.database->firstRow(u"select * from 进货表"_s);
    QCOMPARE(Money::fromVariant(row.value(u"总进价"_s)).toString(), u"10"_s);
    QCOMPARE(row.value(u"备注"_s).toString(), u"第一批\n供货商 A"_s);
    QCOMPARE(row.value(u"管理员"_s).toString(), u"店长"_s);
    // The session's clock dates it.
    QCOMPARE(DateFormat::fromVariant(row.value(u"日期"_s)).date(), QDate(2024, 3, 1));
}

void TestGoodsWindows::purchaseScreenWithAnEmptyBoxDoesNothing()
{
    TestSession t;
    shop(t);
    const int id = item(*t.database, u"洗发水"_s, u"洗护用品"_s, u"3"_s);
    TXmAddRdFm window(t.session, id);
    window.show();
    window.priceEdit()->setText(u"2.5"_s);
    window.okButton()->click();
    QVERIFY(t.prompt.messages().isEmpty());
    QVERIFY(window.isVisible());
    QCOMPARE(count(*t.database, u"进货表"_s), 0);
    QCOMPARE(stockOf(*t.database, id), u"3"_s);
}

SALONDESK_DB_GUI_TEST_MAIN(TestGoodsWindows)
#include "tst_goods_windows.moc"
