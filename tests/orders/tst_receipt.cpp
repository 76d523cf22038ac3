#include "../report/PdfText.h"

#include "common/GbkText.h"
#include "common/Refusal.h"
#include "orders/ReceiptPort.h"
#include "orders/ReceiptReport.h"
#include "orders/ReceiptText.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The receipt that goes straight to the printer, byte for byte, the port
// it goes to, and the receipt the preview shows.
class TestReceipt : public QObject
{
    Q_OBJECT

private slots:
    void linesFillTheirColumns_data();
    void linesFillTheirColumns();
    void walkInReceiptBytes();
    void cardPaymentShowsTheBalanceLeft();
    void portNames_data();
    void portNames();
    void writesToAFileAndRefusesAPortThatCannotOpen();
    void previewFiguresByPayment_data();
    void previewFiguresByPayment();
    void previewBands();
    void previewFitsOneRollPage_data();
    void previewFitsOneRollPage();

private:
    static ReceiptText::Bill walkIn();
    QTemporaryDir m_dir;
};

namespace {

Money money(const char16_t *text)
{
    return Money::fromText(QStringView(text));
}

} // namespace

void TestReceipt::linesFillTheirColumns_data()
{
    QTest::addColumn<QString>("goods");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("total");
    QTest::addColumn<QString>("expected");
    QTest::newRow("two characters") << u"洗发"_s << u"1"_s << u"30"_s << u"27"_s
                                    << u"洗发            1  30    27     "_s;
    QTest::newRow("16 bytes exactly") << u"一二三四五六七八"_s << u"2"_s << u"5"_s << u"10"_s
                                      << u"一二三四五六七八2  5     10     "_s;
    QTest::newRow("18 bytes fill to 48")
        << u"一二三四五六七八九"_s << u"1"_s << u"30"_s << u"30"_s
        << u"一二三四五六七八九"_s + QString(30, u' ') + u"1  30    30     "_s;
    QTest::newRow("12.5 prints 12") << u"A"_s << u"1"_s << u"12.5"_s << u"12.5"_s
                                    << u"A               1  12    12.5   "_s;
    QTest::newRow("13.5 prints 14") << u"A"_s << u"0.5"_s << u"13.5"_s << u"6.75"_s
                                    << u"A               0.514    6.75   "_s;
    QTest::newRow("wide numbers are never cut")
        << u"A"_s << u"1000"_s << u"1234567"_s << u"1234567000"_s
        << u"A               100012345671234567000"_s;
}

void TestReceipt::linesFillTheirColumns()
{
    QFETCH(QString, goods);
    QFETCH(QString, quantity);
    QFETCH(QString, price);
    QFETCH(QString, total);
    QFETCH(QString, expected);
    const ReceiptText::Line line{goods, Money::fromText(quantity), Money::fromText(price),
                                 Money::fromText(total)};
    QCOMPARE(ReceiptText::lineText(line), expected);
}

ReceiptText::Bill TestReceipt::walkIn()
{
    ReceiptText::Bill bill;
    bill.shopName = u"美丽时光美发店"_s;
    bill.shopAddress = u"幸福路 18 号"_s;
    bill.shopTel = u"0571-8888 6666"_s;
    bill.operatorName = u"超级管理员"_s;
    bill.billNumber = u"20240301093015"_s;
    bill.plate = u"SP001"_s;
    bill.entryTime = u"2024-03-01 08:00:00"_s;
    bill.memberName = u"散客"_s;
    bill.consumption = money(u"57");
    bill.due = money(u"57");
    bill.received = money(u"57");
    bill.rateText = u"1.00"_s;
    bill.printedAt = QDateTime(QDate(2024, 3, 1), QTime(9, 30, 15));
    bill.lines = {{u"洗剪吹"_s, money(u"1"), money(u"30"), money(u"30")},
                  {u"护发素"_s, money(u"2"), money(u"13.5"), money(u"27")}};
    return bill;
}

