#pragma once

#include "common/Money.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// The plain-text receipt the checkout sends straight to the receipt
// printer: GBK bytes, one CR LF after every line, columns filled with
// blanks by GBK width, and the printer's closing bytes.
namespace ReceiptText {

// One open line of the bill, as the receipt prints it.
struct Line
{
    QString goods;  // 商品名
    Money quantity; // 数量
    Money price;    // 单价, the list price
    Money total;    // 合计, with any discount
    // Only the preview receipt shows these, from its first line; defaulted
    // so that a line of the text receipt is written {goods, quantity, ...}.
    QString plate{};  // 号牌
    QDateTime time{}; // 消费时间
};

// What the checkout window shows when the receipt is printed. The window
// fills in its own figures; the shop, the operator, the moment and the
// lines are filled in when it prints (ReceiptBill::prepare).
struct Bill
{
    QString shopName;
    QString shopAddress;
    QString shopTel;
    QString operatorName;
    QString billNumber;
    QString plate;         // the checkout plate
    QStringList plates;    // the checkout list: the plates whose lines are the bill's
    QString entryTime;     // as the window shows it
    QString memberName;
    Money consumption;     // 消费金额
    Money due;             // 应收
    Money cardDeduction;   // 卡内扣除
    Money received;        // 实收
    Money cardBalance;     // the balance before this bill
    Money points;          // the points before this bill
    QString rateText;      // the discount rate as the window shows it
    QString paymentMethod; // "现金支付", "卡内扣除", "银行卡", "支票"
    QDateTime printedAt;
    QList<Line> lines;
};

// One receipt line: the name filled to 16 bytes (48 when longer), the
// quantity to 3, the unit price as a whole number to 6, the total to 7.
QString lineText(const Line &line);

// Every byte the printer receives for the bill.
QByteArray bytes(const Bill &bill);

} // namespace ReceiptText
