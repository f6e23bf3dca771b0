#include "PageHarvester.h"

#include "ToolLogins.h"
#include "engine/CBrowserEngine.h"
#include "follow/HiddenPage.h"
#include "harvest/ListOrder.h"
#include "transfer/HostSchedule.h"
#include "view/PageScroller.h"

#include <QPointer>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <algorithm>
#include <limits>

PageHarvester::PageHarvester(QObject* parent) : QObject(parent), engine(new CBrowserEngine) {
    // Nobody sees the page: its dialogs must not hold the load.
    engine->SetPage(new HiddenPage(ToolLogins::Profile(), engine->WebView()));
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, this, &PageHarvester::giveUp);
    connect(engine, &CBrowserEngine::loadFinished, this, &PageHarvester::pageLoaded);
}

PageHarvester::~PageHarvester() {
    delete engine;
}

void PageHarvester::Start(const QString& address, int timeoutSeconds, const Mode& harvestMode) {
    mode = harvestMode;
    engine->Page()->settings()->setAttribute(QWebEngineSettings::AutoLoadImages,
                                             mode.loadPictures || mode.deep || mode.scroll);
    // Scrolling needs the page laid out as it grows. Deep Scan needs only its
    // first screen, shown again once the page has loaded: shown all along, the
    // engine would lay out and paint the page again and again while it loads.
    // Shown once, the page keeps the window's size while hidden, so responsive
    // pages choose the pictures a reader's window would.
    if (mode.deep || mode.scroll) {
        ShowOffScreen();
        if (!mode.scroll)
            engine->hide();
    }
    const auto now = HostSchedule::Clock::now();
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(
        HostSchedule::Shared().Book(QUrl::fromUserInput(address), now) - now);
    if (wait.count() > 0)
        QTimer::singleShot(wait, this,
                           [this, address, timeoutSeconds] { Navigate(address, timeoutSeconds); });
    else
        Navigate(address, timeoutSeconds);
}

// Loads address now, giving it timeoutSeconds.
void PageHarvester::Navigate(const QString& address, int timeoutSeconds) {
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
    disconnect(engine, &CBrowserEngine::loadFinished, this, &PageHarvester::pageLoaded);
    if (mode.deep && !mode.scroll) {
        ShowOffScreen();
        AwaitFirstScreen(firstScreenTries);
        return;
    }
    if (!mode.scroll) {
        takeSnapshot();
        return;
    }
    auto* scroller = new PageScroller(engine->Page(), this);
    connect(scroller, &PageScroller::finished, this, &PageHarvester::takeSnapshot);
    scroller->Start();
}

// Without a shown view of a desktop size nothing is ever in view, so lazy
// loaders never fire and scrolling moves nothing. Laid out and shown as far as
// the engine can tell, yet never on a real screen.
void PageHarvester::ShowOffScreen() {
    engine->setAttribute(Qt::WA_DontShowOnScreen);
    engine->resize(1280, 800);
    engine->show();
}

namespace {

// True once two frames have been drawn since the first call, so lazy loaders
// watching the first screen have fired, and no picture in that screen is
// still loading.
const char* const firstScreenSettled = R"(
(function () {
    'use strict';
    var state = window.quillmarFirstScreen || (window.quillmarFirstScreen = {frames: 0});
    if (state.frames === 0) {
        state.frames = 1;
        requestAnimationFrame(function () {
            requestAnimationFrame(function () { state.frames = 2; });
        });
    }
    if (state.frames < 2) return false;
    var images = Object.getOwnPropertyDescriptor(Document.prototype, 'images').get.call(document);
    for (var i = 0; i < images.length; i++) {
        if (images[i].complete) continue;
        var box = images[i].getBoundingClientRect();
        if (box.bottom > 0 && box.top < innerHeight && box.right > 0 && box.left < innerWidth)
            return false;
    }
    return true;
})()
)";

} // namespace

// Polls every 50 ms; a first screen that has not settled by the last try is scanned as it is.
void PageHarvester::AwaitFirstScreen(int triesLeft) {
    QPointer<PageHarvester> self(this);
    engine->Page()->runJavaScript(QString::fromLatin1(firstScreenSettled),
                                  QWebEngineScript::ApplicationWorld,
                                  [self, triesLeft](const QVariant& settled) {
                                      if (!self || self->outcome != Outcome::Pending)
                                          return;
                                      if (settled.toBool() || triesLeft <= 1)
                                          self->takeSnapshot();
                                      else
                                          QTimer::singleShot(50, self, [self, triesLeft] {
                                              if (self)
                                                  self->AwaitFirstScreen(triesLeft - 1);
                                          });
                                  });
}

void PageHarvester::takeSnapshot() {
    auto scan = [this](const PageSnapshot& snapshot) { scanSnapshot(snapshot); };
    if (mode.deep)
        engine->TakeDeepSnapshot(scan, mode.placements ? CBrowserEngine::Placements::Read
                                                       : CBrowserEngine::Placements::Skip);
    else
        engine->TakeSnapshot(scan);
}

void PageHarvester::scanSnapshot(const PageSnapshot& snapshot) {
    if (outcome != Outcome::Pending)
        return;
    harvest = Harvest::Scan(snapshot, {mode.deep, mode.minimumSize});
    lastSnapshot = snapshot;
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
    return Harvest::InListOrder(harvest.imageLines);
}

HarvestLines PageHarvester::LinkLines() const {
    return Harvest::InListOrder(harvest.linkLines);
}

const HarvestMap& PageHarvester::ImageMap() const {
    return harvest.imageMap;
}

const HarvestMap& PageHarvester::LinkMap() const {
    return harvest.linkMap;
}

CBrowserEngine& PageHarvester::Engine() const {
    return *engine;
}

const Harvest& PageHarvester::Found() const {
    return harvest;
}

namespace {

// A plain scan knows only names and addresses.
std::vector<DeepEntry> entriesOf(const HarvestLines& lines, const QString& source) {
    std::vector<DeepEntry> entries;
    for (const HarvestLine& line : lines)
        entries.push_back({line.name, line.address, source, 0, 0, false});
    return entries;
}

std::vector<DeepEntry> inListOrder(std::vector<DeepEntry> entries) {
    std::stable_sort(entries.begin(), entries.end(), [](const DeepEntry& a, const DeepEntry& b) {
        return ListOrder::LessThan(a.name, b.name);
    });
    return entries;
}

} // namespace

std::vector<DeepEntry> PageHarvester::ImageEntries() const {
    return mode.deep ? inListOrder(harvest.imageDetails)
                     : entriesOf(ImageLines(), QStringLiteral("img"));
}

std::vector<DeepEntry> PageHarvester::LinkEntries() const {
    return mode.deep ? inListOrder(harvest.linkDetails) : entriesOf(LinkLines(), QString());
}

bool PageHarvester::StyleWalkCut() const {
    return harvest.styleWalkCut;
}

const PageSnapshot& PageHarvester::Snapshot() const {
    return lastSnapshot;
}
