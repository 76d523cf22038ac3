#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// A fast reader for the one large part of a workbook, its worksheet XML
// (QXmlStreamReader spends most of an import's reading time there). It
// hands over start tags, end tags and text, in order; names are local
// (a prefix is dropped); text comes with the predefined and numeric
// character references resolved, CDATA as it stands, and line ends
// normalised. Comments, processing instructions and the document type are
// skipped. Tags must nest: anything else, and text outside the root,
// ends the reading with failed().
class SheetXmlScanner
{
public:
    enum class Token { Start, End, Text, Done };

    explicit SheetXmlScanner(const QByteArray &data);

    // The next token; Done at the end of the document and on a failure.
    Token next();
    bool failed() const { return m_failed; }

    // The local name of the current start or end tag.
    QByteArrayView name() const { return m_name; }
    // The value of the current start tag's attribute with this local
    // name; empty when it has none.
    QString attribute(QByteArrayView localName);
    // The current text.
    QString text();

private:
    Token fail();
    static QByteArrayView localName(QByteArrayView qualified);
    // Resolves references and line ends; false for an unknown reference.
    static bool decode(QByteArrayView raw, QString *text);

    const char *m_begin;
    const char *m_position;
    const char *m_end;
    QList<QByteArrayView> m_open; // qualified names of the open elements
    QByteArrayView m_name;
    QByteArrayView m_attributes;
    QByteArrayView m_text;
    bool m_textIsCData = false;
    bool m_closeNext = false; // the current start tag closed itself
    bool m_sawRoot = false;
    bool m_failed = false;
};
