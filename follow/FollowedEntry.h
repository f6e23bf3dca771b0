#pragma once

#include "harvest/DeepPageScan.h"
#include "harvest/StatedReferrer.h"

#include <QString>

// One line of a harvest that followed thumbnails.
struct FollowedEntry {
    DeepEntry entry;
    QString from;              // the page it was listed on or taken from
    StatedReferrer referrer;   // what that page states, for its Referer
    QString failure;           // a thumbnail kept because its viewer page gave nothing: why
    bool taken = false;        // taken from a viewer page
    QString title = QString(); // the title of the page it came from
};
