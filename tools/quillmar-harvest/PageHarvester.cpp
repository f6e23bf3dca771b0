#include "PageHarvester.h"

#include "SilentPage.h"
#include "view/CBrowserEngine.h"

#include <QWebEngineView>

#include <algorithm>
#include <limits>

PageHarvester::PageHarvester(QObject* parent) : QObject(parent), engine(new CBrowserEngine) {
    // Nobody sees the page: its dialogs must not hold the load.
    engine->WebView()->setPage(new SilentPage(engine->WebView()));
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, this, &PageHarvester::giveUp);
    connect(engine, &CBrowserEngine::downloadComplete, this, &PageHarvester::pageLoaded);
}

PageHarvester::~PageHarvester() {
    delete engine;
}

void PageHarvester::Start(const QString& address, int timeoutSeconds) {
    // The timer counts milliseconds in an int; longer waits are as good as endless.
    deadline.start(std::min(timeoutSeconds, std::numeric_limits<int>::max() / 1000) * 1000);
    // Text that is no address fails at once, after the caller got to its event loop.
    if (!engine->Navigate(address))
        QMetaObject::invokeMethod(
            this, [this] { finish(Outcome::LoadFailed); }, Qt::QueuedConnection);
}

void PageHarvester::pageLoaded(bool succeeded) {
    // A load that ends after the timeout (Stop reports it as failed) is no longer awaited.
    if (outcome != Outcome::Pending)
        return;
    if (!succeeded) {
        finish(Outcome::LoadFailed);
        return;
    }
    // Loads the page starts itself later must not start a second scan.
    disconnect(engine, &CBrowserEngine::downloadComplete, this, &PageHarvester::pageLoaded);
    engine->TakeSnapshot([this](const PageSnapshot& snapshot) { scanSnapshot(snapshot); });
}

void PageHarvester::scanSnapshot(const PageSnapshot& snapshot) {
    if (outcome != Outcome::Pending)
        return;
    PageScan(imageList, imageMap, linkList, linkMap).ScanPage(snapshot);
    finish(Outcome::Harvested);
}

void PageHarvester::giveUp() {
    engine->Stop();
    finish(Outcome::TimedOut);
}

void PageHarvester::finish(Outcome result) {
    if (outcome != Outcome::Pending)
        return;
    deadline.stop();
    outcome = result;
    emit finished();
}

PageHarvester::Outcome PageHarvester::Result() const {
    return outcome;
}

HarvestLines PageHarvester::ImageLines() const {
    return imageList.SortedLines();
}

HarvestLines PageHarvester::LinkLines() const {
    return linkList.SortedLines();
}

const HarvestMap& PageHarvester::ImageMap() const {
    return imageMap;
}

const HarvestMap& PageHarvester::LinkMap() const {
    return linkMap;
}

CBrowserEngine& PageHarvester::Engine() const {
    return *engine;
}
