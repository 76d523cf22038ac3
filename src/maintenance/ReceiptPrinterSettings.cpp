#include "ReceiptPrinterSettings.h"

#include "session/AppContext.h"
#include "session/IniFile.h"
#include "session/RightTable.h"

using namespace Qt::StringLiterals;

namespace ReceiptPrinterSettings {

QStringList ports()
{
    QStringList names;
    for (int n = 1; n <= 3; ++n)
        names.append(u"LPT"_s + QString::number(n));
    for (int n = 1; n <= 9; ++n)
        names.append(u"COM"_s + QString::number(n));
    return names;
}

std::optional<bool> previewOf(const AppContext &context)
{
    if (context.ReceiptPreview == u"1")
        return true;
    if (context.ReceiptPreview == u"0")
        return false;
    return std::nullopt;
}

void apply(const Operator &who, IniFile &ini, AppContext &context, bool preview,
           const QString &port)
{
    RightTable::require(who, Guarded::ReceiptPrinter);
    ini.write(u"PosPrt"_s, u"CheckOutPrtPreview"_s, preview ? u"1"_s : u"0"_s);
    ini.write(u"PosPrt"_s, u"port"_s, port);
    context.ReceiptPort = port;
}

} // namespace ReceiptPrinterSettings
