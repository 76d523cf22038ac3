#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class IniFile;
struct AppContext;
struct Operator;

// The receipt printer's settings in system.ini, section PosPrt: whether
// the checkout's print button previews, and the printer port.
namespace ReceiptPrinterSettings {

// LPT1–LPT3, then COM1–COM9; any other device name or path may be typed.
QStringList ports();

// Preview as the context holds it: true for "1", false for "0", nothing
// for any other text.
std::optional<bool> previewOf(const AppContext &context);

// Writes both keys; the port takes effect at once, the preview default at
// the next start. Refusal, with nothing written, when `who` lacks the right
// to set the receipt printer.
void apply(const Operator &who, IniFile &ini, AppContext &context, bool preview,
           const QString &port);

} // namespace ReceiptPrinterSettings
