#include "ReceiptBill.h"

#include "common/Clock.h"
#include "common/DateFormat.h"
#include "db/Amounts.h"
#include "db/Database.h"
#include "session/AppContext.h"
#include "stores/LineStore.h"

using namespace Qt::StringLiterals;

namespace ReceiptBill {

QList<ReceiptText::Line> readLines(Database &database, const QString &billNumber,
                                   const QStringList &plates)
{
    QList<ReceiptText::Line> lines;
    for (const LineStore::Line &stamped : LineStore(database).stampedLines(billNumber, plates)) {
        ReceiptText::Line line;
        line.goods = stamped.goods;
        line.quantity = stamped.quantity;
        line.price = stamped.price;
        line.total = stamped.total;
        line.plate = stamped.plate;
        line.time = stamped.time;
        lines.append(line);
    }
    return lines;
}

ReceiptText::Bill prepare(ReceiptText::Bill bill, Database &database, const AppContext &context,
                          const Clock &clock)
{
    bill.shopName = context.ShopName;
    bill.shopAddress = context.ShopAddress;
    bill.shopTel = context.ShopTel;
    bill.operatorName = context.OperatorName;
    bill.printedAt = clock.now();
    bill.lines = readLines(database, bill.billNumber, bill.plates);
    return bill;
}

} // namespace ReceiptBill
