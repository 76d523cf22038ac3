#pragma once

#include <QByteArray>
#include <QString>

// Text measured and converted in the GBK code page, the one receipts and
// pinyin lookups work in.
namespace GbkText {

QByteArray encode(const QString &text);
QString decode(const QByteArray &bytes);
// Length in GBK bytes: a Chinese character counts 2.
qsizetype byteLength(const QString &text);
// The text followed by blanks up to `width` GBK bytes; never cut.
QString padRight(const QString &text, qsizetype width);

} // namespace GbkText
