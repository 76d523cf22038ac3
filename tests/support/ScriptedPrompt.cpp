#include "ScriptedPrompt.h"

using namespace Qt::StringLiterals;

void ScriptedPrompt::message(const QString &text, const QString &caption, Kind)
{
    shown.append({u"message"_s, text, caption});
}

bool ScriptedPrompt::question(const QString &text, const QString &caption)
{
    shown.append({u"question"_s, text, caption});
    return answers.isEmpty() ? false : answers.dequeue();
}

std::optional<QString> ScriptedPrompt::input(const QString &caption, const QString &label,
                                             const QString &)
{
    shown.append({u"input"_s, label, caption});
    return inputs.isEmpty() ? std::nullopt : inputs.dequeue();
}

std::optional<QString> ScriptedPrompt::maskedInput(const QString &caption, const QString &label,
                                                   const QString &)
{
    shown.append({u"masked"_s, label, caption});
    return inputs.isEmpty() ? std::nullopt : inputs.dequeue();
}

QString ScriptedPrompt::openFile(const QString &caption, const QString &, const QString &)
{
    shown.append({u"open"_s, QString(), caption});
    return files.isEmpty() ? QString() : files.dequeue();
}

QString ScriptedPrompt::saveFile(const QString &caption, const QString &, const QString &proposedPath)
{
    shown.append({u"save"_s, proposedPath, caption});
    return files.isEmpty() ? QString() : files.dequeue();
}

QStringList ScriptedPrompt::messages() const
{
    QStringList texts;
    for (const Shown &entry : shown) {
        if (entry.kind == u"message")
            texts.append(entry.text);
    }
    return texts;
}

QString ScriptedPrompt::lastMessage() const
{
    const QStringList texts = messages();
    return texts.isEmpty() ? QString() : texts.last();
}
