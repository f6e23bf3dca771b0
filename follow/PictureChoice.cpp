#include "follow/PictureChoice.h"

#include "follow/SnapshotEntries.h"
#include "harvest/DeepNameRule.h"

#include <QHash>

#include <algorithm>
#include <utility>

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

// The picture at the address an element gives its line: the size Deep Scan
// knows or estimated for it, or about its srcset width. The candidate the
// engine fetched and the box it drew it in say nothing of it: a small
// candidate is drawn small.
qint64 pictureArea(const DomImage& image) {
    return std::max(qint64(image.width) * image.height, areaAtWidth(image, image.candidateWidth));
}

// How large each listed address is, over every document, by the elements that
// gave it its line: among those the page draws, their picture first (a drawn
// picture of unknown size counts as large as its box), then their box; and
// the picture alone for all of them.
struct Sizes {
    using Measure = std::pair<qint64, qint64>;
    QHash<QString, Measure> drawn;
    QHash<QString, Measure> known;

    void read(const DomDocument& document) {
        for (const DomDocument& frame : document.frames)
            read(frame);
        for (const DomImage& image : document.images) {
            const qint64 picture = pictureArea(image);
            known[image.src] = std::max(known.value(image.src), Measure(picture, 0));
            const qint64 box = qint64(image.shownWidth) * image.shownHeight;
            if (image.shown && box > 0)
                drawn[image.src] =
                    std::max(drawn.value(image.src), Measure(picture > 0 ? picture : box, box));
        }
    }
};

// The entry largest by measure; the first of equals. None when all measure 0.
std::vector<DeepEntry> largestBy(const std::vector<DeepEntry>& entries,
                                 const QHash<QString, Sizes::Measure>& measure) {
    const DeepEntry* best = nullptr;
    Sizes::Measure bestSize(0, 0);
    for (const DeepEntry& entry : entries) {
        const Sizes::Measure size = measure.value(entry.address);
        if (size.first > 0 && size > bestSize) {
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
