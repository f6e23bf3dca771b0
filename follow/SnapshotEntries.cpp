#include "follow/SnapshotEntries.h"

#include "harvest/ListSink.h"

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
