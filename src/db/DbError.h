#pragma once

#include "common/FailureText.h"

#include <QString>

#include <stdexcept>

// A statement or connection that the database refused, or a value the
// connection layer would not send. sentence() says in Chinese what
// happened and what to do; detail() is the database's own message without
// the statement, its values or any connection text, empty for the
// connection layer's own refusals. text() is both as one message. Never
// empty.
class DbError : public std::runtime_error
{
public:
    explicit DbError(const QString &text)
        : std::runtime_error(text.toStdString()), m_sentence(text), m_text(text) {}
    DbError(const QString &sentence, const QString &detail)
        : DbError(FailureText::Explained{sentence, detail}) {}
    explicit DbError(const FailureText::Explained &explained)
        : std::runtime_error(explained.shown().toStdString()),
          m_sentence(explained.sentence),
          m_detail(explained.detail),
          m_text(explained.shown())
    {
    }
    const QString &text() const { return m_text; }
    const QString &sentence() const { return m_sentence; }
    const QString &detail() const { return m_detail; }

private:
    QString m_sentence;
    QString m_detail;
    QString m_text;
};
