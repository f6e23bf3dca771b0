#pragma once

#include "harvest/DeepPageScan.h"
#include "harvest/DomSnapshot.h"
#include "harvest/HarvestLine.h"
#include "harvest/LineSource.h"
#include "harvest/PageScan.h"

#include <QSize>

#include <vector>

// How a page is scanned: the plain scan, or Deep Scan with its size filter.
struct ScanMode {
    bool deep = false;
    QSize minimumSize; // Deep Scan leaves out images known to be smaller; 0: no limit
};

// What one scan of a page found: the image and link lines with their
// addresses, the name maps and, after a Deep Scan, each line's size and source.
// The browser window and quillmar-harvest both harvest through Scan.
struct Harvest {
    HarvestLines imageLines; // in the order found
    HarvestLines linkLines;
    HarvestMap imageMap;
    HarvestMap linkMap;
    std::vector<DeepEntry> imageDetails; // Deep Scan only; else empty
    std::vector<DeepEntry> linkDetails;
    bool styleWalkCut = false; // Deep Scan had to stop reading CSS backgrounds early
    LineSources sources;       // after following thumbnails: lines from other pages
    // After following thumbnails the lines stand in the gallery's order, which
    // a download keeps; a plain harvest is downloaded in the lists' order.
    bool followed = false;

    static Harvest Scan(const PageSnapshot& page, const ScanMode& mode);

    // The lines as the lists show them (ListOrder).
    static HarvestLines InListOrder(HarvestLines lines);
    // selected, in the gallery's order when the harvest followed thumbnails.
    HarvestLines InDownloadOrder(HarvestLines selected) const;
};
