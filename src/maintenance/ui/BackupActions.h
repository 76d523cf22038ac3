#pragma once

#include "db/ConnectionSettings.h"

#include <QString>

struct Session;

// The board's "数据备份" and "数据恢复", with their dialogs and messages.
namespace BackupActions {

// The file types of the backup and restore dialogs; the first lists every
// name the backup proposes.
QString fileTypes(Backend backend);

// Asks for a file and writes a verified backup to it. Returns the chosen
// name, which the next proposal starts from; `previous` when cancelled.
QString backUp(Session &session, const QString &previous);

// Asks for a backup and, when it is sound, restores it. True when the
// database was replaced and the program must end: its connection belongs
// to the old one.
bool restore(Session &session);

} // namespace BackupActions
