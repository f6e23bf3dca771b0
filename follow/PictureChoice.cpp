#include "follow/PictureChoice.h"

#include "follow/SnapshotEntries.h"
#include "harvest/DeepNameRule.h"

#include <QHash>

namespace {

// How large each address is drawn and known to be, over every document.
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
                                            qint64(image.candidateWidth) * image.candidateWidth);
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
