#include "ReceiptPrint.h"

#include "common/ui/Attempt.h"
#include "orders/ReceiptBill.h"
#include "orders/ReceiptPort.h"
#include "orders/ReceiptReport.h"
#include "report/ui/ReportPreview.h"
#include "session/Session.h"

namespace ReceiptPrint {

void print(Session &session, const ReceiptText::Bill &bill, bool preview, QWidget *parent)
{
    attempt(session.prompt, [&] {
        const ReceiptText::Bill printed =
            ReceiptBill::prepare(bill, session.db(), session.context, session.clock);
        if (preview) {
            const ReceiptReport receipt(printed);
            ReportPreview::exec(receipt.report(), session.clock, parent);
        } else {
            ReceiptPort::write(session.context.ReceiptPort, ReceiptText::bytes(printed));
        }
    });
}

} // namespace ReceiptPrint
