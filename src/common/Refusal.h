#pragma once

#include <QString>

#include <stdexcept>

// An operation the program's rules refuse, with the text the user is shown
// ("至少留有一个管理员！！"). Nothing was written when it is thrown.
class Refusal : public std::runtime_error
{
public:
    explicit Refusal(const QString &text, const QString &caption = {})
        : std::runtime_error(text.toStdString()), m_text(text), m_caption(caption) {}
    const QString &text() const { return m_text; }
    const QString &caption() const { return m_caption; }

private:
    QString m_text;
    QString m_caption;
};
