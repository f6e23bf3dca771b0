#include "harvest/DeepPageScan.h"

#include "harvest/DeepNameRule.h"
#include "harvest/ListSink.h"
#include "harvest/PageScan.h"

DeepPageScan::DeepPageScan(ListSink& imageList, HarvestMap& imageMap, ListSink& linkList,
                           HarvestMap& linkMap)
    : imageList(imageList), imageMap(imageMap), linkList(linkList), linkMap(linkMap) {}

void DeepPageScan::SetMinimumSize(const QSize& size) {
    minimumSize = size;
}

void DeepPageScan::ScanPage(const PageSnapshot& page) {
    if (!PageScan::IsHtml(page.contentType) || !page.document)
        return;
    CollectLinks(*page.document);
    CollectImages(*page.document);
}

void DeepPageScan::CollectLinks(const DomDocument& document) {
    for (const DomDocument& frame : document.frames)
        CollectLinks(frame);
    for (const DomLink& link : document.links) {
        // Image map areas stay out, as in the plain scan.
        if (link.href.isEmpty() || link.tagName != QLatin1String("A") ||
            linkAddresses.contains(link.href))
            continue;
        const QString name = DeepNameRule::DisplayName(link.href);
        if (!DeepNameRule::HasAcceptedExtension(name))
            continue;
        linkAddresses.insert(link.href);
        links.push_back({name, link.href, QString(), 0, 0, false});
        linkList.AddString(name, link.href);
        linkMap[name].append(link.href);
    }
}

void DeepPageScan::CollectImages(const DomDocument& document) {
    for (const DomDocument& frame : document.frames)
        CollectImages(frame);
    for (const DomImage& image : document.images) {
        if (image.src.isEmpty() || IsTooSmall(image))
            continue;
        const auto seen = imageAddresses.constFind(image.src);
        if (seen != imageAddresses.cend()) {
            // A sharing tag or a background may name the picture an element shows;
            // another element may show the file a srcset only let guess.
            DeepEntry& entry = images[*seen];
            if (image.width > 0 &&
                (entry.width == 0 || (entry.sizeEstimated && !image.sizeEstimated))) {
                entry.width = image.width;
                entry.height = image.height;
                entry.sizeEstimated = image.sizeEstimated;
            }
            continue;
        }
        const QString name = DeepNameRule::DisplayName(image.src);
        const bool listed =
            DeepNameRule::HasAcceptedExtension(name) || (image.shown && !name.isEmpty());
        if (!listed)
            continue;
        imageAddresses.insert(image.src, images.size());
        images.push_back(
            {name, image.src, image.source, image.width, image.height, image.sizeEstimated});
        imageList.AddString(name, image.src);
        imageMap[name].append(image.src);
    }
}

bool DeepPageScan::IsTooSmall(const DomImage& image) const {
    if (image.width <= 0 || image.height <= 0)
        return false;
    return image.width < minimumSize.width() || image.height < minimumSize.height();
}

const std::vector<DeepEntry>& DeepPageScan::Images() const {
    return images;
}

const std::vector<DeepEntry>& DeepPageScan::Links() const {
    return links;
}
