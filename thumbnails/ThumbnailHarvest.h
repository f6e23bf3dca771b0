#pragma once

#include "harvest/DeepPageScan.h"
#include "transfer/TransferRules.h"

#include <vector>

struct Harvest;

// What the Thumbnails window shows: the lines of a browser window's image and
// link lists, with the sizes its scan knows (0 when unknown), and the rules
// its pictures are fetched under (page address, Referer policy, cookies).
struct ThumbnailHarvest {
    TransferRules rules;
    std::vector<DeepEntry> images;
    std::vector<DeepEntry> links;

    // The lines of a scan in the order the page has them, with Deep Scan's sizes.
    static ThumbnailHarvest From(const Harvest& harvest, const TransferRules& rules);
};
