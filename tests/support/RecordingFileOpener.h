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
    QStringList opened;
    bool succeed = true;
};
