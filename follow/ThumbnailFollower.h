#pragma once

#include "follow/FollowOptions.h"
#include "follow/FollowResult.h"
#include "follow/FollowTarget.h"
#include "harvest/DomSnapshot.h"
#include "harvest/StatedReferrer.h"

#include <QObject>
#include <QUrl>

#include <vector>

class ViewerLoader;
class ViewerPool;

// Follows viewer pages in the hidden pages of a pool, as many at once as it
// has free, each reused for the next page and given back as soon as no page
// is left for it.
class ThumbnailFollower : public QObject {
    Q_OBJECT
public:
    explicit ThumbnailFollower(ViewerPool& pool, QObject* parent = nullptr);
    ~ThumbnailFollower() override;

    // finished() follows once every target has a result, also for no targets.
    // gallery and referrer: the page the targets are linked from, and its policy.
    void Start(const std::vector<FollowTarget>& targets, const FollowOptions& options,
               const QUrl& gallery, const StatedReferrer& referrer);
    // Gives every page back at once; the targets not done fail as stopped.
    void Cancel();
    // One per target, in the targets' order.
    const std::vector<FollowResult>& Results() const;

signals:
    void progress(int done, int total);
    void finished();

private:
    void FeedIdlePages();
    void Feed(ViewerLoader* loader);
    FollowResult PicturesOf(const PageSnapshot& snapshot, const QString& location) const;
    void Record(ViewerLoader* loader, FollowResult result);
    void FinishIfDone();

    ViewerPool& pool;
    std::vector<FollowTarget> targets;
    std::vector<FollowResult> results;
    std::vector<std::pair<ViewerLoader*, std::size_t>> busy; // loader, target index
    FollowOptions options;
    QUrl gallery;
    StatedReferrer referrer;
    std::size_t next = 0;
    int done = 0;
    bool running = false;
};
