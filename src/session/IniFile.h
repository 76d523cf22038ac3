#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The program's settings file, system.ini. Section and key names match
// without regard to case; a missing file or key reads "0"; every write goes
// to the file at once, all or nothing.
//
// The file is kept as the bytes it holds. Each line is decoded on its own:
// a line that is valid UTF-8 is UTF-8, any other line is GBK (what Chinese
// Windows editors save). So one stray byte in a comment does not turn the
// Chinese UTF-8 text of another line into nonsense. A write changes only the
// line it writes, or inserts one; every other line keeps its bytes exactly:
// a byte-order mark, CRLF or LF line by line, a missing final newline, stray
// bytes. The written line is in the file's own encoding: GBK when every
// non-ASCII line of the file is GBK, otherwise UTF-8; should GBK not hold
// the text, or the GBK bytes happen to read as UTF-8, that line is UTF-8.
//
// A file that exists but cannot be read (no permission, a folder in its
// place) throws std::runtime_error naming the file and the reason, from read
// and from write alike; write then leaves the file as it was.
class IniFile
{
public:
    explicit IniFile(QString path);

    const QString &path() const { return m_path; }

    // The value, or "0" when the file, section or key is missing.
    QString read(const QString &section, const QString &key) const;
    // Writes at once; throws std::runtime_error naming the file when it
    // cannot be read or written, std::invalid_argument for a line break in
    // the key or value (it would split the line).
    void write(const QString &section, const QString &key, const QString &value);

private:
    struct Line
    {
        QByteArray bytes; // without the line end
        QByteArray end;   // "\r\n", "\n", or nothing for a last line without one
        QString text;
    };
    struct Contents
    {
        QByteArray byteOrderMark;
        QList<Line> lines;
        bool gbk = false; // the encoding of lines this program writes
    };

    Contents load() const;
    void save(const Contents &contents) const;
    // Index of the section header line, or -1.
    static qsizetype findSection(const Contents &contents, const QString &section);
    // Index of the key line inside the section starting after `header`, or -1.
    static qsizetype findKey(const Contents &contents, qsizetype header, const QString &key);
    static void insertLine(Contents &contents, qsizetype at, const QString &text);

    QString m_path;
};
