#pragma once

#include <QString>

// Why the system refused a file operation, for the messages of backup and
// restore: a short Chinese phrase for the usual causes, and the system's
// own text as a detail.
namespace SystemReason {

// "磁盘空间已满" for ENOSPC, and so on; the system's text for a cause
// without a phrase of its own.
QString phrase(int errnum);

// The system's own text for `errnum` ("No space left on device").
QString detail(int errnum);

} // namespace SystemReason
