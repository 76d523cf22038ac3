#include "IniFile.h"

#include "common/FailureText.h"
#include "common/GbkText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <optional>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

const QByteArray Utf8Mark("\xEF\xBB\xBF");

bool isSectionHeader(const QString &trimmed)
{
    return trimmed.startsWith(u'[') && trimmed.endsWith(u']');
}

bool isComment(const QString &trimmed)
{
    return trimmed.startsWith(u';') || trimmed.startsWith(u'#');
}

bool isAscii(const QByteArray &bytes)
{
    for (char byte : bytes) {
        if (static_cast<unsigned char>(byte) >= 0x80)
            return false;
    }
    return true;
}

std::optional<QString> decodeUtf8(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return std::nullopt;
    return text;
}

QString decodeLine(const QByteArray &bytes)
{
    if (const auto text = decodeUtf8(bytes))
        return *text;
    return GbkText::decode(bytes);
}

// Bytes that read back as `text` under the line-by-line rule.
QByteArray encodeLine(const QString &text, bool gbk)
{
    if (gbk) {
        const QByteArray bytes = GbkText::encode(text);
        if (decodeLine(bytes) == text)
            return bytes;
    }
    return text.toUtf8();
}

std::runtime_error fileError(const QString &what, const QString &path, const QString &reason)
{
    const QString explained =
        FailureText::explain(reason, {}, FailureText::Stage::File).shown();
    return std::runtime_error(
        QString(what + QDir::toNativeSeparators(path) + u"："_s + explained).toStdString());
}

} // namespace

IniFile::IniFile(QString path)
    : m_path(std::move(path))
{
}

IniFile::Contents IniFile::load() const
{
    Contents contents;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        // Only a file that is not there reads as empty; one that is there
        // but unreadable must not pass for empty, or the next write would
        // replace it with a single section.
        if (!QFileInfo::exists(m_path))
            return contents;
        throw fileError(u"无法读取配置文件 "_s, m_path, file.errorString());
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw fileError(u"无法读取配置文件 "_s, m_path, file.errorString());

    if (bytes.startsWith(Utf8Mark)) {
        contents.byteOrderMark = Utf8Mark;
        bytes.remove(0, Utf8Mark.size());
    }
    bool anyUtf8 = false;
    bool anyGbk = false;
    qsizetype start = 0;
    while (start < bytes.size()) {
        Line line;
        const qsizetype newline = bytes.indexOf('\n', start);
        if (newline < 0) {
            line.bytes = bytes.mid(start);
            start = bytes.size();
        } else {
            line.bytes = bytes.mid(start, newline - start);
            line.end = "\n";
            if (line.bytes.endsWith('\r')) {
                line.bytes.chop(1);
                line.end = "\r\n";
            }
            start = newline + 1;
        }
        if (!isAscii(line.bytes)) {
            if (const auto text = decodeUtf8(line.bytes)) {
                line.text = *text;
                anyUtf8 = true;
            } else {
                line.text = GbkText::decode(line.bytes);
                anyGbk = true;
            }
        } else {
            line.text = QString::fromLatin1(line.bytes);
        }
        contents.lines.append(line);
    }
    contents.gbk = anyGbk && !anyUtf8 && contents.byteOrderMark.isEmpty();
    return contents;
}

void IniFile::save(const Contents &contents) const
{
    QByteArray bytes = contents.byteOrderMark;
    for (const Line &line : contents.lines)
        bytes += line.bytes + line.end;
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        throw fileError(u"无法写入配置文件 "_s, m_path, file.errorString());
    file.write(bytes);
    if (!file.commit())
        throw fileError(u"无法写入配置文件 "_s, m_path, file.errorString());
}

qsizetype IniFile::findSection(const Contents &contents, const QString &section)
{
    for (qsizetype i = 0; i < contents.lines.size(); ++i) {
        const QString trimmed = contents.lines.at(i).text.trimmed();
        if (isSectionHeader(trimmed)
            && trimmed.mid(1, trimmed.size() - 2).trimmed().compare(section, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

qsizetype IniFile::findKey(const Contents &contents, qsizetype header, const QString &key)
{
    for (qsizetype i = header + 1; i < contents.lines.size(); ++i) {
        const QString trimmed = contents.lines.at(i).text.trimmed();
        if (isSectionHeader(trimmed))
            break;
        if (trimmed.isEmpty() || isComment(trimmed))
            continue;
        const qsizetype eq = trimmed.indexOf(u'=');
        if (eq > 0 && trimmed.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

void IniFile::insertLine(Contents &contents, qsizetype at, const QString &text)
{
    // The line end of the nearest line that has one, so a CRLF file stays CRLF.
    QByteArray end = "\n";
    for (qsizetype i = at - 1; i >= 0; --i) {
        if (!contents.lines.at(i).end.isEmpty()) {
            end = contents.lines.at(i).end;
            break;
        }
    }
    Line line{encodeLine(text, contents.gbk), end, text};
    if (at == contents.lines.size() && at > 0 && contents.lines.last().end.isEmpty()) {
        // The file ended without a newline and still does, after the new line.
        contents.lines.last().end = end;
        line.end.clear();
    }
    contents.lines.insert(at, line);
}

QString IniFile::read(const QString &section, const QString &key) const
{
    // Read afresh every time: another window may have written the file.
    const Contents contents = load();
    const qsizetype header = findSection(contents, section);
    if (header < 0)
        return u"0"_s;
    const qsizetype line = findKey(contents, header, key);
    if (line < 0)
        return u"0"_s;
    const QString &text = contents.lines.at(line).text;
    return text.mid(text.indexOf(u'=') + 1).trimmed();
}

void IniFile::write(const QString &section, const QString &key, const QString &value)
{
    for (const QString *part : {&section, &key, &value}) {
        if (part->contains(u'\n') || part->contains(u'\r'))
            throw std::invalid_argument("a system.ini entry cannot hold a line break");
    }
    Contents contents = load();
    const qsizetype header = findSection(contents, section);
    if (header < 0) {
        if (!contents.lines.isEmpty() && !contents.lines.last().text.trimmed().isEmpty())
            insertLine(contents, contents.lines.size(), QString());
        insertLine(contents, contents.lines.size(), u'[' + section + u']');
        insertLine(contents, contents.lines.size(), key + u'=' + value);
        save(contents);
        return;
    }
    const qsizetype index = findKey(contents, header, key);
    if (index >= 0) {
        // Keep the key as the file spells it, and the blanks after "=".
        Line &line = contents.lines[index];
        qsizetype keep = line.text.indexOf(u'=') + 1;
        qsizetype blanks = keep;
        while (blanks < line.text.size() && (line.text.at(blanks) == u' ' || line.text.at(blanks) == u'\t'))
            ++blanks;
        if (blanks < line.text.size())
            keep = blanks;
        line.text = line.text.left(keep) + value;
        line.bytes = encodeLine(line.text, contents.gbk);
    } else {
        // After the section's last key line, before trailing blank lines.
        qsizetype insertAt = header + 1;
        for (qsizetype i = header + 1; i < contents.lines.size(); ++i) {
            const QString trimmed = contents.lines.at(i).text.trimmed();
            if (isSectionHeader(trimmed))
                break;
            if (!trimmed.isEmpty())
                insertAt = i + 1;
        }
        insertLine(contents, insertAt, key + u'=' + value);
    }
    save(contents);
}
