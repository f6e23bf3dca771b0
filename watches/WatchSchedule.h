#pragma once

#include <QtGlobal>

struct Watch;

// When a watch is checked. A watch never checked is due at once; after that
// it is due one period after its last check, good or failed, so a failing
// watch is tried again at its own pace rather than at every run.
class WatchSchedule {
public:
    // True when the watch is to be checked at now; all: every watch is.
    static bool IsDue(const Watch& watch, qint64 now, bool all = false);
    // When the watch is due next; 0 for at once.
    static qint64 NextCheck(const Watch& watch);
};
