#pragma once

#include <QtGlobal>

// Ids of the program's own messages. MID is negative and strictly decreasing
// over the whole run (it starts near minus the current time in ms), MUID is
// -MID, so no two messages ever share an id, even within one millisecond.
// Safe from any thread.
namespace OwnMessageId {

void next(qint64& mid, qint64& muid);

} // namespace OwnMessageId
