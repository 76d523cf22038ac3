#pragma once

#include "common/Prompt.h"

#include <QList>
#include <QQueue>
#include <QStringList>

// A Prompt for tests: records everything shown and answers from queues.
// An empty queue answers No, cancels an input and cancels a file dialog.
class ScriptedPrompt final : public Prompt
{
public:
    struct Shown
    {
        QString kind; // "message", "question", "input", "masked", "open", "save"
        QString text;
        QString caption;
    };

    void message(const QString &text, const QString &caption, Kind kind) override;
    bool question(const QString &text, const QString &caption) override;
    std::optional<QString> input(const QString &caption, const QString &label,
                                 const QString &defaultText) override;
    std::optional<QString> maskedInput(const QString &caption, const QString &label,
                                       const QString &defaultText) override;
    QString openFile(const QString &caption, const QString &filter,
                     const QString &startPath) override;
    QString saveFile(const QString &caption, const QString &filter,
                     const QString &proposedPath) override;

    QQueue<bool> answers;
    QQueue<std::optional<QString>> inputs;
    QQueue<QString> files;

    QList<Shown> shown;
    // Texts of the messages only, in order.
    QStringList messages() const;
    QString lastMessage() const;
    void clear() { shown.clear(); }
};