void TestReceipt::walkInReceiptBytes()
{
    const QStringList lines{
        u" "_s,
        u"[ 美丽时光美发店 ]"_s,
        u" "_s,
        u"进店时间: 2024-03-01 08:00:00"_s,
        u"牌    号: SP001 姓名: 散客"_s,
        u"帐 单 号: 20240301093015"_s,
        u"-------------------------------"_s,
        u"名称          数量 单价  合计"_s,
        u"-------------------------------"_s,
        u"洗剪吹          1  30    30     "_s,
        u"护发素          2  14    27     "_s,
        u"-------------------------------"_s,
        u"应收金额: 57 应收: 57"_s,
        u"卡内扣除: 0 实收: 57"_s,
        u"卡内余额: 0 积分: 0"_s,
        u"收 银 员: 超级管理员 折扣: 1.00"_s,
        u"地址:幸福路 18 号"_s,
        u"电话:0571-8888 6666"_s,
        u"打印时间:24-03-01 09:30:15"_s,
        u"    谢谢光临 "_s,
        u"  欢迎下次再来! "_s,
    };
    QByteArray expected;
    for (const QString &line : lines)
        expected += GbkText::encode(line) + "\r\n";
    expected += QByteArray::fromHex("0b1b4a8c");

    const QByteArray bytes = ReceiptText::bytes(walkIn());
    QCOMPARE(bytes, expected);
    // GBK, not UTF-8: 谢 is D0 BB.
    QVERIFY(bytes.contains(QByteArray::fromHex("d0bb")));
}

void TestReceipt::cardPaymentShowsTheBalanceLeft()
{
    ReceiptText::Bill bill = walkIn();
    bill.memberName = u"王芳"_s;
    bill.due = money(u"50");
    bill.cardDeduction = money(u"50");
    bill.received = Money();
    bill.cardBalance = money(u"80");
    bill.points = money(u"120");
    const QString text = GbkText::decode(ReceiptText::bytes(bill));
    QVERIFY(text.contains(u"\r\n卡内扣除: 50 实收: 0\r\n"_s));
    QVERIFY(text.contains(u"\r\n卡内余额: 30 积分: 120\r\n"_s));
}

void TestReceipt::portNames_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<bool>("usbPrinter");
    QTest::addColumn<QString>("expected"); // relative to the device folder when not absolute
    QTest::newRow("LPT1") << u"LPT1"_s << false << u"lp0"_s;
    QTest::newRow("LPT3") << u"LPT3"_s << false << u"lp2"_s;
    QTest::newRow("LPT1 on USB") << u"LPT1"_s << true << u"usb/lp0"_s;
    QTest::newRow("lower case") << u"lpt2"_s << false << u"lp1"_s;
    QTest::newRow("COM1") << u"COM1"_s << false << u"ttyS0"_s;
    QTest::newRow("COM9") << u"COM9"_s << false << u"ttyS8"_s;
    QTest::newRow("LPT4 is a name as typed") << u"LPT4"_s << false << u"=LPT4"_s;
    QTest::newRow("a device path") << u"/dev/usb/lp3"_s << false << u"=/dev/usb/lp3"_s;
}

void TestReceipt::portNames()
{
    QFETCH(QString, port);
    QFETCH(bool, usbPrinter);
    QFETCH(QString, expected);
    QTemporaryDir devices;
    if (usbPrinter) {
        QDir(devices.path()).mkpath(u"usb"_s);
        QFile printer(devices.filePath(u"usb/lp0"_s));
        QVERIFY(printer.open(QIODevice::WriteOnly));
    }
    const QString path = ReceiptPort::devicePath(port, devices.path());
    QCOMPARE(path, expected.startsWith(u'=') ? expected.mid(1) : devices.filePath(expected));
}

void TestReceipt::writesToAFileAndRefusesAPortThatCannotOpen()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"receipt.bin"_s);
    const QByteArray bytes = ReceiptText::bytes(walkIn());
    ReceiptPort::write(file, bytes);
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), bytes);

    try {
        ReceiptPort::write(u"LPT1"_s, bytes, dir.filePath(u"no-such-folder"_s));
        QFAIL("a port that cannot be opened was written");
    } catch (const Refusal &refusal) {
        QVERIFY2(refusal.text().startsWith(u"无法打开小票打印机端口 LPT1 ("_s),
                 qPrintable(refusal.text()));
    }
}

