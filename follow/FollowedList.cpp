#include "follow/FollowedList.h"

#include <QHash>

#include <algorithm>

namespace {

// One page's image lines as they are built.
class PageLines {
public:
    PageLines(const QSet<QString>& earlier, const FollowedList::Page& page)
        : earlier(earlier), page(page) {
        for (const DeepEntry& image : page.images)
            own.insert(image.address);
    }

    void keep(const DeepEntry& image, const QString& failure = QString()) {
        if (!earlier.contains(image.address))
            lines.push_back({image, page.address, page.referrer, failure, false, page.title});
    }

    void take(const FollowResult& result) {
        for (const DeepEntry& picture : result.taken) {
            if (earlier.contains(picture.address) || own.contains(picture.address) ||
                taken.contains(picture.address))
                continue;
            taken.insert(picture.address);
            lines.push_back(
                {picture, result.viewer, result.referrer, QString(), true, result.title});
        }
    }

    std::vector<FollowedEntry>& all() { return lines; }

private:
    const QSet<QString>& earlier;
    const FollowedList::Page& page;
    QSet<QString> own;
    QSet<QString> taken;
    std::vector<FollowedEntry> lines;
};

} // namespace

void FollowedList::AddPage(const Page& page, const std::vector<FollowTarget>& targets,
                           const std::vector<FollowResult>& results) {
    if (!firstPage) {
        firstPage = page.address;
        firstTitle = page.title;
    }
    summary.Add(results);
    QHash<QString, std::vector<const FollowResult*>> byThumbnail;
    for (std::size_t i = 0; i < targets.size() && i < results.size(); ++i)
        for (const QString& thumbnail : targets[i].thumbnails)
            byThumbnail[thumbnail].push_back(&results[i]);
    PageLines lines(listedImages, page);
    for (const DeepEntry& image : page.images) {
        const auto followed = byThumbnail.constFind(image.address);
        if (followed == byThumbnail.cend()) {
            lines.keep(image);
            continue;
        }
        const auto gave = std::find_if(followed->begin(), followed->end(),
                                       [](const FollowResult* r) { return !r->taken.empty(); });
        if (gave == followed->end())
            lines.keep(image, followed->front()->failure);
        for (const FollowResult* result : *followed)
            lines.take(*result);
    }
    // Thumbnails too small to be listed still lead to pictures.
    for (std::size_t i = 0; i < targets.size() && i < results.size(); ++i)
        lines.take(results[i]);
    for (FollowedEntry& line : lines.all()) {
        listedImages.insert(line.entry.address);
        images.push_back(std::move(line));
    }
    QSet<QString> pageLinks;
    for (const DeepEntry& link : page.links)
        if (!listedLinks.contains(link.address)) {
            pageLinks.insert(link.address);
            links.push_back({link, page.address, page.referrer, QString(), false, page.title});
        }
    listedLinks.unite(pageLinks);
}

const std::vector<FollowedEntry>& FollowedList::Images() const {
    return images;
}

const std::vector<FollowedEntry>& FollowedList::Links() const {
    return links;
}

const FollowSummary& FollowedList::Summary() const {
    return summary;
}

namespace {

// Lines of the first page go out as the window's page sends them; every
// other line names its page, for its Referer.
void addLines(const std::vector<FollowedEntry>& lines, const QString& firstPage,
              HarvestLines& listed, HarvestMap& map, std::vector<DeepEntry>& details,
              LineSources& sources) {
    for (const FollowedEntry& line : lines) {
        const DeepEntry& entry = line.entry;
        listed.append({entry.name, entry.address});
        QStringList& addresses = map[entry.name];
        if (!addresses.contains(entry.address))
            addresses.append(entry.address);
        details.push_back(entry);
        if (line.taken || line.from != firstPage)
            sources.insert(entry.address, {line.from, line.referrer, line.failure, line.title});
        else if (!line.failure.isEmpty())
            sources.insert(entry.address, {QString(), StatedReferrer(), line.failure});
    }
}

} // namespace

Harvest FollowedList::ToHarvest() const {
    Harvest harvest;
    harvest.followed = true;
    addLines(images, firstPage.value_or(QString()), harvest.imageLines, harvest.imageMap,
             harvest.imageDetails, harvest.sources);
    addLines(links, firstPage.value_or(QString()), harvest.linkLines, harvest.linkMap,
             harvest.linkDetails, harvest.sources);
    return harvest;
}
