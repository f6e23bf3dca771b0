#pragma once

#include "harvest/DeepPageScan.h"

#include <QSize>

#include <vector>

// What a Deep Scan lists for a snapshot, without list widgets.
class SnapshotEntries {
public:
    struct Lists {
        std::vector<DeepEntry> images;
        std::vector<DeepEntry> links;
    };

    // In the order the scan found them.
    static Lists Scan(const PageSnapshot& snapshot, const QSize& minimumSize);
};
