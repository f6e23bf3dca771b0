#pragma once

#include "follow/FollowOptions.h"
#include "follow/FollowResult.h"
#include "follow/FollowTarget.h"
#include "harvest/DomSnapshot.h"
#include "harvest/StatedReferrer.h"

#include <QObject>
#include <QUrl>

#include <vector>

class QWebEngineDownloadRequest;
class QWebEngineProfile;
class ViewerLoader;

// Follows viewer pages in a small pool of hidden pages, at most
// FollowOptions::MaxHiddenPages at once, each reused for the next page and
// closed as soon as no page is left for it, so memory does not grow with the
// number of pages. The pages share the profile, and so the cookies, of the
// page they were found on.
class ThumbnailFollower : public QObject {
    Q_OBJECT
public:
    ThumbnailFollower(QWebEngineProfile* profile, QObject* parent = nullptr);
    ~ThumbnailFollower() override;

    // finished() follows once every target has a result, also for no targets.
    // gallery and referrer: the page the targets are linked from, and its policy.
    void Start(const std::vector<FollowTarget>& targets, const FollowOptions& options,
               const QUrl& gallery, const StatedReferrer& referrer);
    // Closes every hidden page at once; the targets not done fail as stopped.
    void Cancel();
    // One per target, in the targets' order.
    const std::vector<FollowResult>& Results() const;

signals:
    void progress(int done, int total);
    void finished();

private:
    void Feed(ViewerLoader* loader);
    FollowResult PicturesOf(const PageSnapshot& snapshot, const QString& location) const;
    void Record(ViewerLoader* loader, FollowResult result);
    void Close(ViewerLoader* loader);
    void RefuseDownload(QWebEngineDownloadRequest* download);
    void FinishIfDone();

    QWebEngineProfile* profile;
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
