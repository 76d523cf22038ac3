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

// Before an operation that cannot be taken back ("数据初始化"): offers a
// backup first. True to go on: none was wanted, or it was written.
bool offerBackup(Session &session, const QString &operation);

// Asks for a backup and, when it is sound and the operator agrees to the
// question naming its date and what it replaces, restores it. True when the
// database was replaced and the program must end: its connection belongs
// to the old one.
bool restore(Session &session);

} // namespace BackupActions
