#include "SheetXmlScanner.h"

#include <algorithm>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Where `what` starts at or after `from`, or nullptr.
const char *find(const char *from, const char *end, QByteArrayView what)
{
    const QByteArrayView haystack(from, end - from);
    const qsizetype at = haystack.indexOf(what);
    return at < 0 ? nullptr : from + at;
}

} // namespace

SheetXmlScanner::SheetXmlScanner(const QByteArray &data)
    : m_begin(data.constData())
    , m_position(data.constData())
    , m_end(data.constData() + data.size())
{
    // A byte order mark may open the part.
    if (data.startsWith("\xEF\xBB\xBF"))
        m_position += 3;
}

SheetXmlScanner::Token SheetXmlScanner::fail()
{
    m_failed = true;
    m_position = m_end;
    return Token::Done;
}

QByteArrayView SheetXmlScanner::localName(QByteArrayView qualified)
{
    const qsizetype colon = qualified.indexOf(':');
    return colon < 0 ? qualified : qualified.sliced(colon + 1);
}

SheetXmlScanner::Token SheetXmlScanner::next()
{
    if (m_failed)
        return Token::Done;
    if (m_closeNext) {
        m_closeNext = false;
        m_name = localName(m_open.takeLast());
        return Token::End;
    }
    while (m_position < m_end) {
        if (*m_position != '<') {
            const char *lt = static_cast<const char *>(std::memchr(m_position, '<', m_end - m_position));
            const char *stop = lt ? lt : m_end;
            m_text = QByteArrayView(m_position, stop - m_position);
            m_textIsCData = false;
            m_position = stop;
            if (m_open.isEmpty()) {
                if (std::all_of(m_text.begin(), m_text.end(), isSpace))
                    continue;
                return fail();
            }
            return Token::Text;
        }
        const QByteArrayView rest(m_position, m_end - m_position);
        if (rest.startsWith("<?")) {
            const char *close = find(m_position, m_end, "?>");
            if (!close)
                return fail();
            m_position = close + 2;
        } else if (rest.startsWith("<!--")) {
            const char *close = find(m_position + 4, m_end, "-->");
            if (!close)
                return fail();
            m_position = close + 3;
        } else if (rest.startsWith("<![CDATA[")) {
            const char *close = find(m_position + 9, m_end, "]]>");
            if (!close || m_open.isEmpty())
                return fail();
            m_text = QByteArrayView(m_position + 9, close - m_position - 9);
            m_textIsCData = true;
            m_position = close + 3;
            return Token::Text;
        } else if (rest.startsWith("<!")) {
            // The document type, with any internal subset.
            const char *bracket = static_cast<const char *>(std::memchr(m_position, '[', m_end - m_position));
            const char *gt = static_cast<const char *>(std::memchr(m_position, '>', m_end - m_position));
            if (!gt)
                return fail();
            if (bracket && bracket < gt) {
                gt = find(bracket, m_end, "]>");
                if (!gt)
                    return fail();
                ++gt;
            }
            m_position = gt + 1;
        } else if (rest.startsWith("</")) {
            const char *gt = static_cast<const char *>(std::memchr(m_position, '>', m_end - m_position));
            if (!gt)
                return fail();
            QByteArrayView name(m_position + 2, gt - m_position - 2);
            name = name.trimmed();
            if (m_open.isEmpty() || m_open.constLast() != name)
                return fail();
            m_open.removeLast();
            m_name = localName(name);
            m_position = gt + 1;
            return Token::End;
        } else {
            const char *cursor = m_position + 1;
            const char *nameEnd = cursor;
            while (nameEnd < m_end && !isSpace(*nameEnd) && *nameEnd != '/' && *nameEnd != '>')
                ++nameEnd;
            if (nameEnd == cursor)
                return fail();
            // The tag ends at the first '>' outside a quoted value.
            char quote = 0;
            const char *gt = nameEnd;
            for (; gt < m_end; ++gt) {
                if (quote) {
                    if (*gt == quote)
                        quote = 0;
                } else if (*gt == '"' || *gt == '\'') {
                    quote = *gt;
                } else if (*gt == '>') {
                    break;
                }
            }
            if (gt == m_end)
                return fail();
            const bool selfClosing = gt[-1] == '/' && gt - 1 >= nameEnd;
            const QByteArrayView qualified(cursor, nameEnd - cursor);
            if (m_open.isEmpty() && m_sawRoot)
                return fail(); // a second root
            m_sawRoot = true;
            m_open.append(qualified);
            m_name = localName(qualified);
            m_attributes = QByteArrayView(nameEnd, (selfClosing ? gt - 1 : gt) - nameEnd);
            m_closeNext = selfClosing;
            m_position = gt + 1;
            return Token::Start;
        }
    }
    if (!m_open.isEmpty())
        return fail();
    return Token::Done;
}

