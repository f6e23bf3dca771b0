#include "follow/FollowTargets.h"

#include "follow/SiteRule.h"
#include "harvest/DeepNameRule.h"

#include <QHash>

namespace {

struct Selection {
    const QUrl& page;
    const FollowOptions& options;
    std::vector<FollowTarget> targets;
    QHash<QUrl, std::size_t> byViewer;

    void add(const QUrl& viewer, const QString& thumbnail) {
        const auto known = byViewer.constFind(viewer);
        if (known != byViewer.cend()) {
            QStringList& thumbnails = targets[*known].thumbnails;
            if (!thumbnails.contains(thumbnail))
                thumbnails.append(thumbnail);
            return;
        }
        byViewer.insert(viewer, targets.size());
        targets.push_back({viewer, {thumbnail}});
    }

    // Frames first, as the scans walk them.
    void walk(const DomDocument& document) {
        for (const DomDocument& frame : document.frames)
            walk(frame);
        for (const DomImage& image : document.images) {
            for (const QString& target : image.linkTargets) {
                QUrl viewer(target);
                viewer.setFragment(QString());
                if (!image.src.isEmpty() && FollowTargets::MayFollow(viewer, page, options) &&
                    !DeepNameRule::HasAcceptedExtension(DeepNameRule::DisplayName(target)))
                    add(viewer, image.src);
            }
        }
    }
};

QUrl withoutFragment(QUrl address) {
    address.setFragment(QString());
    return address;
}

} // namespace

bool FollowTargets::MayFollow(const QUrl& target, const QUrl& from, const FollowOptions& options) {
    if (!MayEndAt(target, from, options) || withoutFragment(target) == withoutFragment(from))
        return false;
    return target.toString().contains(options.match, Qt::CaseInsensitive);
}

bool FollowTargets::MayEndAt(const QUrl& location, const QUrl& from, const FollowOptions& options) {
    const QString scheme = location.scheme();
    const bool web = scheme == QLatin1String("http") || scheme == QLatin1String("https");
    if (!location.isValid() || !(web || (location.isLocalFile() && from.isLocalFile())))
        return false;
    return options.otherSites || SiteRule::SameSite(location, from);
}

std::vector<FollowTarget> FollowTargets::Select(const PageSnapshot& gallery,
                                                const QUrl& galleryPage,
                                                const FollowOptions& options) {
    Selection selection{galleryPage, options, {}, {}};
    if (gallery.document)
        selection.walk(*gallery.document);
    return std::move(selection.targets);
}

QUrl FollowTargets::NextPage(const PageSnapshot& gallery, const QUrl& galleryPage,
                             const FollowOptions& options) {
    const QUrl next(gallery.nextPage);
    FollowOptions anyLink = options;
    anyLink.match.clear(); // the match text picks viewer pages, not gallery pages
    return !gallery.nextPage.isEmpty() && MayFollow(next, galleryPage, anyLink) ? next : QUrl();
}
