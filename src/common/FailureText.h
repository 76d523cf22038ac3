#pragma once

#include <QString>

// What the operator reads when the database, the server or the system
// refused something: a Chinese sentence that says what happened and what to
// do, and the refusal's own text kept as a detail ("file is not a
// database", "FATAL:  password authentication failed for user …", "No
// such file or directory"). Neither ever holds a connection text: the
// server's holds its password.
namespace FailureText {

// Where the refusal came from; it decides the sentence for a text that
// has none of its own.
enum class Stage { Connecting, Statement, File };

struct Explained
{
    QString sentence;
    QString detail; // the cleaned raw text; empty when there is nothing to add
    // Whether the text was one of those the sentences know; otherwise the
    // sentence only says where it failed.
    bool recognised = false;

    // The sentence with the detail after it, as one message.
    QString shown() const;
};

// The sentence for a driver's, server's or system's text and, where there
// is one, its code: a PostgreSQL SQLSTATE ("28P01") or an SQLite result
// code ("26"). A text that is already Chinese (the program's own) is left
// as it is.
Explained explain(const QString &raw, const QString &code = {}, Stage stage = Stage::Statement);

// The text with every connection text cut out: libpq's "host=… password=…",
// the "Provider=…;Password=…;" of system.ini, and any lone password=….
QString withoutConnectionText(const QString &text);

// `sentence` followed by `detail` in brackets, or the sentence alone.
QString withDetail(const QString &sentence, const QString &detail);

} // namespace FailureText
