#pragma once

#include <QString>

#include <stdexcept>

// A statement or connection that the database refused; text() is the
// database's own message, the one the user is shown.
class DbError : public std::runtime_error
{
public:
    explicit DbError(const QString &text)
        : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString &text() const { return m_text; }

private:
    QString m_text;
};
