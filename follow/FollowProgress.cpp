#include "follow/FollowProgress.h"

#include "follow/FollowOptions.h"

#include <algorithm>

namespace {

// What loads while no page is done yet: as many pages as are loaded at once.
QString firstPagesLoading(int total) {
    if (total == 1)
        return QStringLiteral("loading it");
    if (total <= FollowOptions::MaxHiddenPages)
        return QStringLiteral("loading them");
    return QStringLiteral("loading the first %1").arg(FollowOptions::MaxHiddenPages);
}

} // namespace

QString FollowProgress::Text() const {
    const QString gallery =
        galleryPages <= 1
            ? QString()
            : QStringLiteral(" (gallery page %1 of up to %2)").arg(galleryPage).arg(galleryPages);
    if (done == 0)
        return QStringLiteral("Following %1 page%2%3: %4...")
            .arg(total)
            .arg(QLatin1String(total == 1 ? "" : "s"), gallery, firstPagesLoading(total));
    return QStringLiteral("Following %1 of %2 pages%3...")
        .arg(std::min(done + 1, total))
        .arg(total)
        .arg(gallery);
}
