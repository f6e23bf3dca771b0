#include "follow/GalleryFollower.h"

#include "follow/FollowTargets.h"
#include "follow/SnapshotEntries.h"
#include "follow/ThumbnailFollower.h"
#include "follow/ViewerLoader.h"

#include <algorithm>

GalleryFollower::GalleryFollower(QWebEngineProfile* profile, QObject* parent)
    : QObject(parent), profile(profile) {}

GalleryFollower::~GalleryFollower() = default;

void GalleryFollower::Start(const FollowedList::Page& first, const PageSnapshot& snapshot,
                            const FollowOptions& chosen, bool follow, int pageBudget) {
    options = chosen;
    followThumbnails = follow;
    budget = pageBudget;
    nextPagesLeft = options.nextPages;
    running = true;
    walk(first, snapshot);
}

// Follows the page's thumbnails within the budget; the rest keep their lines.
void GalleryFollower::walk(const FollowedList::Page& page, const PageSnapshot& snapshot) {
    current = page;
    currentSnapshot = snapshot;
    targets.clear();
    visited.insert(QUrl(page.address));
    if (followThumbnails)
        targets = FollowTargets::Select(snapshot, QUrl(page.address), options);
    targets.erase(std::remove_if(targets.begin(), targets.end(),
                                 [this](const FollowTarget& target) {
                                     return visited.contains(target.viewer);
                                 }),
                  targets.end());
    for (const FollowTarget& target : targets)
        visited.insert(target.viewer);
    if (int(targets.size()) > budget - loaded)
        targets.resize(std::max(0, budget - loaded));
    known += int(targets.size());
    follower = std::make_unique<ThumbnailFollower>(profile);
    connect(follower.get(), &ThumbnailFollower::progress, this,
            [this](int done) { emit progress(loaded + done, known); });
    connect(follower.get(), &ThumbnailFollower::finished, this, &GalleryFollower::pageFollowed);
    follower->Start(targets, options);
}

void GalleryFollower::pageFollowed() {
    loaded += int(targets.size());
    lines.AddPage(current, targets, follower->Results());
    follower.release()->deleteLater(); // it is emitting
    if (!running)
        return;
    continueWith(currentSnapshot);
}

void GalleryFollower::continueWith(const PageSnapshot& snapshot) {
    const QUrl next = FollowTargets::NextPage(snapshot, QUrl(current.address), options);
    if (nextPagesLeft <= 0 || next.isEmpty() || visited.contains(next) || loaded >= budget) {
        finish();
        return;
    }
    --nextPagesLeft;
    ++loaded;
    ++known;
    nextAddress = next;
    if (!nextLoader) {
        nextLoader = std::make_unique<ViewerLoader>(profile, nullptr);
        connect(nextLoader.get(), &ViewerLoader::scanned, this, &GalleryFollower::nextPageScanned);
        connect(nextLoader.get(), &ViewerLoader::failed, this, &GalleryFollower::nextPageFailed);
    }
    nextLoader->Load(next);
}

void GalleryFollower::nextPageScanned(const PageSnapshot& snapshot, const QString& location,
                                      const QString& policy) {
    emit progress(loaded, known);
    SnapshotEntries::Lists lists = SnapshotEntries::Scan(snapshot, options.minimumSize);
    walk({location, policy, SnapshotEntries::InListOrder(std::move(lists.images)),
          SnapshotEntries::InListOrder(std::move(lists.links))},
         snapshot);
}

void GalleryFollower::nextPageFailed(const QString& reason) {
    failures << QStringLiteral("%1: %2").arg(nextAddress.toString(), reason);
    finish();
}

void GalleryFollower::Cancel() {
    if (!running)
        return;
    running = false;
    if (follower)
        follower->Cancel();
    nextLoader.reset();
    finish();
}

void GalleryFollower::finish() {
    // Nothing stays loaded once the gallery is harvested.
    if (nextLoader)
        nextLoader.release()->deleteLater();
    running = false;
    emit finished();
}

const FollowedList& GalleryFollower::Lines() const {
    return lines;
}

int GalleryFollower::PagesLoaded() const {
    return loaded;
}

QStringList GalleryFollower::Failures() const {
    return failures;
}
