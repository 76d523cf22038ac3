#pragma once

#include <QString>

#include <stdexcept>

// A statement or connection that the database refused, or a value the
// connection layer would not send; text() is what the user is shown: the
// database's own message without the statement or its values, or one of
// the connection layer's Chinese texts. Never empty.
class DbError : public std::runtime_error
{
public:
    explicit DbError(const QString &text)
        : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString &text() const { return m_text; }

private:
    QString m_text;
};
