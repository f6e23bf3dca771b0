#include "watches/WatchSchedule.h"

#include "watches/Watch.h"
#include "watches/WatchPeriod.h"

#include <limits>

// Written without adding to a stored time, which may be anything.
bool WatchSchedule::IsDue(const Watch& watch, qint64 now, bool all) {
    // A last check after now means the clock was set back: waiting for it
    // could take for ever.
    return all || watch.lastCheck <= 0 || watch.lastCheck > now ||
           now - watch.lastCheck >= watch.period;
}

qint64 WatchSchedule::NextCheck(const Watch& watch) {
    if (watch.lastCheck <= 0)
        return 0;
    constexpr qint64 latest = std::numeric_limits<qint64>::max();
    const qint64 period = WatchPeriod::Bounded(watch.period);
    return watch.lastCheck > latest - period ? latest : watch.lastCheck + period;
}
