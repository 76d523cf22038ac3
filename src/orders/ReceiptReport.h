#pragma once

#include "ReceiptText.h"

#include "report/ListReport.h"

#include <QStandardItemModel>

// The receipt the checkout's "预览打印" shows: the shop and the bill above
// the lines, each number after a "/", the subtotal, the payment and member
// figures, the shop's telephone, the print time and the closing greeting,
// on a page as wide as an 80 mm receipt roll and as long as the bill.
class ReceiptReport
{
public:
    explicit ReceiptReport(const ReceiptText::Bill &bill);
    ReceiptReport(const ReceiptReport &) = delete;
    ReceiptReport &operator=(const ReceiptReport &) = delete;

    // Prints over this object's lines: use it while this object lives.
    const ListReport &report() const { return m_report; }

    // The texts the receipt fills in from the checkout's figures.
    // "卡上余额:" with the balance left after a card payment, the balance as
    // it stands for cash, and the bare "卡余额:" for any other payment.
    static QString cardText(const ReceiptText::Bill &bill);
    // "积分:" with the points this bill brings the member to.
    static QString pointsText(const ReceiptText::Bill &bill);

private:
    QStandardItemModel m_lines;
    ListReport m_report;
};
