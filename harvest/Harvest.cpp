#include "harvest/Harvest.h"

#include "harvest/LineBatch.h"
#include "harvest/ListOrder.h"

#include <algorithm>

Harvest Harvest::Scan(const PageSnapshot& page, const ScanMode& mode) {
    Harvest harvest;
    LineBatch images;
    LineBatch links;
    if (mode.deep) {
        DeepPageScan scan(images, harvest.imageMap, links, harvest.linkMap);
        scan.SetMinimumSize(mode.minimumSize);
        scan.ScanPage(page);
        harvest.imageDetails = scan.Images();
        harvest.linkDetails = scan.Links();
        harvest.styleWalkCut = page.styleWalkCut;
    } else {
        PageScan(images, harvest.imageMap, links, harvest.linkMap).ScanPage(page);
    }
    harvest.imageLines = images.Lines();
    harvest.linkLines = links.Lines();
    return harvest;
}

HarvestLines Harvest::InListOrder(HarvestLines lines) {
    std::stable_sort(lines.begin(), lines.end(), ListOrder());
    return lines;
}
