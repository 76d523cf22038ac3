#pragma once

#include <QByteArray>
#include <QString>

// Where the receipt printer named in system.ini ("LPT1", "COM1", a device
// path) is reached on this machine, and writing a receipt to it.
namespace ReceiptPort {

// LPT1–LPT3 are /dev/usb/lp0–2 where that exists, else /dev/lp0–2; COM1–COM9
// are /dev/ttyS0–8; any other text is a device or file path as typed.
// `devices` is the device folder, "/dev" on a real machine.
QString devicePath(const QString &port, const QString &devices = QStringLiteral("/dev"));

// Writes the bytes to the port. A port that cannot be opened or written
// throws Refusal naming the port and the system's reason; what was written
// before a failure stays written.
void write(const QString &port, const QByteArray &bytes,
           const QString &devices = QStringLiteral("/dev"));

} // namespace ReceiptPort
