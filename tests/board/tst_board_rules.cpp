#include "board/LineListReport.h"
#include "board/OpenLinesModel.h"
#include "board/PlateBoard.h"
#include "board/PlateSettings.h"
#include "board/PlateState.h"
#include "common/Refusal.h"
#include "db/DbError.h"

#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;

using Icon = std::optional<PlateState::Icon>;
Q_DECLARE_METATYPE(Icon)
Q_DECLARE_METATYPE(PlateBoard::PopupEnabling)
Q_DECLARE_METATYPE(PlateBoard::Answer)

// The board's rules that need no database: icons of states, the pop-up
// enabling, the toolbar's answers, quick find, plate ranges and the
// printed list of open lines.
class TestBoardRules : public QObject
{
    Q_OBJECT

private slots:
    void iconOfState_data();
    void iconOfState();
    void popupEnabling_data();
    void popupEnabling();
    void toolbarAnswers_data();
    void toolbarAnswers();
    void quickFind_data();
    void quickFind();
    void rangeNumbers_data();
    void rangeNumbers();
    void rangeRefusesMissingBounds_data();
    void rangeRefusesMissingBounds();
    void rangeRefusesOversizedRanges_data();
    void rangeRefusesOversizedRanges();
    void amountsThatAreNoNumber_data();
    void amountsThatAreNoNumber();
    void gridShowsAmountsAndExportsNumbers();
    void printedListClosesWithSums();
};

void TestBoardRules::iconOfState_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<int>("icon");
    QTest::addColumn<bool>("known");
    QTest::newRow("free") << u"可用"_s << 0 << true;
    QTest::newRow("occupied") << u"占用"_s << 1 << true;
    QTest::newRow("reserved") << u"预定"_s << 2 << true;
    QTest::newRow("disabled") << u"停用"_s << 3 << true;
    QTest::newRow("other text shows free") << u"维修"_s << 0 << false;
    QTest::newRow("empty shows free") << QString() << 0 << false;
    QTest::newRow("trailing blank is another text") << u"占用 "_s << 0 << false;
}

void TestBoardRules::iconOfState()
{
    QFETCH(QString, state);
    QFETCH(int, icon);
    QFETCH(bool, known);
    QCOMPARE(int(PlateState::iconOf(state)), icon);
    QCOMPARE(PlateState::knownIcon(state).has_value(), known);
    if (known)
        QCOMPARE(PlateState::textOf(PlateState::iconOf(state)), state);
}

void TestBoardRules::popupEnabling_data()
{
    QTest::addColumn<Icon>("selected");
    QTest::addColumn<PlateBoard::PopupEnabling>("expected");
    // 开单, 消费与结帐, 修改状态, 撤单
    QTest::newRow("nothing selected") << Icon() << PlateBoard::PopupEnabling{false, false, false, false};
    QTest::newRow("free") << Icon(PlateState::FreeIcon) << PlateBoard::PopupEnabling{true, false, true, false};
    QTest::newRow("occupied") << Icon(PlateState::OccupiedIcon) << PlateBoard::PopupEnabling{false, true, false, true};
    QTest::newRow("reserved") << Icon(PlateState::ReservedIcon) << PlateBoard::PopupEnabling{true, false, true, false};
    QTest::newRow("disabled: only the state") << Icon(PlateState::DisabledIcon) << PlateBoard::PopupEnabling{false, false, true, false};
}

void TestBoardRules::popupEnabling()
{
    QFETCH(Icon, selected);
    QFETCH(PlateBoard::PopupEnabling, expected);
    QVERIFY(PlateBoard::popupEnabling(selected) == expected);
}

