#pragma once

#include "watches/WatchChoices.h"
#include "watches/WatchPeriod.h"

#include <QString>
#include <QtGlobal>

// A gallery page watched for new pictures, as the watch list keeps it. Times
// are seconds since the epoch; 0 stands for never.
struct Watch {
    qint64 id = 0;   // the list's own number for it, never used again for another watch
    QString address; // the page: the key of the list
    QString title;
    QString folder; // where its pictures are saved
    WatchChoices choices;
    qint64 period = WatchPeriod::DefaultSeconds;
    qint64 created = 0;
    qint64 lastCheck = 0; // the last check, good or failed
    qint64 lastGood = 0;  // the last check that did not fail
    int newCount = 0;     // pictures the last check saved that the watch had not seen
    QString failure;      // why the last check failed; empty when it did not
    int pictures = 0;     // pictures the page gave at the last good check
    int unlooked = 0;     // new pictures since the person last looked at the watch

    bool Failing() const { return !failure.isEmpty(); }
};