QString SheetXmlScanner::attribute(QByteArrayView wanted)
{
    const char *cursor = m_attributes.begin();
    const char *end = m_attributes.end();
    while (cursor < end) {
        while (cursor < end && isSpace(*cursor))
            ++cursor;
        const char *nameStart = cursor;
        while (cursor < end && *cursor != '=' && !isSpace(*cursor))
            ++cursor;
        const QByteArrayView name(nameStart, cursor - nameStart);
        while (cursor < end && isSpace(*cursor))
            ++cursor;
        if (cursor == end || *cursor != '=')
            break;
        ++cursor;
        while (cursor < end && isSpace(*cursor))
            ++cursor;
        if (cursor == end || (*cursor != '"' && *cursor != '\''))
            break;
        const char quote = *cursor++;
        const char *valueStart = cursor;
        while (cursor < end && *cursor != quote)
            ++cursor;
        if (cursor == end)
            break;
        const QByteArrayView value(valueStart, cursor - valueStart);
        ++cursor;
        if (localName(name) == wanted) {
            QString text;
            if (!decode(value, &text))
                m_failed = true;
            return text;
        }
    }
    return {};
}

QString SheetXmlScanner::text()
{
    QString text;
    if (m_textIsCData) {
        text = QString::fromUtf8(m_text);
    } else if (!decode(m_text, &text)) {
        m_failed = true;
    }
    return text;
}

bool SheetXmlScanner::decode(QByteArrayView raw, QString *text)
{
    // Line ends written as they are become "\n"; a reference keeps its
    // character.
    const auto plain = [](QByteArrayView bytes) {
        QString chunk = QString::fromUtf8(bytes);
        if (chunk.contains(u'\r')) {
            chunk.replace(u"\r\n"_s, u"\n"_s);
            chunk.replace(u'\r', u'\n');
        }
        return chunk;
    };
    if (raw.indexOf('&') < 0) {
        *text = plain(raw);
        return true;
    }
    QString result;
    result.reserve(raw.size());
    qsizetype from = 0;
    while (from < raw.size()) {
        const qsizetype at = raw.indexOf('&', from);
        result += plain(raw.sliced(from, (at < 0 ? raw.size() : at) - from));
        if (at < 0)
            break;
        const qsizetype semicolon = raw.indexOf(';', at);
        if (semicolon < 0 || semicolon - at > 12)
            return false;
        const QByteArrayView entity = raw.sliced(at + 1, semicolon - at - 1);
        if (entity == "amp") {
            result += u'&';
        } else if (entity == "lt") {
            result += u'<';
        } else if (entity == "gt") {
            result += u'>';
        } else if (entity == "quot") {
            result += u'"';
        } else if (entity == "apos") {
            result += u'\'';
        } else if (entity.startsWith('#')) {
            bool ok = false;
            const uint code = entity.startsWith("#x") ? entity.sliced(2).toUInt(&ok, 16)
                                                      : entity.sliced(1).toUInt(&ok, 10);
            if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
                return false;
            const char32_t character = code;
            result += QString::fromUcs4(&character, 1);
        } else {
            return false;
        }
        from = semicolon + 1;
    }
    *text = std::move(result);
    return true;
}
