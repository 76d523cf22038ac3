#include "ReceiptPort.h"

#include "common/FailureText.h"
#include "common/Refusal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace ReceiptPort {

QString devicePath(const QString &port, const QString &devices)
{
    static const QRegularExpression named(u"^(LPT([1-3])|COM([1-9]))$"_s,
                                          QRegularExpression::CaseInsensitiveOption);
    const QString trimmed = port.trimmed();
    const QRegularExpressionMatch match = named.match(trimmed);
    if (!match.hasMatch())
        return trimmed;
    const QDir folder(devices);
    if (!match.captured(2).isEmpty()) {
        const QString index = QString::number(match.captured(2).toInt() - 1);
        const QString usb = folder.filePath(u"usb/lp"_s + index);
        // A USB receipt printer is the common one today.
        return QFileInfo::exists(usb) ? usb : folder.filePath(u"lp"_s + index);
    }
    return folder.filePath(u"ttyS"_s + QString::number(match.captured(3).toInt() - 1));
}

void write(const QString &port, const QByteArray &bytes, const QString &devices)
{
    const QString path = devicePath(port, devices);
    QFile device(path);
    const QString where = port.trimmed() == path ? path : port.trimmed() + u" ("_s + path + u')';
    // The system's words stay as the detail of what the operator can check.
    const QString check = u"请检查小票打印机是否接好、已开机，以及小票打印设置中的端口是否正确。"_s;
    if (!device.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        throw Refusal(u"无法打开小票打印机端口 "_s + where + u"。"_s
                      + FailureText::withDetail(check, device.errorString()));
    }
    if (device.write(bytes) != bytes.size() || !device.flush()) {
        throw Refusal(u"小票打印机端口 "_s + where + u" 写入失败。"_s
                      + FailureText::withDetail(check, device.errorString()));
    }
}

} // namespace ReceiptPort
