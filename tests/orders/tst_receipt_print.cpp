#include "support/TestSession.h"

#include "common/GbkText.h"
#include "orders/ui/ReceiptPrint.h"

#include <QApplication>
#include <QFile>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

const QString BillNumber = u"202403093015"_s;

// A line stamped with its bill number and discounted at 0.9. Crafted by
// hand: one plate holds lines of two numbers, which no store leaves, to show
// that the receipt prints its own bill's lines alone.
void line(Database &db, const QString &plate, const QString &goods, const QString &price,
          const QString &quantity, const QString &total, const QString &bill = BillNumber)
{
    db.execute(u"insert into xfmx (号牌, 主号牌, 商品名, 单价, 实际单价, 数量, 合计, 折扣, 参与打折, "
               "消费时间, 单据号) values (?, ?, ?, ?, ?, ?, ?, 0.9, 'y', ?, ?)"_s,
               {plate, plate, goods, price, price, quantity, total,
                QDateTime(QDate(2024, 3, 1), QTime(8, 5)), bill});
}

// A member's bill of two lines at rate 0.90, all of it taken from the card.
struct Checkout
{
    TestSession t;
    QString port = t.dir.filePath(u"lp0"_s);
    ReceiptText::Bill bill;

    Checkout()
    {
        t.context.ShopName = u"美丽时光美发店"_s;
        t.context.ShopAddress = u"幸福路 18 号"_s;
        t.context.ShopTel = u"0571-8888 6666"_s;
        t.context.OperatorName = u"超级管理员"_s;
        t.context.ReceiptPort = port;
        t.clock.set(QDateTime(QDate(2024, 3, 1), QTime(9, 30, 15)));
        Database &db = *t.database;
        line(db, u"A01"_s, u"欧莱雅染发焗油套餐"_s, u"12.5"_s, u"1"_s, u"11.25"_s);
        line(db, u"A01"_s, u"别的单子"_s, u"30"_s, u"1"_s, u"30"_s, u"202403093016"_s);
        line(db, u"A01"_s, u"洗剪吹"_s, u"13.5"_s, u"2"_s, u"24.3"_s);

        bill.billNumber = BillNumber;
        bill.plate = u"A01"_s;
        bill.plates = {u"A01"_s};
        bill.entryTime = u"2024-03-01 08:00:00"_s;
        bill.memberName = u"王芳"_s;
        bill.consumption = Money::fromText(u"35.55");
        bill.due = bill.consumption;
        bill.cardDeduction = bill.consumption;
        bill.received = Money();
        bill.cardBalance = Money::fromInt(80);
        bill.points = Money::fromInt(120);
        bill.rateText = u"0.90"_s;
        bill.paymentMethod = u"卡内扣除"_s;
    }

    void print(bool preview = false) { ReceiptPrint::print(t.session, bill, preview, nullptr); }

    QByteArray printed() const
    {
        QFile file(port);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

} // namespace

// "打印[F1]" of the checkout: the receipt straight to the printer's port or
// in the preview, and what the operator sees when it cannot print.
class TestReceiptPrint : public QObject
{
    Q_OBJECT

private slots:
    void directPrintSendsTheReceiptBytes();
    void reprintReadsTheLinesAfresh();
    void failureIsShownAndPrintingGoesOn_data();
    void failureIsShownAndPrintingGoesOn();
    void previewShowsTheReceiptOnOnePage();
};

void TestReceiptPrint::directPrintSendsTheReceiptBytes()
{
    Checkout c;
    c.print();
    QVERIFY2(c.t.prompt.shown.isEmpty(), qPrintable(c.t.prompt.lastMessage()));
    QFile fixture(QFINDTESTDATA("fixtures/member-card-receipt.bin"));
    QVERIFY(fixture.open(QIODevice::ReadOnly));
    const QByteArray expected = fixture.readAll();
    const QByteArray printed = c.printed();
    if (printed != expected) {
        qWarning("printed:\n%s", qUtf8Printable(GbkText::decode(printed)));
        QCOMPARE(printed.toHex(' '), expected.toHex(' '));
    }
}

void TestReceiptPrint::reprintReadsTheLinesAfresh()
{
    Checkout c;
    c.print();
    QVERIFY(GbkText::decode(c.printed()).contains(u"\r\n洗剪吹          2  14    24.3   \r\n"_s));

    // A new rate in the window rewrites the totals of the lines.
    c.t.database->execute(u"update xfmx set 合计=单价*数量*0.8 where 单据号=?"_s, {BillNumber});
    c.bill.rateText = u"0.80"_s;
    c.bill.consumption = Money::fromText(u"31.6");
    c.bill.due = c.bill.consumption;
    c.bill.cardDeduction = c.bill.consumption;
    c.print();
    const QString text = GbkText::decode(c.printed());
    QVERIFY2(text.contains(u"\r\n洗剪吹          2  14    21.6   \r\n"_s), qPrintable(text));
    QVERIFY(text.contains(u"1  12    10     \r\n"_s));
    QVERIFY(text.contains(u"\r\n应收金额: 31.6 应收: 31.6\r\n"_s));
    QVERIFY(!text.contains(u"24.3"_s));
}

void TestReceiptPrint::failureIsShownAndPrintingGoesOn_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("preview");
    QTest::newRow("port in a missing folder") << u"port"_s << false;
    QTest::newRow("amount no number, direct") << u"amount"_s << false;
    QTest::newRow("amount no number, preview") << u"amount"_s << true;
}

