#pragma once

#include "common/Prompt.h"

#include <QPointer>
#include <QWidget>

#include <utility>

// The program's Prompt: Qt's message boxes, input dialogs and file dialogs,
// parented to the window that asks.
//
// The file dialogs are Qt's own (never the desktop's, which reads files to
// show their type) with icons decided by name, and they never open in the
// program's folder, where the shop's database is: they start in the folder
// last chosen, or in the user's home.
class QtPrompt final : public Prompt
{
public:
    explicit QtPrompt(QWidget *parent = nullptr);
    void setParent(QWidget *parent) { m_parent = parent; }
    // The folder the file dialogs keep away from; the program's own by default.
    void setProgramFolder(const QString &folder) { m_programFolder = folder; }

    void message(const QString &text, const QString &caption, Kind kind) override;
    // The detail stays behind the box's 显示详细信息 button.
    void failure(const QString &text, const QString &detail, const QString &caption) override;
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
    QString askFile(bool saving, const QString &caption, const QString &filter,
                    const QString &path);
    bool inProgramFolder(const QString &folder) const;
    // Where a dialog asked for `path` starts, and the name it proposes.
    std::pair<QString, QString> startOf(const QString &path) const;

    QPointer<QWidget> m_parent;
    QString m_programFolder;
    QString m_lastFolder;
};
