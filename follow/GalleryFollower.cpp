#include "follow/GalleryFollower.h"

#include "follow/FollowTargets.h"
#include "follow/SnapshotEntries.h"
#include "follow/ThumbnailFollower.h"
#include "follow/ViewerLoader.h"
#include "follow/ViewerPool.h"
#include "transfer/RefererPolicy.h"

#include <algorithm>
#include <utility>

namespace {

// Gallery pages are told apart by address without fragment.
QUrl pageKey(const QString& address) {
    QUrl key(address);
    key.setFragment(QString());
    return key;
}

} // namespace

GalleryFollower::GalleryFollower(QWebEngineProfile* profile, QObject* parent)
    : QObject(parent), pool(new ViewerPool(profile, this)) {}

GalleryFollower::~GalleryFollower() = default;

void GalleryFollower::Start(const FollowedList::Page& first, const PageSnapshot& snapshot,
                            const FollowOptions& chosen, bool follow, int pageBudget) {
    Begin(chosen, follow, pageBudget);
    Walk(first, snapshot);
}

void GalleryFollower::StartAt(const QUrl& first, const FollowOptions& chosen, bool follow,
                              int pageBudget, int timeoutMilliseconds) {
    Begin(chosen, follow, pageBudget);
    LoadGalleryPage(first, QString(), timeoutMilliseconds);
}

void GalleryFollower::Begin(const FollowOptions& chosen, bool follow, int pageBudget) {
    options = chosen;
    followThumbnails = follow;
    budget = pageBudget;
    nextPagesLeft = options.nextPages;
    running = true;
    // The viewer pages' engine processes start while the gallery page loads.
    if (followThumbnails)
        pool->Fill();
}

// The page's viewer pages not followed before, within the budget; the rest keep their lines.
std::vector<FollowTarget> GalleryFollower::NewTargets(const PageSnapshot& snapshot,
                                                      const QUrl& address) {
    if (!followThumbnails)
        return {};
    std::vector<FollowTarget> chosen = FollowTargets::Select(snapshot, address, options);
    // A picture in the link to the next page is no thumbnail.
    const QUrl next = FollowTargets::NextPage(snapshot, address, options);
    chosen.erase(std::remove_if(chosen.begin(), chosen.end(),
                                [this, &next](const FollowTarget& target) {
                                    return target.viewer == next ||
                                           viewerPages.contains(target.viewer);
                                }),
                 chosen.end());
    if (int(chosen.size()) > budget - loaded)
        chosen.resize(std::max(0, budget - loaded));
    for (const FollowTarget& target : chosen)
        viewerPages.insert(target.viewer);
    return chosen;
}

void GalleryFollower::Walk(const FollowedList::Page& page, const PageSnapshot& snapshot) {
    firstWalked = true;
    current = page;
    currentSnapshot = snapshot;
    galleryPages.insert(pageKey(page.address));
    targets = NewTargets(snapshot, QUrl(page.address));
    ++walked;
    const auto tell = [this](int done) {
        emit progress({done, int(targets.size()), walked, 1 + options.nextPages});
    };
    if (!targets.empty())
        tell(0);
    follower = std::make_unique<ThumbnailFollower>(*pool);
    connect(follower.get(), &ThumbnailFollower::progress, this, tell);
    connect(follower.get(), &ThumbnailFollower::finished, this, &GalleryFollower::PageFollowed);
    follower->Start(targets, options, QUrl(page.address), page.referrer);
}

void GalleryFollower::PageFollowed() {
    loaded += int(targets.size());
    const size_t imagesBefore = lines.Images().size();
    const size_t linksBefore = lines.Links().size();
    lines.AddPage(current, targets, follower->Results());
    currentAddresses.clear();
    for (size_t i = imagesBefore; i < lines.Images().size(); ++i)
        currentAddresses << lines.Images()[i].entry.address;
    for (size_t i = linksBefore; i < lines.Links().size(); ++i)
        currentAddresses << lines.Links()[i].entry.address;
    follower.release()->deleteLater(); // it is emitting
    if (!running)
        return;
    ContinueWith(currentSnapshot);
}

void GalleryFollower::ContinueWith(const PageSnapshot& snapshot) {
    const QUrl next = FollowTargets::NextPage(snapshot, QUrl(current.address), options);
    if (nextPagesLeft <= 0 || next.isEmpty() || galleryPages.contains(pageKey(next.toString())) ||
        loaded >= budget) {
        Finish();
        return;
    }
    if (enough && enough(current.address, currentAddresses)) {
        stoppedAfter = current.address;
        Finish();
        return;
    }
    --nextPagesLeft;
    ++loaded;
    if (followThumbnails)
        pool->Renew();
    LoadGalleryPage(next,
                    RefererPolicy(current.referrer.policy, current.referrer.elements)
                        .RefererFor(QUrl(current.address), next),
                    FollowOptions::PageMilliseconds);
}

void GalleryFollower::LoadGalleryPage(const QUrl& address, const QString& referer,
                                      int timeoutMilliseconds) {
    nextAddress = address;
    // No viewer page is followed meanwhile: the pool has a page free.
    nextLoader = pool->Take();
    connect(nextLoader, &ViewerLoader::scanned, this, &GalleryFollower::NextPageScanned);
    connect(nextLoader, &ViewerLoader::failed, this, &GalleryFollower::NextPageFailed);
    nextLoader->Load(address, referer, timeoutMilliseconds);
}

void GalleryFollower::NextPageScanned(const PageSnapshot& snapshot, const QString& location) {
    // A gallery page is not kept loaded while its thumbnails are followed.
    pool->Discard(std::exchange(nextLoader, nullptr));
    if (followThumbnails)
        pool->Fill();
    if (!firstWalked) {
        firstLocation = location;
        firstStyleWalkCut = snapshot.styleWalkCut;
    } else if (!MayWalk(location)) {
        Finish();
        return;
    }
    SnapshotEntries::Lists lists = SnapshotEntries::Scan(snapshot, options.minimumSize);
    Walk({location, StatedReferrer::Of(snapshot), std::move(lists.images), std::move(lists.links),
          snapshot.title},
         snapshot);
}

// A next page is judged where it ended up: a redirect neither leads the run off
// the site nor back to a page harvested before.
bool GalleryFollower::MayWalk(const QString& location) const {
    return FollowTargets::MayEndAt(QUrl(location), QUrl(current.address), options) &&
           !galleryPages.contains(pageKey(location));
}

void GalleryFollower::NextPageFailed(const QString& reason) {
    pool->Discard(std::exchange(nextLoader, nullptr));
    if (firstWalked)
        failures << QStringLiteral("%1: %2").arg(nextAddress.toString(), reason);
    else
        firstFailure = reason;
    Finish();
}

void GalleryFollower::Cancel() {
    if (!running)
        return;
    running = false;
    if (follower)
        follower->Cancel();
    Finish();
}

void GalleryFollower::Finish() {
    // Nothing stays loaded once the gallery is harvested.
    nextLoader = nullptr;
    pool->Close();
    running = false;
    emit finished();
}

void GalleryFollower::StopWhen(Enough chosen) {
    enough = std::move(chosen);
}

QString GalleryFollower::StoppedAfter() const {
    return stoppedAfter;
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

QString GalleryFollower::FirstPageFailure() const {
    return firstFailure;
}

QString GalleryFollower::FirstLocation() const {
    return firstLocation;
}

bool GalleryFollower::FirstStyleWalkCut() const {
    return firstStyleWalkCut;
}
