#pragma once

#include "harvest/DomSnapshot.h"
#include "harvest/PageScan.h"

#include <QSet>
#include <QSize>

#include <vector>

class ListSink;

// One listed entry of a Deep Scan with what is known about it.
struct DeepEntry {
    QString name;
    QString address;
    QString source; // where the page placed it: "img", "srcset", "css", ...; empty for links
    int width = 0;  // natural size; 0 when unknown
    int height = 0;
    bool sizeEstimated = false;
};

// Walks a Deep Scan snapshot like PageScan walks a plain one (frames first,
// links before images) with the Deep Scan name rule: an entry is listed when
// its name has an accepted extension, or when it is a picture the page shows.
// Each address is listed once per list, so the maps start empty. Images
// known to be smaller than the minimum size are left out.
class DeepPageScan {
public:
    DeepPageScan(ListSink& imageList, HarvestMap& imageMap, ListSink& linkList,
                 HarvestMap& linkMap);

    // 0 in either direction: no limit there.
    void SetMinimumSize(const QSize& size);
    void ScanPage(const PageSnapshot& page);
    const std::vector<DeepEntry>& Images() const;
    const std::vector<DeepEntry>& Links() const;

private:
    void CollectLinks(const DomDocument& document);
    void CollectImages(const DomDocument& document);
    bool IsTooSmall(const DomImage& image) const;

    ListSink& imageList;
    HarvestMap& imageMap;
    ListSink& linkList;
    HarvestMap& linkMap;
    QSize minimumSize;
    std::vector<DeepEntry> images;
    std::vector<DeepEntry> links;
    QHash<QString, std::size_t> imageAddresses; // address -> index in images
    QSet<QString> linkAddresses;
};
