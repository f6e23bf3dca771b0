#pragma once

#include "harvest/DeepPageScan.h"
#include "harvest/StatedReferrer.h"

#include <QString>

#include <vector>

// What following one viewer page gave: the pictures taken, with the page they
// were taken from and its Referer policy, or why nothing was taken.
struct FollowResult {
    std::vector<DeepEntry> taken;
    QString viewer; // where the viewer page ended up
    StatedReferrer referrer;
    QString failure;           // empty when pictures were taken
    QString title = QString(); // the viewer page's
};
