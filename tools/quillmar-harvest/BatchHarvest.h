#pragma once

#include "PageHarvester.h"
#include "core/Limits.h"
#include "follow/FollowOptions.h"
#include "follow/FollowedList.h"

#include <QObject>
#include <QStringList>

#include <memory>
#include <vector>

class GalleryFollower;

// Harvests addresses one after another in one engine: each page, then, when
// asked, the viewer pages of its thumbnails and its next pages. Prints each
// address's lists as it is done (a "page ADDRESS" line before each in a batch;
// one JSON object a line with --json) and keeps them for a download.
class BatchHarvest : public QObject {
    Q_OBJECT
public:
    struct Choice {
        int timeoutSeconds = Limits::DefaultPageTimeoutSeconds;
        PageHarvester::Mode mode;
        bool json = false;
        bool print = true;      // lists are printed; false when downloading
        bool pageLines = false; // "page ADDRESS" before each address's lists
        bool followThumbnails = false;
        bool walkNextPages = false; // --pages: load rel="next" pages
        FollowOptions follow;
        QString shard; // K/N, named in --json lines; empty: none
    };

    explicit BatchHarvest(const Choice& choice, QObject* parent = nullptr);
    ~BatchHarvest() override;

    // finished() follows once every address was tried.
    void Start(const QStringList& addresses);
    // What each harvested address gave, in order.
    const std::vector<FollowedList>& Harvests() const;
    // True when any page could not be harvested.
    bool AnyFailed() const;

signals:
    void finished();

private:
    void startNext();
    void pageHarvested();
    void startGallery();
    void galleryDone();
    void report(const FollowedList& lines, const QString& failure = QString());
    void failed(const QString& text);
    void cannotLoad(const QString& reason);

    Choice choice;
    QStringList addresses;
    int next = 0;
    int pagesLeft = 0;
    QString address;
    QString location;
    QString loadFailure; // why the engine said the page's load failed
    bool styleWalkCut = false;
    std::unique_ptr<PageHarvester> harvester;
    std::unique_ptr<GalleryFollower> gallery;
    std::vector<FollowedList> harvests;
    bool anyFailed = false;
};
