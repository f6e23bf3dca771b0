#include "PageHarvester.h"

#include "view/CBrowserEngine.h"

PageHarvester::PageHarvester(QObject* parent) : QObject(parent), engine(new CBrowserEngine) {
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, this, &PageHarvester::giveUp);
    connect(engine, &CBrowserEngine::downloadComplete, this, &PageHarvester::pageLoaded);
}

PageHarvester::~PageHarvester() {
    delete engine;
}

void PageHarvester::Start(const QString& address, int timeoutSeconds) {
    deadline.start(timeoutSeconds * 1000);
    engine->Navigate(address);
}

void PageHarvester::pageLoaded(bool succeeded) {
    // Only the first completed load counts; later ones come from the page itself.
    if (outcome != Outcome::Pending || !deadline.isActive())
        return;
    if (!succeeded) {
        finish(Outcome::LoadFailed);
        return;
    }
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

QStringList PageHarvester::ImageLines() const {
    return imageList.SortedLines();
}

QStringList PageHarvester::LinkLines() const {
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
