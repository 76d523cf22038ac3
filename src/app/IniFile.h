#pragma once

#include <QString>
#include <QStringList>

// The program's settings file, system.ini. Section and key names match
// without regard to case; a missing file or key reads "0"; every write goes
// to the file at once and keeps its other lines and comments as they were.
// The file is read as UTF-8, or as GBK when it is not valid UTF-8, and is
// written back in the encoding it was read in.
class IniFile
{
public:
    explicit IniFile(QString path);

    const QString &path() const { return m_path; }

    // The value, or "0" when the file, section or key is missing.
    QString read(const QString &section, const QString &key) const;
    // Writes at once; throws std::runtime_error naming the file when it
    // cannot be written.
    void write(const QString &section, const QString &key, const QString &value);

private:
    void load() const;
    void save() const;
    // Index of the section header line, or -1.
    qsizetype findSection(const QString &section) const;
    // Index of the key line inside the section starting after `header`, or -1.
    qsizetype findKey(qsizetype header, const QString &key) const;

    QString m_path;
    mutable QStringList m_lines;
    mutable bool m_gbk = false;
    mutable bool m_crlf = false;
};