namespace {

QStringList expanded(const ListReport &report, const QList<ReportLine> &lines)
{
    QStringList texts;
    for (const ReportLine &line : lines)
        texts.append(report.expand(line.text));
    return texts;
}

} // namespace

void TestReceipt::previewFiguresByPayment_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("balance");
    QTest::addColumn<QString>("points");
    QTest::addColumn<QString>("deduction");
    QTest::addColumn<QString>("received");
    QTest::addColumn<QString>("cardText");
    QTest::addColumn<QString>("pointsText");
    // Due 50 in every case.
    QTest::newRow("walk-in pays cash") << u"现金支付"_s << u"0"_s << u"0"_s << u"0"_s << u"50"_s
                                       << u"卡上余额:0"_s << u"积分:50"_s;
    QTest::newRow("card covers the bill") << u"卡内扣除"_s << u"80"_s << u"120"_s << u"50"_s
                                          << u"0"_s << u"卡上余额:30"_s << u"积分:120"_s;
    QTest::newRow("card short, rest in cash") << u"卡内扣除"_s << u"30"_s << u"100"_s << u"30"_s
                                              << u"20"_s << u"卡上余额:0"_s << u"积分:120"_s;
    QTest::newRow("member pays cash") << u"现金支付"_s << u"80.5"_s << u"100"_s << u"0"_s
                                      << u"50"_s << u"卡上余额:80.5"_s << u"积分:150"_s;
    QTest::newRow("bank card") << u"银行卡"_s << u"80"_s << u"100"_s << u"0"_s << u"50"_s
                               << u"卡余额:"_s << u"积分:150"_s;
    QTest::newRow("cheque") << u"支票"_s << u"80"_s << u"100"_s << u"0"_s << u"50"_s
                            << u"卡余额:"_s << u"积分:150"_s;
    // Exact to the last ten-thousandth, where doubles would add 0.1 + 0.2
    // to 0.30000000000000004.
    QTest::newRow("fractions stay exact") << u"卡内扣除"_s << u"0.3"_s << u"0.1"_s << u"0.1"_s
                                          << u"0.2"_s << u"卡上余额:0.2"_s << u"积分:0.3"_s;
}

void TestReceipt::previewFiguresByPayment()
{
    QFETCH(QString, method);
    QFETCH(QString, balance);
    QFETCH(QString, points);
    QFETCH(QString, deduction);
    QFETCH(QString, received);
    QFETCH(QString, cardText);
    QFETCH(QString, pointsText);
    ReceiptText::Bill bill = walkIn();
    bill.paymentMethod = method;
    bill.cardBalance = Money::fromText(balance);
    bill.points = Money::fromText(points);
    bill.cardDeduction = Money::fromText(deduction);
    bill.received = Money::fromText(received);
    bill.rateText = u"0.90"_s;

    const ReceiptReport receipt(bill);
    const QStringList closing{
        u"实收金额:"_s + received + u"  折扣:0.90"_s,
        cardText,
        pointsText,
        u"电话号码:0571-8888 6666"_s,
        u"打印时间:2024-03-01/09:30:15"_s,
        u"顾客签字:"_s,
        QString(),
        QString(),
        u"        谢谢光临"_s,
        u"    欢迎下次再来！"_s,
    };
    QCOMPARE(expanded(receipt.report(), receipt.report().closingLines()), closing);
}

