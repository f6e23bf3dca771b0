#include "harvest/Harvest.h"

#include "harvest/LineBatch.h"
#include "harvest/ListOrder.h"

#include <QHash>

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

HarvestLines Harvest::InDownloadOrder(HarvestLines selected) const {
    if (!followed)
        return selected;
    QHash<QPair<QString, QString>, qsizetype> place;
    for (const HarvestLines* lines : {&imageLines, &linkLines})
        for (const HarvestLine& line : *lines) {
            const qsizetype next = place.size();
            if (!place.contains({line.name, line.address}))
                place.insert({line.name, line.address}, next);
        }
    std::stable_sort(selected.begin(), selected.end(),
                     [&place](const HarvestLine& a, const HarvestLine& b) {
                         return place.value({a.name, a.address}, place.size()) <
                                place.value({b.name, b.address}, place.size());
                     });
    return selected;
}
