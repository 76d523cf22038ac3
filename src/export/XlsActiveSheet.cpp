#include "XlsActiveSheet.h"

#include <QFile>
#include <QList>
#include <QtEndian>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

constexpr quint32 EndOfChain = 0xFFFFFFFE;
// The global records before the sheets' own come first in the stream and
// are small; a window and the sheet list lie well within this.
constexpr qsizetype GlobalsBytes = 1 << 20;

quint16 word(const QByteArray &data, qsizetype at)
{
    return qFromLittleEndian<quint16>(data.constData() + at);
}

quint32 dword(const QByteArray &data, qsizetype at)
{
    return qFromLittleEndian<quint32>(data.constData() + at);
}

// Just enough of the compound file format to read one stream's start.
// Every chain is followed for at most as many steps as the file has
// sectors, so a damaged file cannot loop.
class CompoundFile
{
public:
    explicit CompoundFile(const QString &path) : m_file(path) {}

    std::optional<QByteArray> stream(const QStringList &names, qsizetype limit)
    {
        if (!m_file.open(QIODevice::ReadOnly))
            return std::nullopt;
        const QByteArray header = m_file.read(512);
        if (header.size() < 512 || !header.startsWith(QByteArray::fromHex("d0cf11e0a1b11ae1")))
            return std::nullopt;
        const quint16 shift = word(header, 0x1E);
        if (shift != 9 && shift != 12)
            return std::nullopt;
        m_sectorSize = qsizetype(1) << shift;
        m_sectors = quint32((m_file.size() - 1) / m_sectorSize); // after the header sector
        m_miniSectorSize = qsizetype(1) << std::min<quint16>(word(header, 0x20), 12);
        if (!readFat(header))
            return std::nullopt;

        const QByteArray directory = chain(dword(header, 0x30), m_fat, m_sectorSize, {}, 1 << 22);
        const qsizetype cutoff = dword(header, 0x38);
        for (qsizetype at = 0; at + 128 <= directory.size(); at += 128) {
            const qsizetype nameBytes = std::min<qsizetype>(word(directory, at + 0x40), 64);
            const QString name = QString::fromUtf16(
                reinterpret_cast<const char16_t *>(directory.constData() + at),
                std::max<qsizetype>(nameBytes / 2 - 1, 0));
            if (directory.at(at + 0x42) != 2 || !names.contains(name))
                continue;
            const quint32 start = dword(directory, at + 0x74);
            const qsizetype streamSize = dword(directory, at + 0x78);
            const qsizetype size = std::min(streamSize, limit);
            if (streamSize >= cutoff)
                return chain(start, m_fat, m_sectorSize, {}, size);
            // A small stream lives in the mini stream, which the root
            // entry (the first one) holds.
            const QList<quint32> miniFat = entries(chain(dword(header, 0x3C), m_fat, m_sectorSize, {}, 1 << 22));
            const QByteArray ministream =
                chain(dword(directory, 0x74), m_fat, m_sectorSize, {}, dword(directory, 0x78));
            return chain(start, miniFat, m_miniSectorSize, ministream, size);
        }
        return std::nullopt;
    }

private:
    static QList<quint32> entries(const QByteArray &data)
    {
        QList<quint32> list;
        list.reserve(data.size() / 4);
        for (qsizetype at = 0; at + 4 <= data.size(); at += 4)
            list.append(dword(data, at));
        return list;
    }

    QByteArray sector(quint32 number)
    {
        if (number >= m_sectors || !m_file.seek((qint64(number) + 1) * m_sectorSize))
            return {};
        return m_file.read(m_sectorSize);
    }

    bool readFat(const QByteArray &header)
    {
        QList<quint32> fatSectors;
        const quint32 count = dword(header, 0x2C);
        for (qsizetype i = 0; i < 109 && quint32(fatSectors.size()) < count; ++i)
            fatSectors.append(dword(header, 0x4C + 4 * i));
        quint32 next = dword(header, 0x44);
        for (qsizetype steps = 0; quint32(fatSectors.size()) < count && next < m_sectors; ++steps) {
            if (steps > m_sectors)
                return false;
            const QList<quint32> more = entries(sector(next));
            if (more.isEmpty())
                return false;
            fatSectors.append(more.mid(0, more.size() - 1));
            next = more.constLast();
        }
        if (quint32(fatSectors.size()) < count || count > m_sectors)
            return false;
        for (qsizetype i = 0; i < qsizetype(count); ++i) {
            const QByteArray data = sector(fatSectors.at(i));
            if (data.size() != m_sectorSize)
                return false;
            m_fat.append(entries(data));
        }
        return true;
    }

    // The first `limit` bytes of a chain of sectors: of the file, or of
    // `source` when one is given (the mini stream).
    QByteArray chain(quint32 start, const QList<quint32> &table, qsizetype size,
                     const QByteArray &source, qsizetype limit)
    {
        QByteArray data;
        quint32 current = start;
        for (qsizetype steps = 0; current != EndOfChain && data.size() < limit; ++steps) {
            if (current >= quint32(table.size()) || steps > table.size())
                break;
            if (source.isNull()) {
                const QByteArray part = sector(current);
                if (part.isEmpty())
                    break;
                data += part;
            } else {
                if (qsizetype(current) * size + size > source.size())
                    break;
                data += source.mid(qsizetype(current) * size, size);
            }
            current = table.at(current);
        }
        data.truncate(limit);
        return data;
    }

    QFile m_file;
    qsizetype m_sectorSize = 512;
    qsizetype m_miniSectorSize = 64;
    quint32 m_sectors = 0;
    QList<quint32> m_fat;
};

} // namespace

namespace XlsActiveSheet {

unsigned int index(const QString &path)
{
    const std::optional<QByteArray> globals =
        CompoundFile(path).stream({u"Workbook"_s, u"Book"_s}, GlobalsBytes);
    if (!globals)
        return 0;
    // BOUNDSHEET records list the sheets, their type in the high byte of
    // their flags (0 a worksheet); WINDOW1 holds the active tab.
    constexpr quint16 EndOfFile = 0x000A, Window = 0x003D, BoundSheet = 0x0085;
    QList<bool> worksheets;
    std::optional<quint16> active;
    for (qsizetype at = 0; at + 4 <= globals->size();) {
        const quint16 type = word(*globals, at);
        const qsizetype length = word(*globals, at + 2);
        const qsizetype data = at + 4;
        if (data + length > globals->size())
            break;
        if (at > 0 && type == EndOfFile)
            break;
        if (type == BoundSheet && length >= 6)
            worksheets.append(globals->at(data + 5) == 0);
        else if (type == Window && length >= 12 && !active)
            active = word(*globals, data + 10);
        at = data + length;
    }
    if (active && *active < worksheets.size() && worksheets.at(*active))
        return *active;
    const qsizetype first = worksheets.indexOf(true);
    return first < 0 ? 0 : unsigned(first);
}

} // namespace XlsActiveSheet
