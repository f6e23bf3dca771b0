#pragma once

#include "PageHarvester.h"
#include "core/Limits.h"
#include "follow/FollowOptions.h"
#include "follow/FollowedList.h"

#include <QHash>
#include <QObject>
#include <QStringList>

#include <functional>
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
        bool progress = true;       // a progress line on a terminal's standard error
        FollowOptions follow;
        bool similar = false; // lists are printed by PrintAll, once look-alikes are known
        QString shard;        // K/N, named in --json lines; empty: none
        // Asked before each next page with the page just harvested and what it
        // gave; true stops the walk there. Empty: walk as far as asked.
        std::function<bool(const QString& page, const QStringList& addresses)> enoughPages;
    };

    explicit BatchHarvest(const Choice& choice, QObject* parent = nullptr);
    ~BatchHarvest() override;

    // finished() follows once every address was tried.
    void Start(const QStringList& addresses);
    // What each harvested address gave, in order.
    const std::vector<FollowedList>& Harvests() const;
    // True when any page could not be harvested.
    bool AnyFailed() const;
    // Why the last address could not be harvested ("timed out", the engine's
    // reason); empty when it was.
    QString LastFailure() const;
    // The gallery page after which enoughPages stopped the walk of the last
    // address; empty when it did not.
    QString StoppedAfter() const;
    // Prints every address's lists, as each is done without --similar: lines
    // keptFor gives a better look-alike of are left out, or in JSON name it.
    void PrintAll(const QHash<QString, QString>& keptFor) const;

signals:
    void finished();

private:
    void startNext();
    void pageHarvested();
    void startGallery();
    void galleryDone();
    void report(const FollowedList& lines, const QString& failure = QString());
    void ShowProgress(const QString& text);
    void TellFollowed(const FollowedList& lines);
    // The lists of the harvest at index; keptFor as PrintAll takes it, null without --similar.
    void Print(size_t index, const QHash<QString, QString>* keptFor) const;
    // text: what is told; reason: why, without the address.
    void failed(const QString& text, const QString& reason);
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
    // Of each harvest: the address given, the page's own and whether its CSS walk was cut.
    struct Printed {
        QString address;
        QString location;
        bool styleWalkCut = false;
        QString failure; // why the page counts as failed; empty: harvested whole
    };
    std::vector<Printed> printed;
    bool anyFailed = false;
    QString lastFailure;
    QString stoppedAfter;
    bool progressShown = false; // a progress line waits on standard error to be replaced
};
