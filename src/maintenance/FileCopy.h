#pragma once

#include <QString>

// A plain copy of a file that is not the open database (a backup chosen for
// a restore), flushed to disk, whose failure says which file and why.
namespace FileCopy {

// Copies `from` to `to`, which must not exist yet. Throws Refusal naming
// the file and the system's reason; a half-written `to` stays for the
// caller to remove.
void copy(const QString &from, const QString &to);

} // namespace FileCopy
