#include "follow/PictureChoice.h"

#include "follow/SnapshotEntries.h"
#include "harvest/DeepNameRule.h"

#include <QHash>

namespace {

// A picture drawn in a box of one shape, or whose file has one, has that
// shape at any width; one of unknown shape counts as square.
qint64 areaAtWidth(const DomImage& image, qint64 width) {
    if (image.shownWidth > 0 && image.shownHeight > 0)
        return width * (width * image.shownHeight / image.shownWidth);
    if (image.width > 0 && image.height > 0)
        return width * (width * image.height / image.width);
    return width * width;
}

// How large each listed address is drawn and known to be, over every document,
// by the element that gave it its line: its box and the size of the picture
// at that address (the file's, or about its srcset width).
struct Sizes {
    QHash<QString, qint64> drawn;
    QHash<QString, qint64> known;

    void read(const DomDocument& document) {
        for (const DomDocument& frame : document.frames)
            read(frame);
        for (const DomImage& image : document.images) {
            const qint64 area = image.shown ? qint64(image.shownWidth) * image.shownHeight : 0;
            drawn[image.src] = std::max(drawn.value(image.src), area);
            const qint64 natural = std::max(qint64(image.width) * image.height,
                                            areaAtWidth(image, image.candidateWidth));
            known[image.src] = std::max(known.value(image.src), natural);
        }
    }
};

// The entry largest by measure; the first of equals. None when all measure 0.
std::vector<DeepEntry> largestBy(const std::vector<DeepEntry>& entries,
                                 const QHash<QString, qint64>& measure) {
    const DeepEntry* best = nullptr;
    qint64 bestSize = 0;
    for (const DeepEntry& entry : entries) {
        const qint64 size = measure.value(entry.address);
        if (size > bestSize) {
            best = &entry;
            bestSize = size;
        }
    }
    return best ? std::vector<DeepEntry>{*best} : std::vector<DeepEntry>{};
}

bool isPicture(const QString& contentType) {
    return contentType.startsWith(QLatin1String("image/"), Qt::CaseInsensitive);
}

} // namespace

std::vector<DeepEntry> PictureChoice::Take(const PageSnapshot& viewer, const QString& viewerAddress,
                                           bool every, const QSize& minimumSize) {
    if (isPicture(viewer.contentType))
        return {{DeepNameRule::DisplayName(viewerAddress), viewerAddress, QStringLiteral("img"), 0,
                 0, false}};
    const std::vector<DeepEntry> listed = SnapshotEntries::Scan(viewer, minimumSize).images;
    if (every || !viewer.document)
        return listed;
    Sizes sizes;
    sizes.read(*viewer.document);
    std::vector<DeepEntry> main = largestBy(listed, sizes.drawn);
    return main.empty() ? largestBy(listed, sizes.known) : main;
}
