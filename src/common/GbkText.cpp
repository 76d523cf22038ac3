#include "GbkText.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace GbkText {

QByteArray encode(const QString &text)
{
    QStringEncoder encoder("GBK");
    return encoder.encode(text);
}

QString decode(const QByteArray &bytes)
{
    QStringDecoder decoder("GBK");
    return decoder.decode(bytes);
}

qsizetype byteLength(const QString &text)
{
    return encode(text).size();
}

QString padRight(const QString &text, qsizetype width)
{
    const qsizetype length = byteLength(text);
    if (length >= width)
        return text;
    return text + QString(width - length, u' ');
}

} // namespace GbkText
