#include "IniFile.h"

#include "common/GbkText.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

bool isSectionHeader(const QString &trimmed)
{
    return trimmed.startsWith(u'[') && trimmed.endsWith(u']');
}

bool isComment(const QString &trimmed)
{
    return trimmed.startsWith(u';') || trimmed.startsWith(u'#');
}

} // namespace

IniFile::IniFile(QString path)
    : m_path(std::move(path))
{
}

void IniFile::load() const
{
    m_lines.clear();
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    QByteArray bytes = file.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    m_gbk = utf8.hasError();
    if (m_gbk)
        text = GbkText::decode(bytes);
    m_crlf = text.contains(u"\r\n"_s);
    text.replace(u"\r\n"_s, u"\n"_s);
    m_lines = text.split(u'\n');
    if (!m_lines.isEmpty() && m_lines.last().isEmpty())
        m_lines.removeLast();
}

void IniFile::save() const
{
    QString text = m_lines.join(m_crlf ? u"\r\n"_s : u"\n"_s);
    text += m_crlf ? u"\r\n"_s : u"\n"_s;
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) {
        throw std::runtime_error(QString(m_path + u": "_s + file.errorString()).toStdString());
    }
    file.write(m_gbk ? GbkText::encode(text) : text.toUtf8());
    if (!file.commit())
        throw std::runtime_error(QString(m_path + u": "_s + file.errorString()).toStdString());
}

qsizetype IniFile::findSection(const QString &section) const
{
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const QString trimmed = m_lines.at(i).trimmed();
        if (isSectionHeader(trimmed)
            && trimmed.mid(1, trimmed.size() - 2).trimmed().compare(section, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

qsizetype IniFile::findKey(qsizetype header, const QString &key) const
{
    for (qsizetype i = header + 1; i < m_lines.size(); ++i) {
        const QString trimmed = m_lines.at(i).trimmed();
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

QString IniFile::read(const QString &section, const QString &key) const
{
    // Read afresh every time: another window may have written the file.
    load();
    const qsizetype header = findSection(section);
    if (header < 0)
        return u"0"_s;
    const qsizetype line = findKey(header, key);
    if (line < 0)
        return u"0"_s;
    const QString &text = m_lines.at(line);
    return text.mid(text.indexOf(u'=') + 1).trimmed();
}

void IniFile::write(const QString &section, const QString &key, const QString &value)
{
    load();
    qsizetype header = findSection(section);
    if (header < 0) {
        if (!m_lines.isEmpty() && !m_lines.last().trimmed().isEmpty())
            m_lines.append(QString());
        m_lines.append(u'[' + section + u']');
        m_lines.append(key + u'=' + value);
        save();
        return;
    }
    const qsizetype line = findKey(header, key);
    if (line >= 0) {
        // Keep the key as the file spells it.
        const QString &old = m_lines.at(line);
        m_lines[line] = old.left(old.indexOf(u'=')) + u'=' + value;
    } else {
        // After the section's last key line, before trailing blank lines.
        qsizetype insertAt = header + 1;
        for (qsizetype i = header + 1; i < m_lines.size(); ++i) {
            const QString trimmed = m_lines.at(i).trimmed();
            if (isSectionHeader(trimmed))
                break;
            if (!trimmed.isEmpty())
                insertAt = i + 1;
        }
        m_lines.insert(insertAt, key + u'=' + value);
    }
    save();
}
