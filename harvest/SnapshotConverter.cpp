#include "harvest/SnapshotConverter.h"

#include <QVariant>
#include <QVariantList>
#include <QVariantMap>

#include <algorithm>

namespace {

// The DOM reports a missing address as an empty text.
QString addressOf(const QVariant& value) {
    QString address = value.toString();
    return address.isEmpty() ? QString() : address;
}

// Deep Scan gives four details per image; anything else is left unread.
void readDetails(const QVariantList& details, std::vector<DomImage>& images) {
    if (details.size() != qsizetype(images.size()) * 4)
        return;
    for (std::size_t i = 0; i < images.size(); ++i) {
        DomImage& image = images[i];
        const qsizetype at = qsizetype(i) * 4;
        image.source = details.at(at).toString();
        image.width = std::max(0, details.at(at + 1).toInt());
        image.height = std::max(0, details.at(at + 2).toInt());
        const int flags = details.at(at + 3).toInt();
        image.shown = (flags & 1) != 0;
        image.sizeEstimated = (flags & 2) != 0;
    }
}

// An image drawn several times keeps its largest box and every link target.
void readPlacements(const QVariantList& placements, std::vector<DomImage>& images) {
    for (const QVariant& entry : placements) {
        const QVariantList placement = entry.toList();
        bool isIndex = false;
        const qsizetype index = placement.value(0).toLongLong(&isIndex);
        if (!isIndex || index < 0 || index >= qsizetype(images.size()) || placement.size() < 4)
            continue;
        DomImage& image = images[index];
        const int width = std::max(0, placement.at(1).toInt());
        const int height = std::max(0, placement.at(2).toInt());
        if (qint64(width) * height > qint64(image.shownWidth) * image.shownHeight) {
            image.shownWidth = width;
            image.shownHeight = height;
        }
        image.candidateWidth = std::max(image.candidateWidth, placement.at(3).toInt());
        for (qsizetype i = 4; i < placement.size(); ++i) {
            const QString target = placement.at(i).toString();
            if (!target.isEmpty() && !image.linkTargets.contains(target))
                image.linkTargets.append(target);
        }
    }
}

DomDocument toDocument(const QVariantMap& map) {
    DomDocument document;
    const QVariantList frames = map.value(QStringLiteral("frames")).toList();
    document.frames.reserve(frames.size());
    for (const QVariant& frame : frames) {
        if (frame.typeId() == QMetaType::QVariantMap)
            document.frames.push_back(toDocument(frame.toMap()));
    }

    const QVariantList links = map.value(QStringLiteral("links")).toList();
    document.links.reserve(links.size());
    const QString anchor = QStringLiteral("A");
    for (const QVariant& href : links)
        document.links.push_back({addressOf(href), anchor});
    const QVariantList otherTags = map.value(QStringLiteral("linkTags")).toList();
    for (const QVariant& entry : otherTags) {
        const QVariantList pair = entry.toList();
        if (pair.size() != 2)
            continue;
        bool isIndex = false;
        const qsizetype index = pair.at(0).toLongLong(&isIndex);
        if (isIndex && index >= 0 && index < qsizetype(document.links.size()))
            document.links[index].tagName = pair.at(1).toString().toUpper();
    }

    const QVariantList images = map.value(QStringLiteral("images")).toList();
    document.images.reserve(images.size());
    for (const QVariant& src : images)
        document.images.push_back({addressOf(src)});
    readDetails(map.value(QStringLiteral("details")).toList(), document.images);
    readPlacements(map.value(QStringLiteral("placements")).toList(), document.images);
    return document;
}

} // namespace

PageSnapshot SnapshotConverter::FromScriptResult(const QVariant& result) {
    PageSnapshot snapshot;
    const QVariantMap map = result.toMap();
    snapshot.contentType = map.value(QStringLiteral("contentType")).toString();
    ReadReferrer(result, snapshot);
    const QVariant document = map.value(QStringLiteral("document"));
    if (document.typeId() == QMetaType::QVariantMap)
        snapshot.document = toDocument(document.toMap());
    snapshot.styleWalkCut = map.value(QStringLiteral("cssCut")).toBool();
    snapshot.nextPage = map.value(QStringLiteral("next")).toString();
    snapshot.title = map.value(QStringLiteral("title")).toString();
    return snapshot;
}

void SnapshotConverter::ReadReferrer(const QVariant& result, PageSnapshot& snapshot) {
    const QVariantMap map = result.toMap();
    snapshot.referrerPolicy = map.value(QStringLiteral("referrerPolicy")).toString();
    snapshot.elementReferrerPolicies.clear();
    for (const QVariant& pair : map.value(QStringLiteral("elementPolicies")).toList()) {
        const QVariantList parts = pair.toList();
        if (parts.size() == 2)
            snapshot.elementReferrerPolicies.append({parts[0].toString(), parts[1].toString()});
    }
}
