#pragma once

#include "follow/FollowOptions.h"
#include "follow/FollowProgress.h"
#include "follow/FollowSummary.h"
#include "harvest/Harvest.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <optional>

class CBrowserEngine;
class GalleryFollower;

// Follow Thumbnails for a browser window: Deep-Scans the page its engine
// shows, follows that page's thumbnails (and next pages) in hidden pages and
// gives the window's new harvest.
class PageFollow : public QObject {
    Q_OBJECT
public:
    PageFollow(CBrowserEngine& engine, QObject* parent);
    ~PageFollow() override;

    void Start(const FollowOptions& options);
    // Closes every hidden page at once; finished() follows with what was done.
    void Cancel();
    // The new harvest; none when it was cancelled before the page was scanned.
    const std::optional<Harvest>& Result() const;
    bool Cancelled() const;
    // What following the viewer pages came to.
    const FollowSummary& Summary() const;

signals:
    void progress(const FollowProgress& progress);
    void finished();

private:
    void Follow(const PageSnapshot& snapshot);
    void Finish();

    QPointer<CBrowserEngine> engine;
    std::unique_ptr<GalleryFollower> gallery;
    FollowOptions options;
    std::optional<Harvest> result;
    FollowSummary summary;
    bool running = false;
    bool cancelled = false;
};
