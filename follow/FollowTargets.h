#pragma once

#include "follow/FollowOptions.h"
#include "follow/FollowTarget.h"
#include "harvest/DomSnapshot.h"

#include <vector>

// Chooses what to follow from a Deep Scan snapshot of a gallery page: every
// picture inside a link to a page (a target whose name has no accepted picture
// extension: those are in the link list already), over http or https (file:
// only from a file: page), on the gallery's site unless other sites are
// allowed, containing the match text. Each viewer page once, in page order.
class FollowTargets {
public:
    static std::vector<FollowTarget> Select(const PageSnapshot& gallery, const QUrl& galleryPage,
                                            const FollowOptions& options);
    // The rel="next" page, under the same rules; empty when there is none to follow.
    static QUrl NextPage(const PageSnapshot& gallery, const QUrl& galleryPage,
                         const FollowOptions& options);
    static bool MayFollow(const QUrl& target, const QUrl& from, const FollowOptions& options);
    // Whether a page reached from `from` may be harvested where it ended up,
    // after redirects: the rules on scheme and site apply there too.
    static bool MayEndAt(const QUrl& location, const QUrl& from, const FollowOptions& options);
};
