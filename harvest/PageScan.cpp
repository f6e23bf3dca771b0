#include "harvest/PageScan.h"

#include "harvest/IsImageFileName.h"
#include "harvest/ListSink.h"
#include "harvest/NameProp.h"
#include "harvest/SafeFileName.h"

namespace {

const QString anchorTag = QStringLiteral("A");

} // namespace

bool PageScan::IsHtml(const QString& contentType) {
    return contentType.contains(QLatin1String("html"), Qt::CaseInsensitive);
}

PageScan::PageScan(ListSink& imageList, HarvestMap& imageMap, ListSink& linkList,
                   HarvestMap& linkMap)
    : imageList(imageList), imageMap(imageMap), linkList(linkList), linkMap(linkMap),
      imageAddresses(AddressesOf(imageMap)), linkAddresses(AddressesOf(linkMap)) {}

void PageScan::ScanPage(const PageSnapshot& page) {
    if (!IsHtml(page.contentType) || !page.document)
        return;
    CollectLinks(*page.document);
    CollectImages(*page.document);
}

void PageScan::CollectLinks(const DomDocument& document) {
    for (const DomDocument& frame : document.frames)
        CollectLinks(frame);
    for (const DomLink& link : document.links) {
        // Only anchors count as links; image map areas are left out.
        if (link.href.isEmpty() || link.tagName != anchorTag)
            continue;
        const QString name = NameProp(link.href);
        if (IsImageFileName(name))
            AddLinkEntry(SafeFileName::Of(name), link.href);
    }
}

void PageScan::CollectImages(const DomDocument& document) {
    for (const DomDocument& frame : document.frames)
        CollectImages(frame);
    for (const DomImage& image : document.images) {
        if (image.src.isEmpty())
            continue;
        const QString name = NameProp(image.src);
        if (IsImageFileName(name))
            AddImageEntry(SafeFileName::Of(name), image.src);
    }
}

void PageScan::AddLinkEntry(const QString& name, const QString& address) {
    linkList.AddString(name, address);
    AddToMap(linkMap, linkAddresses, name, address);
}

void PageScan::AddImageEntry(const QString& name, const QString& address) {
    imageList.AddString(name, address);
    AddToMap(imageMap, imageAddresses, name, address);
}

void PageScan::AddToMap(HarvestMap& map, QSet<QString>& known, const QString& name,
                        const QString& address) {
    if (known.contains(address))
        return;
    known.insert(address);
    map[name].append(address);
}

QSet<QString> PageScan::AddressesOf(const HarvestMap& map) {
    QSet<QString> addresses;
    for (const QStringList& listed : map)
        addresses.unite(QSet<QString>(listed.begin(), listed.end()));
    return addresses;
}

int PageScan::AddressCount(const HarvestMap& map) {
    qsizetype count = 0;
    for (const QStringList& addresses : map)
        count += addresses.size();
    return int(count);
}
