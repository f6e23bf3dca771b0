#pragma once

#include "harvest/DeepPageScan.h"
#include "harvest/LineSource.h"

#include <vector>

class CHarvestList;

// Deep Scan's tool tips on list lines: the line's full address and the
// picture's natural size, "W x H", "about W x H" when estimated, or "size unknown";
// after following thumbnails, the page a picture was taken from ("from PAGE")
// or why a thumbnail was kept ("not followed: REASON").
class LineToolTips {
public:
    static QString Text(const QString& address, int width, int height, bool estimated);
    // Gives every line of the list the tip of its address among the entries.
    static void Show(CHarvestList& list, const std::vector<DeepEntry>& entries,
                     const LineSources& sources = {});
};
