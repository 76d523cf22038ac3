#include "PinYin.h"

#include "common/GbkText.h"

namespace {

struct Range
{
    unsigned first;
    unsigned last;
    char letter;
};

// Inclusive and without gaps from 0xB0A1 (啊) to 0xD7F9 (座).
constexpr Range Ranges[] = {
    {0xB0A1, 0xB0C4, 'A'}, {0xB0C5, 0xB2C0, 'B'}, {0xB2C1, 0xB4ED, 'C'}, {0xB4EE, 0xB6E9, 'D'},
    {0xB6EA, 0xB7A1, 'E'}, {0xB7A2, 0xB8C0, 'F'}, {0xB8C1, 0xB9FD, 'G'}, {0xB9FE, 0xBBF6, 'H'},
    {0xBBF7, 0xBFA5, 'J'}, {0xBFA6, 0xC0AB, 'K'}, {0xC0AC, 0xC2E7, 'L'}, {0xC2E8, 0xC4C2, 'M'},
    {0xC4C3, 0xC5B5, 'N'}, {0xC5B6, 0xC5BD, 'O'}, {0xC5BE, 0xC6D9, 'P'}, {0xC6DA, 0xC8BA, 'Q'},
    {0xC8BB, 0xC8F5, 'R'}, {0xC8F6, 0xCBF9, 'S'}, {0xCBFA, 0xCDD9, 'T'}, {0xCDDA, 0xCEF3, 'W'},
    {0xCEF4, 0xD1B8, 'X'}, {0xD1B9, 0xD4D0, 'Y'}, {0xD4D1, 0xD7F9, 'Z'},
};

} // namespace

std::optional<char> PinYinInitial(QByteArrayView pair)
{
    if (pair.size() != 2)
        return std::nullopt;
    const unsigned code = static_cast<unsigned char>(pair[0]) * 256u + static_cast<unsigned char>(pair[1]);
    for (const Range &range : Ranges) {
        if (code >= range.first && code <= range.last)
            return range.letter;
    }
    return std::nullopt;
}

QString PinYinInitials(const QString &name)
{
    const QByteArray bytes = GbkText::encode(name);
    QString initials;
    for (qsizetype at = 0; at + 1 < bytes.size(); at += 2) {
        const std::optional<char> letter = PinYinInitial(QByteArrayView(bytes).sliced(at, 2));
        if (!letter)
            break;
        initials.append(QLatin1Char(*letter));
    }
    return initials;
}
