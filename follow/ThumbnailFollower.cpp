#include "follow/ThumbnailFollower.h"

#include "follow/FollowSummary.h"
#include "follow/FollowTargets.h"
#include "follow/PictureChoice.h"
#include "follow/ViewerLoader.h"
#include "follow/ViewerPool.h"
#include "transfer/RefererPolicy.h"

#include <algorithm>
#include <utility>

ThumbnailFollower::ThumbnailFollower(ViewerPool& pool, QObject* parent)
    : QObject(parent), pool(pool) {}

ThumbnailFollower::~ThumbnailFollower() {
    for (const auto& [loader, index] : busy)
        pool.Give(loader);
}

void ThumbnailFollower::Start(const std::vector<FollowTarget>& chosen,
                              const FollowOptions& chosenOptions, const QUrl& from,
                              const StatedReferrer& stated) {
    targets = chosen;
    options = chosenOptions;
    gallery = from;
    referrer = stated;
    results.assign(targets.size(), FollowResult());
    next = 0;
    done = 0;
    running = true;
    FeedIdlePages();
    // Without targets the caller still hears the end, after it has returned.
    QMetaObject::invokeMethod(this, &ThumbnailFollower::FinishIfDone, Qt::QueuedConnection);
}

// Every page the pool has free gets a target, while targets are left; each
// then goes on to the next target left.
void ThumbnailFollower::FeedIdlePages() {
    while (next < targets.size()) {
        ViewerLoader* loader = pool.Take();
        if (!loader)
            return;
        Feed(loader);
    }
}

void ThumbnailFollower::Feed(ViewerLoader* loader) {
    if (next >= targets.size()) {
        pool.Give(loader);
        return;
    }
    const std::size_t index = next++;
    busy.emplace_back(loader, index);
    const QString address = targets[index].viewer.toString();
    connect(loader, &ViewerLoader::scanned, this,
            [this, loader](const PageSnapshot& snapshot, const QString& location) {
                Record(loader, PicturesOf(snapshot, location));
            });
    connect(loader, &ViewerLoader::failed, this, [this, loader, address](const QString& reason) {
        Record(loader, {{}, address, StatedReferrer(), reason});
    });
    const QUrl& viewer = targets[index].viewer;
    loader->Load(viewer,
                 RefererPolicy(referrer.policy, referrer.elements).RefererFor(gallery, viewer));
}

// A viewer page is judged where it ended up: a redirect, by the server or by
// a script, must not lead the run off the gallery's site.
FollowResult ThumbnailFollower::PicturesOf(const PageSnapshot& snapshot,
                                           const QString& location) const {
    if (!FollowTargets::MayEndAt(QUrl(location), gallery, options))
        return {{}, location, StatedReferrer(), QStringLiteral("led to another site")};
    FollowResult result{
        PictureChoice::Take(snapshot, location, options.takeAll, options.minimumSize), location,
        StatedReferrer::Of(snapshot), QString(), snapshot.title};
    if (result.taken.empty())
        result.failure = FollowSummary::NoPictureReason();
    return result;
}

void ThumbnailFollower::Record(ViewerLoader* loader, FollowResult result) {
    const auto at = std::find_if(busy.begin(), busy.end(),
                                 [loader](const auto& entry) { return entry.first == loader; });
    if (at == busy.end())
        return;
    results[at->second] = std::move(result);
    busy.erase(at);
    loader->disconnect();
    ++done;
    emit progress(done, int(targets.size()));
    Feed(loader);
    FinishIfDone();
}

void ThumbnailFollower::Cancel() {
    if (!running)
        return;
    for (const auto& [loader, index] : busy)
        results[index] = {
            {}, targets[index].viewer.toString(), StatedReferrer(), FollowSummary::StoppedReason()};
    for (; next < targets.size(); ++next)
        results[next] = {
            {}, targets[next].viewer.toString(), StatedReferrer(), FollowSummary::StoppedReason()};
    for (const auto& [loader, index] : std::exchange(busy, {}))
        pool.Give(loader);
    done = int(targets.size());
    FinishIfDone();
}

void ThumbnailFollower::FinishIfDone() {
    if (!running || done < int(targets.size()))
        return;
    running = false;
    emit finished();
}

const std::vector<FollowResult>& ThumbnailFollower::Results() const {
    return results;
}
