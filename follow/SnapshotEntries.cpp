#include "follow/SnapshotEntries.h"

#include "harvest/ListOrder.h"
#include "harvest/ListSink.h"

#include <algorithm>

namespace {

class NoList : public ListSink {
public:
    void AddString(const QString&, const QString&) override {}
};

} // namespace

SnapshotEntries::Lists SnapshotEntries::Scan(const PageSnapshot& snapshot,
                                             const QSize& minimumSize) {
    NoList images, links;
    HarvestMap imageMap, linkMap;
    DeepPageScan scan(images, imageMap, links, linkMap);
    scan.SetMinimumSize(minimumSize);
    scan.ScanPage(snapshot);
    return {scan.Images(), scan.Links()};
}

std::vector<DeepEntry> SnapshotEntries::InListOrder(std::vector<DeepEntry> entries) {
    std::stable_sort(entries.begin(), entries.end(), [](const DeepEntry& a, const DeepEntry& b) {
        return ListOrder::LessThan(a.name, b.name);
    });
    return entries;
}
