#include "ReceiptText.h"

#include "common/GbkText.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace ReceiptText {

namespace {

const QString Rule = QString(31, u'-');
// Vertical tab, then ESC "J" 140: the printer feeds the paper past the
// tear-off edge.
constexpr char ClosingBytes[] = {'\x0B', '\x1B', '\x4A', '\x8C'};

} // namespace

QString lineText(const Line &line)
{
    const qsizetype nameWidth = GbkText::byteLength(line.goods) <= 16 ? 16 : 48;
    return GbkText::padRight(line.goods, nameWidth) + GbkText::padRight(line.quantity.toString(), 3)
        + GbkText::padRight(QString::number(line.price.roundedWhole()), 6)
        + GbkText::padRight(line.total.toString(), 7);
}

QByteArray bytes(const Bill &bill)
{
    QStringList text{
        u" "_s,
        u"[ "_s + bill.shopName + u" ]"_s,
        u" "_s,
        u"进店时间: "_s + bill.entryTime,
        u"牌    号: "_s + bill.plate + u" 姓名: "_s + bill.memberName,
        u"帐 单 号: "_s + bill.billNumber,
        Rule,
        u"名称          数量 单价  合计"_s,
        Rule,
    };
    for (const Line &line : bill.lines)
        text.append(lineText(line));
    text.append({
        Rule,
        u"应收金额: "_s + bill.consumption.toString() + u" 应收: "_s + bill.due.toString(),
        u"卡内扣除: "_s + bill.cardDeduction.toString() + u" 实收: "_s + bill.received.toString(),
        u"卡内余额: "_s + (bill.cardBalance - bill.cardDeduction).toString() + u" 积分: "_s
            + bill.points.toString(),
        u"收 银 员: "_s + bill.operatorName + u" 折扣: "_s + bill.rateText,
        u"地址:"_s + bill.shopAddress,
        u"电话:"_s + bill.shopTel,
        u"打印时间:"_s + bill.printedAt.toString(u"yy-MM-dd hh:mm:ss"_s),
        u"    谢谢光临 "_s,
        u"  欢迎下次再来! "_s,
    });
    QByteArray out;
    for (const QString &line : std::as_const(text))
        out += GbkText::encode(line) + "\r\n";
    out.append(ClosingBytes, sizeof ClosingBytes);
    return out;
}

} // namespace ReceiptText
