#include "thumbnails/ThumbnailHarvest.h"

#include "harvest/Harvest.h"

#include <QHash>

namespace {

std::vector<DeepEntry> Entries(const HarvestLines& lines, const std::vector<DeepEntry>& details) {
    QHash<QString, const DeepEntry*> known;
    for (const DeepEntry& detail : details)
        known.insert(detail.address, &detail);
    std::vector<DeepEntry> entries;
    entries.reserve(size_t(lines.size()));
    for (const HarvestLine& line : lines) {
        const DeepEntry* detail = known.value(line.address);
        entries.push_back(DeepEntry{line.name, line.address, detail ? detail->source : QString(),
                                    detail ? detail->width : 0, detail ? detail->height : 0});
    }
    return entries;
}

} // namespace

ThumbnailHarvest ThumbnailHarvest::From(const Harvest& harvest, const TransferRules& rules) {
    return {rules, Entries(harvest.imageLines, harvest.imageDetails),
            Entries(harvest.linkLines, harvest.linkDetails)};
}
