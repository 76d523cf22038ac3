#pragma once

#include "common/Prompt.h"

#include <QPointer>
#include <QWidget>

// The program's Prompt: Qt's message boxes, input dialogs and file dialogs,
// parented to the window that asks.
class QtPrompt final : public Prompt
{
public:
    explicit QtPrompt(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }

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

private:
    QWidget *parentWidget() const;
    QPointer<QWidget> m_parent;
};
