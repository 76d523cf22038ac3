#include "ReceiptReport.h"

#include "common/DateFormat.h"

#include <QPageLayout>
#include <QPageSize>

using namespace Qt::StringLiterals;

namespace {

constexpr qreal RollWidthMm = 80;
constexpr qreal MarginMm = 4;
constexpr qreal BodyPoints = 9;
constexpr qreal ShopNamePoints = 14;
// Font measures differ a little between a PDF and a printer's resolution.
constexpr qreal SlackMm = 2;

QPageLayout rollPage(qreal heightMm)
{
    return QPageLayout(QPageSize(QSizeF(RollWidthMm, heightMm), QPageSize::Millimeter,
                                 u"80 mm receipt"_s, QPageSize::ExactMatch),
                       QPageLayout::Portrait, QMarginsF(MarginMm, MarginMm, MarginMm, MarginMm),
                       QPageLayout::Millimeter);
}

ReportLine left(const QString &text)
{
    ReportLine line;
    line.text = text;
    return line;
}

ReportColumn number(const QString &heading, bool sum = false)
{
    ReportColumn column(heading, heading, 1, Qt::AlignLeft, sum);
    column.prefix = u"/"_s;
    return column;
}

} // namespace

ReceiptReport::ReceiptReport(const ReceiptText::Bill &bill)
    : m_lines(0, 4)
{
    m_lines.setHorizontalHeaderLabels({u"商品名"_s, u"单价"_s, u"数量"_s, u"合计"_s});
    for (const ReceiptText::Line &line : bill.lines) {
        m_lines.appendRow({new QStandardItem(line.goods), new QStandardItem(line.price.toString()),
                           new QStandardItem(line.quantity.toString()),
                           new QStandardItem(line.total.toString())});
    }
    const ReceiptText::Line first = bill.lines.value(0);

    m_report.setModel(&m_lines);
    m_report.setPrintedAt(bill.printedAt);
    m_report.setPointSize(BodyPoints);
    m_report.setPageNumbers(false);

    m_report.addTitle(bill.shopName, ShopNamePoints);
    m_report.addTitle(left(u"进店时间:"_s + DateFormat::dateTimeText(first.time)));
    m_report.addTitle(left(u"号牌:"_s + first.plate + u"  姓名:"_s + bill.memberName));
    m_report.addTitle(left(u"帐单号:"_s + bill.billNumber));

    m_report.addColumn({u"商品名"_s, u"商品名"_s, 2.4});
    m_report.addColumn(number(u"单价"_s));
    m_report.addColumn(number(u"数量"_s));
    m_report.addColumn(number(u"合计"_s, true));
    // The sums row brings the rule under the lines.
    m_report.setSumsLabel(u"小计:"_s);

    const QStringList closing{
        u"实收金额:"_s + bill.received.toString() + u"  折扣:"_s + bill.rateText,
        cardText(bill),
        pointsText(bill),
        u"电话号码:"_s + bill.shopTel,
        u"打印时间:[DATE]/[TIME]"_s,
        u"顾客签字:"_s,
        QString(),
        QString(),
        u"        谢谢光临"_s,
        u"    欢迎下次再来！"_s,
    };
    for (const QString &text : closing)
        m_report.addClosingLine(text);

    // The receipt comes off the roll in one piece, as long as the bill.
    m_report.setPageLayout(rollPage(297));
    m_report.setPageLayout(rollPage(m_report.contentHeightMm() + 2 * MarginMm + SlackMm));
}

QString ReceiptReport::cardText(const ReceiptText::Bill &bill)
{
    const QString method = bill.paymentMethod.trimmed();
    if (method == u"卡内扣除")
        return u"卡上余额:"_s + (bill.cardBalance - bill.cardDeduction).toString();
    if (method == u"现金支付")
        return u"卡上余额:"_s + bill.cardBalance.toString();
    return u"卡余额:"_s;
}

QString ReceiptReport::pointsText(const ReceiptText::Bill &bill)
{
    return u"积分:"_s + (bill.points + bill.received).toString();
}
