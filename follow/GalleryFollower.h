#pragma once

#include "follow/FollowOptions.h"
#include "follow/FollowProgress.h"
#include "follow/FollowTarget.h"
#include "follow/FollowedList.h"

#include <QObject>
#include <QSet>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QWebEngineProfile;
class ThumbnailFollower;
class ViewerLoader;
class ViewerPool;

// Harvests a gallery from its first page on: follows each page's thumbnails
// to their viewer pages (when asked to), then loads the next page through
// rel="next" in a hidden page, up to the number of next pages asked for and
// within the run's page budget, gathering every page's lines in order. One
// pool of hidden pages serves the whole run.
class GalleryFollower : public QObject {
    Q_OBJECT
public:
    GalleryFollower(QWebEngineProfile* profile, QObject* parent = nullptr);
    ~GalleryFollower() override;

    // first: the gallery page as listed, snapshot: its Deep Scan. followThumbnails
    // false only walks the next pages. pageBudget: pages this run may still load.
    void Start(const FollowedList::Page& first, const PageSnapshot& snapshot,
               const FollowOptions& options, bool followThumbnails, int pageBudget);
    // The same from an address, loaded in a hidden page like the next pages,
    // given timeoutMilliseconds to load and settle.
    void StartAt(const QUrl& first, const FollowOptions& options, bool followThumbnails,
                 int pageBudget, int timeoutMilliseconds);
    // Closes every hidden page at once; finished() follows.
    void Cancel();
    // Asked, before a next page is loaded, with the gallery page just
    // harvested and the addresses of the pictures and links it gave: true
    // ends the walk there (a watch's check stops at what it saw before).
    using Enough = std::function<bool(const QString& page, const QStringList& addresses)>;
    void StopWhen(Enough enough);
    // The gallery page after which StopWhen ended the walk; empty when it did not.
    QString StoppedAfter() const;

    const FollowedList& Lines() const;
    // The pages loaded, viewer and next pages alike.
    int PagesLoaded() const;
    // One text per next page that could not be harvested.
    QStringList Failures() const;
    // After StartAt: why the first page could not be harvested ("timed out",
    // "cannot load the page"); empty when it was.
    QString FirstPageFailure() const;
    // Where the first page ended up, and whether its Deep Scan stopped
    // reading CSS backgrounds for time.
    QString FirstLocation() const;
    bool FirstStyleWalkCut() const;

signals:
    // As each viewer page of the gallery page at hand is followed.
    void progress(const FollowProgress& progress);
    void finished();

private:
    void Begin(const FollowOptions& options, bool followThumbnails, int pageBudget);
    std::vector<FollowTarget> NewTargets(const PageSnapshot& snapshot, const QUrl& address);
    void Walk(const FollowedList::Page& page, const PageSnapshot& snapshot);
    void PageFollowed();
    void NextPageScanned(const PageSnapshot& snapshot, const QString& location);
    bool MayWalk(const QString& location) const;
    void NextPageFailed(const QString& reason);
    void LoadGalleryPage(const QUrl& address, const QString& referer, int timeoutMilliseconds);
    void ContinueWith(const PageSnapshot& snapshot);
    void Finish();

    ViewerPool* pool; // every page of the run is loaded in its pages
    std::unique_ptr<ThumbnailFollower> follower;
    ViewerLoader* nextLoader = nullptr; // the pool's page loading a gallery page
    FollowedList lines;
    FollowOptions options;
    FollowedList::Page current;
    PageSnapshot currentSnapshot;
    std::vector<FollowTarget> targets;
    QStringList failures;
    Enough enough;
    QStringList currentAddresses; // what the gallery page at hand gave
    QString stoppedAfter;
    // Each gallery and each viewer page is loaded once a run; gallery pages
    // by where they ended up, after redirects.
    QSet<QUrl> galleryPages;
    QSet<QUrl> viewerPages;
    QUrl nextAddress;
    QString firstFailure;
    QString firstLocation;
    bool firstStyleWalkCut = false;
    bool firstWalked = false;
    bool followThumbnails = false;
    bool running = false;
    int budget = 0;
    int loaded = 0;
    int walked = 0; // gallery pages whose thumbnails were looked at
    int nextPagesLeft = 0;
};
