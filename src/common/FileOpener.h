#pragma once

#include <QString>

// Opens a file with the desktop's default program (a workbook, the help
// file). Replaceable so that tests see what would have been opened.
class FileOpener
{
public:
    virtual ~FileOpener() = default;
    // False when nothing could open it.
    virtual bool open(const QString &path) = 0;
    // Whether the desktop has a program for files of this kind, so that
    // offering to open one makes sense.
    virtual bool canOpen(const QString &path) { return !path.isEmpty(); }
};
