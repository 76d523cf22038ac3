#pragma once

#include "common/FailureText.h"

#include <QString>

#include <optional>

// Every message box, question, input box and file dialog goes through a
// Prompt. Windows hold one; the program's is QtPrompt, tests script one.
class Prompt
{
public:
    enum class Kind { Information, Warning, Error };

    virtual ~Prompt() = default;

    // A message with a single OK button. An empty caption shows the
    // application's title.
    virtual void message(const QString &text, const QString &caption = {},
                         Kind kind = Kind::Information) = 0;
    // A failure: what happened and what to do, and the database's or the
    // system's own words as a detail, which a message box may tuck away
    // behind a button. Shown as one error message unless overridden.
    virtual void failure(const QString &text, const QString &detail, const QString &caption = {})
    {
        message(FailureText::withDetail(text, detail), caption, Kind::Error);
    }
    // A Yes/No question; true for Yes.
    virtual bool question(const QString &text, const QString &caption = {}) = 0;
    // An input box; nothing when cancelled.
    virtual std::optional<QString> input(const QString &caption, const QString &label,
                                         const QString &defaultText = {}) = 0;
    // An input box that shows "*" for every character.
    virtual std::optional<QString> maskedInput(const QString &caption, const QString &label,
                                               const QString &defaultText = {}) = 0;
    // File dialogs; an empty text when cancelled. `filter` uses Qt's form,
    // "Excel (*.xls *.xlsx)".
    virtual QString openFile(const QString &caption, const QString &filter,
                             const QString &startPath = {}) = 0;
    virtual QString saveFile(const QString &caption, const QString &filter,
                             const QString &proposedPath = {}) = 0;
};
