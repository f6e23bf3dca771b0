#include "follow/PageFollow.h"

#include "engine/CBrowserEngine.h"
#include "follow/GalleryFollower.h"

#include <QWebEnginePage>

PageFollow::PageFollow(CBrowserEngine& engine, QObject* parent)
    : QObject(parent), engine(&engine) {}

PageFollow::~PageFollow() = default;

void PageFollow::Start(const FollowOptions& chosen) {
    options = chosen;
    running = true;
    QPointer<PageFollow> self(this);
    engine->TakeDeepSnapshot(
        [self](const PageSnapshot& snapshot) {
            if (self && self->running && !self->cancelled)
                self->Follow(snapshot);
        },
        CBrowserEngine::Placements::Read);
}

void PageFollow::Follow(const PageSnapshot& snapshot) {
    const Harvest scan = Harvest::Scan(snapshot, {true, options.minimumSize});
    const FollowedList::Page page{engine->Location(), StatedReferrer::Of(snapshot),
                                  scan.imageDetails, scan.linkDetails, snapshot.title};
    gallery = std::make_unique<GalleryFollower>(engine->Page()->profile());
    connect(gallery.get(), &GalleryFollower::progress, this, &PageFollow::progress);
    connect(gallery.get(), &GalleryFollower::finished, this, &PageFollow::Finish);
    gallery->Start(page, snapshot, options, true, options.pageLimit);
}

void PageFollow::Cancel() {
    if (!running)
        return;
    cancelled = true;
    if (gallery)
        gallery->Cancel();
    else
        Finish();
}

void PageFollow::Finish() {
    if (!running)
        return;
    running = false;
    if (gallery) {
        result = gallery->Lines().ToHarvest();
        summary = gallery->Lines().Summary();
        gallery.release()->deleteLater(); // it is emitting
    }
    emit finished();
}

const std::optional<Harvest>& PageFollow::Result() const {
    return result;
}

bool PageFollow::Cancelled() const {
    return cancelled;
}

const FollowSummary& PageFollow::Summary() const {
    return summary;
}