// A failure shows its reason once and ends only the print: once the fault
// is gone, the next print goes through.
void TestReceiptPrint::failureIsShownAndPrintingGoesOn()
{
    QFETCH(QString, fault);
    QFETCH(bool, preview);
    Checkout c;
    QStringList reason;
    if (fault == u"port") {
        const QString missing = c.t.dir.filePath(u"no-such-folder/lp0"_s);
        c.t.context.ReceiptPort = missing;
        QFile probe(missing);
        QVERIFY(!probe.open(QIODevice::WriteOnly));
        reason = QStringList{u"无法打开小票打印机端口"_s, missing, probe.errorString()};
    } else {
        const QString bad =
            c.t.database->backend() == Backend::Postgres ? u"NaN"_s : u"24,3"_s;
        c.t.database->execute(u"update xfmx set 合计=? where 商品名=?"_s, {bad, u"洗剪吹"_s});
        reason = QStringList{u"xfmx"_s, u"合计"_s, bad};
    }
    bool previewOpened = false;
    // Gone with this test, so the timer never outlives what it writes to.
    const QObject guard;
    QTimer::singleShot(0, &guard, [&] {
        if (auto *dialog = qobject_cast<QPrintPreviewDialog *>(QApplication::activeModalWidget())) {
            previewOpened = true;
            dialog->reject();
        }
    });

    c.print(preview);

    QCOMPARE(c.t.prompt.messages().size(), 1);
    const QString message = c.t.prompt.lastMessage();
    for (const QString &part : std::as_const(reason))
        QVERIFY2(message.contains(part), qPrintable(message + u" lacks "_s + part));
    QVERIFY(!previewOpened);
    QVERIFY(!QFile::exists(c.port));

    c.t.prompt.clear();
    c.t.context.ReceiptPort = c.port;
    c.t.database->execute(u"update xfmx set 合计=? where 商品名=?"_s, {u"24.3"_s, u"洗剪吹"_s});
    c.print();
    QVERIFY2(c.t.prompt.shown.isEmpty(), qPrintable(c.t.prompt.lastMessage()));
    QVERIFY(GbkText::decode(c.printed()).contains(u"\r\n卡内余额: 44.45 积分: 120\r\n"_s));
}

void TestReceiptPrint::previewShowsTheReceiptOnOnePage()
{
    Checkout c;
    QString title;
    int pages = -1;
    const QObject guard;
    QTimer::singleShot(0, &guard, [&] {
        auto *dialog = qobject_cast<QPrintPreviewDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        title = dialog->windowTitle();
        if (auto *preview = dialog->findChild<QPrintPreviewWidget *>())
            pages = preview->pageCount();
        dialog->reject();
    });
    c.print(true);
    QCOMPARE(title, u"打印预览"_s);
    QCOMPARE(pages, 1);
    QVERIFY2(c.t.prompt.shown.isEmpty(), qPrintable(c.t.prompt.lastMessage()));
    // Nothing goes to the receipt printer.
    QVERIFY(!QFile::exists(c.port));
}

SALONDESK_DB_GUI_TEST_MAIN(TestReceiptPrint)
#include "tst_receipt_print.moc"