void TestBoardRules::toolbarAnswers_data()
{
    using A = PlateBoard::Answer;
    QTest::addColumn<Icon>("selected");
    QTest::addColumn<A>("openOrder");
    QTest::addColumn<A>("consumption");
    QTest::newRow("nothing selected") << Icon()
        << A{A::Refuse, u"没有选号牌！"_s} << A{A::Refuse, u"请选号牌！"_s};
    QTest::newRow("free") << Icon(PlateState::FreeIcon)
        << A{A::Open, {}} << A{A::Refuse, u"该号牌还没有开单，无法增加消费！"_s};
    QTest::newRow("occupied") << Icon(PlateState::OccupiedIcon)
        << A{A::Refuse, u"请选择一个没被占用的号牌来开单"_s} << A{A::Open, {}};
    QTest::newRow("reserved") << Icon(PlateState::ReservedIcon) << A{A::Nothing, {}} << A{A::Nothing, {}};
    QTest::newRow("disabled") << Icon(PlateState::DisabledIcon) << A{A::Nothing, {}} << A{A::Nothing, {}};
}

void TestBoardRules::toolbarAnswers()
{
    QFETCH(Icon, selected);
    QFETCH(PlateBoard::Answer, openOrder);
    QFETCH(PlateBoard::Answer, consumption);
    const PlateBoard::Answer order = PlateBoard::openOrderAnswer(selected);
    QCOMPARE(order.step, openOrder.step);
    QCOMPARE(order.message, openOrder.message);
    const PlateBoard::Answer consume = PlateBoard::consumptionAnswer(selected);
    QCOMPARE(consume.step, consumption.step);
    QCOMPARE(consume.message, consumption.message);
}

void TestBoardRules::quickFind_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("found");
    QTest::newRow("exact") << u"SP002"_s << 1;
    QTest::newRow("letter case is ignored") << u"sp001"_s << 0;
    QTest::newRow("the same case wins over an earlier other case") << u"B7"_s << 5;
    QTest::newRow("a prefix is not found") << u"SP00"_s << -1;
    QTest::newRow("blanks count") << u" SP001"_s << -1;
    QTest::newRow("first of equal captions") << u"A1"_s << 2;
    QTest::newRow("empty finds nothing") << QString() << -1;
}

void TestBoardRules::quickFind()
{
    QFETCH(QString, text);
    QFETCH(int, found);
    const QList<PlateBoard::Plate> plates{{u"SP001"_s, PlateState::FreeIcon},
                                          {u"SP002"_s, PlateState::OccupiedIcon},
                                          {u"A1"_s, PlateState::FreeIcon},
                                          {u"A1"_s, PlateState::ReservedIcon},
                                          {u"b7"_s, PlateState::FreeIcon},
                                          {u"B7"_s, PlateState::FreeIcon}};
    QCOMPARE(PlateBoard::find(plates, text), found);
}

void TestBoardRules::rangeNumbers_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QStringList>("numbers");

    QStringList hundred;
    for (int i = 1; i <= 100; ++i)
        hundred.append(u"SP"_s + QString::number(i).rightJustified(3, u'0'));
    QTest::newRow("1-100 SP: width of the end text") << u"1"_s << u"100"_s << u"SP"_s << hundred;
    QTest::newRow("8-12 without prefix")
        << u"8"_s << u"12"_s << QString() << QStringList{u"08"_s, u"09"_s, u"10"_s, u"11"_s, u"12"_s};
    QTest::newRow("end below start adds nothing") << u"12"_s << u"8"_s << u"SP"_s << QStringList();
    QTest::newRow("zeros written in the end widen")
        << u"1"_s << u"0003"_s << u"A"_s << QStringList{u"A0001"_s, u"A0002"_s, u"A0003"_s};
    QTest::newRow("start wider than end keeps its digits")
        << u"0099"_s << u"100"_s << QString() << QStringList{u"099"_s, u"100"_s};
    QTest::newRow("prefix and bounds are trimmed")
        << u" 1"_s << u"2 "_s << u" VIP "_s << QStringList{u"VIP1"_s, u"VIP2"_s};
    QTest::newRow("single plate") << u"7"_s << u"7"_s << u"B-"_s << QStringList{u"B-7"_s};
}

