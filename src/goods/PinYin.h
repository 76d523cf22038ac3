#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

// Pinyin initials of goods names, the search code kept in 商品库.拼音.
// GB2312's first-level characters are ordered by pinyin, so a character's
// GBK code alone tells its initial; no dictionary is needed, and names
// beyond that level simply end the code.

// The initial of one two-byte GBK code: 'A' to 'Z' (never I, U or V), or
// nothing for a code outside the first-level range or a view that is not
// exactly two bytes long.
std::optional<char> PinYinInitial(QByteArrayView pair);

// The initials of a name: its GBK bytes cut into consecutive pairs by
// position (a lone last byte is dropped, an ASCII character shifts every
// later pair), each pair's initial in turn, up to the first pair that has
// none. "洗发水500ml" gives "XFS", "A500" gives "".
QString PinYinInitials(const QString &name);