void TestReceipt::previewBands()
{
    ReceiptText::Bill bill = walkIn();
    bill.memberName = u"王芳"_s;
    bill.billNumber = u"202403093015"_s;
    bill.lines = {
        {u"洗剪吹"_s, money(u"1"), money(u"30"), money(u"27"), u"A02"_s,
         QDateTime(QDate(2024, 3, 1), QTime(8, 5, 9))},
        {u"欧莱雅染发焗油套餐"_s, money(u"2"), money(u"19.99"), money(u"35.982"), u"A01"_s,
         QDateTime(QDate(2024, 3, 1), QTime(8, 40))},
        {u"护发素"_s, money(u"0.5"), money(u"13.5"), money(u"6.075"), u"A01"_s,
         QDateTime(QDate(2024, 3, 1), QTime(8, 45))},
    };
    const ReceiptReport receipt(bill);
    const ListReport &report = receipt.report();

    // The entry time and plate are the first line's, not the window's.
    QCOMPARE(expanded(report, report.titles()),
             (QStringList{u"美丽时光美发店"_s, u"进店时间:2024-03-01 08:05:09"_s,
                          u"号牌:A02  姓名:王芳"_s, u"帐单号:202403093015"_s}));
    QVERIFY(report.titles().first().pointSize > report.pointSize());

    QStringList headings;
    for (const ReportColumn &column : report.columns())
        headings.append(column.heading);
    QCOMPARE(headings, (QStringList{u"商品名"_s, u"单价"_s, u"数量"_s, u"合计"_s}));

    const QList<int> columns = report.modelColumns();
    QList<QStringList> rows;
    for (int row = 0; row < report.fetchAllRows(); ++row) {
        QStringList cells;
        for (int c = 0; c < columns.size(); ++c)
            cells.append(report.columns()[c].prefix + report.cellText(row, columns[c]));
        rows.append(cells);
    }
    QCOMPARE(rows, (QList<QStringList>{
                       {u"洗剪吹"_s, u"/30"_s, u"/1"_s, u"/27"_s},
                       {u"欧莱雅染发焗油套餐"_s, u"/19.99"_s, u"/2"_s, u"/35.982"_s},
                       {u"护发素"_s, u"/13.5"_s, u"/0.5"_s, u"/6.075"_s},
                   }));

    QCOMPARE(report.sumsLabel(), u"小计:"_s);
    QVERIFY(!report.columns()[0].sum && !report.columns()[1].sum && !report.columns()[2].sum);
    QVERIFY(report.columns()[3].sum);
    QCOMPARE(report.sum(3).toString(), u"69.057"_s);
    QVERIFY(!report.pageNumbers());
}

void TestReceipt::previewFitsOneRollPage_data()
{
    QTest::addColumn<int>("lines");
    QTest::newRow("no lines") << 0;
    QTest::newRow("two lines") << 2;
    QTest::newRow("a long bill") << 40;
}

// A receipt comes off the roll in one piece: one page 80 mm wide, with
// everything from the shop's name to the greeting on it.
void TestReceipt::previewFitsOneRollPage()
{
    if (!PdfText::available())
        QSKIP("pdftotext is needed to read the PDF back");
    QFETCH(int, lines);
    ReceiptText::Bill bill = walkIn();
    bill.paymentMethod = u"现金支付"_s;
    bill.lines.clear();
    for (int i = 1; i <= lines; ++i)
        bill.lines.append({u"项目%1"_s.arg(i, 3, 10, QChar(u'0')), money(u"1"), money(u"30"),
                           money(u"30"), u"A01"_s, QDateTime(QDate(2024, 3, 1), QTime(8, 0))});
    const ReceiptReport receipt(bill);
    const QPageLayout layout = receipt.report().pageLayout();
    QCOMPARE(qRound(layout.fullRect(QPageLayout::Millimeter).width()), 80);

    const QString path = m_dir.filePath(u"receipt.pdf"_s);
    QString error;
    QVERIFY2(receipt.report().writePdf(path, &error), qPrintable(error));
    const QStringList pages = PdfText::pages(path, &error);
    QVERIFY2(pages.size() == 1, qPrintable(pages.join(u"\n=====\n"_s) + error));
    const QString page = pages[0];
    QVERIFY(page.contains(u"美丽时光美发店"));
    static const QRegularExpression item(u"项目\\d{3}"_s);
    QCOMPARE(page.count(item), lines);
    QVERIFY2(page.contains(u"小计:"), qPrintable(page));
    QVERIFY2(page.contains(u"打印时间:2024-03-01/09:30:15"), qPrintable(page));
    QVERIFY2(page.contains(u"欢迎下次再来！"), qPrintable(page));
}

QTEST_MAIN(TestReceipt)
#include "tst_receipt.moc"