void TestBoardRules::rangeNumbers()
{
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(QString, prefix);
    QFETCH(QStringList, numbers);
    QCOMPARE(PlateSettings::rangeNumbers(start, end, prefix), numbers);
}

void TestBoardRules::rangeRefusesMissingBounds_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::newRow("no start") << QString() << u"10"_s;
    QTest::newRow("no end") << u"1"_s << QString();
    QTest::newRow("blank end") << u"1"_s << u"  "_s;
}

void TestBoardRules::rangeRefusesMissingBounds()
{
    QFETCH(QString, start);
    QFETCH(QString, end);
    try {
        PlateSettings::rangeNumbers(start, end, u"SP"_s);
        QFAIL("a missing bound was accepted");
    } catch (const Refusal &refusal) {
        QCOMPARE(refusal.text(), u"请输入号牌的起始值和终止值！"_s);
    }
}

void TestBoardRules::rangeRefusesOversizedRanges_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("count");
    const QString tooMany = u"一次最多添加10000个号牌！"_s;
    const QString digitsOnly = u"号牌的起始值和终止值只能是数字！"_s;
    const QString thirty = u"1"_s + QString(29, u'0');
    QTest::newRow("largest allowed") << u"1"_s << u"10000"_s << QString() << 10000;
    QTest::newRow("one too many") << u"1"_s << u"10001"_s << tooMany << 0;
    QTest::newRow("slip of the finger") << u"1"_s << u"1000000000"_s << tooMany << 0;
    QTest::newRow("eighteen digits") << u"1"_s << u"999999999999999999"_s << tooMany << 0;
    QTest::newRow("beyond any integer") << u"1"_s << u"99999999999999999999"_s << tooMany << 0;
    QTest::newRow("thirty-digit end") << u"1"_s << thirty << tooMany << 0;
    QTest::newRow("thirty digits both") << thirty << thirty << tooMany << 0;
    QTest::newRow("nineteen digits, close") << u"1000000000000000000"_s << u"1000000000000000001"_s
                                            << tooMany << 0;
    QTest::newRow("leading zeros are width") << u"0000000000000000000000000001"_s
                                             << u"0000000000000000000000000003"_s << QString() << 3;
    QTest::newRow("negative start") << u"-5"_s << u"3"_s << digitsOnly << 0;
    QTest::newRow("exponent") << u"1"_s << u"1e5"_s << digitsOnly << 0;
}

void TestBoardRules::rangeRefusesOversizedRanges()
{
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(QString, message);
    QFETCH(int, count);
    QString refusal;
    QStringList numbers;
    try {
        numbers = PlateSettings::rangeNumbers(start, end, u"SP"_s);
    } catch (const Refusal &error) {
        refusal = error.text();
    }
    QCOMPARE(refusal, message);
    QCOMPARE(numbers.size(), count);
    if (count > 0)
        QCOMPARE(numbers.last().size(), 2 + end.size());
}

void TestBoardRules::amountsThatAreNoNumber_data()
{
    QTest::addColumn<QVariant>("total");
    QTest::newRow("text") << QVariant(u"abc"_s);
    QTest::newRow("too large for a double") << QVariant(u"1e309"_s);
    QTest::newRow("infinite double") << QVariant(std::numeric_limits<double>::infinity());
    QTest::newRow("beyond an amount") << QVariant(1e300);
}

