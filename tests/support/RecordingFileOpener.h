#pragma once

#include "common/FileOpener.h"

#include <QStringList>

// A FileOpener for tests: remembers what would have been opened.
class RecordingFileOpener final : public FileOpener
{
public:
    bool open(const QString &path) override
    {
        opened.append(path);
        return succeed;
    }
    bool canOpen(const QString &) override { return hasProgram; }
    QStringList opened;
    bool succeed = true;
    // Whether the machine has a program for the file's kind.
    bool hasProgram = true;
};
