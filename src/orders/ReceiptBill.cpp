#include "ReceiptBill.h"

#include "common/Clock.h"
#include "common/DateFormat.h"
#include "db/Amounts.h"
#include "db/Database.h"
#include "session/AppContext.h"

using namespace Qt::StringLiterals;

namespace ReceiptBill {

QList<ReceiptText::Line> readLines(Database &database, const QString &billNumber,
                                   const QStringList &plates)
{
    QList<ReceiptText::Line> lines;
    // Lines not yet stamped keep an empty number; they belong to no bill.
    if (billNumber.isEmpty() || plates.isEmpty())
        return lines;
    QVariantList values{billNumber};
    for (const QString &plate : plates)
        values.append(plate);
    QSqlQuery query = database.exec(u"select 商品名, 数量, 单价, 合计, 号牌, 消费时间 from xfmx "
                                    "where 单据号=? and 号牌 in ("_s
                                        + QStringList(plates.size(), u"?"_s).join(u", "_s)
                                        + u") order by ID"_s,
                                    values);
    while (query.next()) {
        ReceiptText::Line line;
        line.goods = query.value(0).toString();
        line.quantity = readAmount(query.value(1), u"xfmx"_s, u"数量"_s);
        line.price = readAmount(query.value(2), u"xfmx"_s, u"单价"_s);
        line.total = readAmount(query.value(3), u"xfmx"_s, u"合计"_s);
        line.plate = query.value(4).toString();
        line.time = DateFormat::fromVariant(query.value(5));
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
