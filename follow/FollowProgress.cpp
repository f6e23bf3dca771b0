#include "follow/FollowProgress.h"

#include <algorithm>

QString FollowProgress::Text() const {
    const QString pages =
        QStringLiteral("Following %1 of %2 pages").arg(std::min(done + 1, total)).arg(total);
    if (galleryPages <= 1)
        return pages + QStringLiteral("...");
    return pages +
           QStringLiteral(" (gallery page %1 of up to %2)...").arg(galleryPage).arg(galleryPages);
}