void TestBoardRules::amountsThatAreNoNumber()
{
    QFETCH(QVariant, total);
    OpenLinesModel lines;
    OpenLine line;
    line.plate = u"SP001"_s;
    line.goods = u"洗剪吹"_s;
    line.price = u"30"_s;
    line.quantity = u"1"_s;
    line.total = total;
    lines.setLines({line});

    // The grid shows the value as stored, in both roles.
    const QModelIndex cell = lines.index(0, OpenLinesModel::Total);
    QCOMPARE(cell.data(Qt::DisplayRole).toString(), total.toString());
    QCOMPARE(cell.data(Qt::EditRole).toString(), total.toString());
    QCOMPARE(lines.index(0, OpenLinesModel::Price).data().toString(), u"30"_s);
    QCOMPARE(lines.quantitySum(), Money::fromInt(1));

    // A sum says where the value is.
    try {
        lines.totalSum();
        QFAIL("a total that is no number was added up");
    } catch (const DbError &error) {
        QVERIFY2(error.text().contains(u"xfmx"_s) && error.text().contains(u"合计"_s)
                     && error.text().contains(total.toString()),
                 qPrintable(error.text()));
    }
}

void TestBoardRules::gridShowsAmountsAndExportsNumbers()
{
    OpenLinesModel lines;
    OpenLine line;
    line.plate = u"SP001"_s;
    line.goods = u"洗剪吹"_s;
    line.price = u"28.05"_s;
    line.quantity = 2;
    line.discount = 0.9;
    line.total = u"50.49"_s;
    line.time = QDateTime(QDate(2024, 3, 1), QTime(9, 30));
    lines.setLines({line});

    OpenLinesGrid grid(&lines);
    QStringList headers;
    for (int column = 0; column < grid.columnCount(); ++column)
        headers.append(grid.headerData(column, Qt::Horizontal).toString());
    QCOMPARE(headers, (QStringList{u"商品名"_s, u"单价"_s, u"打折率"_s, u"数量"_s, u"合计"_s,
                                   u"消费时间"_s, u"员工编号"_s, u"员工姓名"_s, u"营业员"_s}));

    const QModelIndex price = lines.index(0, OpenLinesModel::Price);
    QCOMPARE(price.data(Qt::DisplayRole).toString(), u"28.05"_s);
    QCOMPARE(price.data(Qt::EditRole).typeId(), int(QMetaType::Double));
    QCOMPARE(lines.index(0, OpenLinesModel::Time).data().toString(), u"2024-03-01 09:30:00"_s);
    QCOMPARE(lines.index(0, OpenLinesModel::Time).data(Qt::EditRole).typeId(), int(QMetaType::QDateTime));
    QVERIFY(lines.index(0, OpenLinesModel::DiscountRate).data().isNull());
}

void TestBoardRules::printedListClosesWithSums()
{
    OpenLinesModel lines;
    OpenLine first;
    first.plate = u"SP001"_s;
    first.goods = u"洗剪吹"_s;
    first.quantity = 2;
    first.total = u"60.1"_s;
    OpenLine second = first;
    second.goods = u"护发素"_s;
    second.quantity = u"-1"_s;
    second.total = -38.5;
    lines.setLines({first, second});

    ListReport report = LineListReport::make(lines);
    report.setPrintedAt(QDateTime(QDate(2024, 3, 1), QTime(20, 5, 9)));
    QStringList headings;
    for (const ReportColumn &column : report.columns())
        headings.append(column.heading);
    QCOMPARE(headings, (QStringList{u"号牌"_s, u"商品名"_s, u"单价"_s, u"数量"_s, u"折"_s, u"合计"_s,
                                    u"服务生"_s, u"营业员"_s}));
    QCOMPARE(report.modelColumns(),
             (QList<int>{OpenLinesModel::Plate, OpenLinesModel::Goods, OpenLinesModel::Price,
                         OpenLinesModel::Quantity, OpenLinesModel::Discount, OpenLinesModel::Total,
                         OpenLinesModel::EmployeeName, OpenLinesModel::Operator}));
    QCOMPARE(report.closingLines().size(), 1);
    QCOMPARE(report.expand(report.closingLines().first().text),
             u"2024-03-01 20:05:09  数量:1  合计:21.6 元"_s);
}

QTEST_GUILESS_MAIN(TestBoardRules)
#include "tst_board_rules.moc"
