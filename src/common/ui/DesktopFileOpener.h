#pragma once

#include "common/FileOpener.h"

// Opens files with the desktop's default program.
class DesktopFileOpener final : public FileOpener
{
public:
    bool open(const QString &path) override;
    bool canOpen(const QString &path) override;
};
