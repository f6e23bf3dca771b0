#include "engine/CBrowserEngine.h"

#include "engine/BrowserProfile.h"
#include "engine/ScanPage.h"
#include "engine/ShownPageScan.h"
#include "harvest/SnapshotConverter.h"
#include "transfer/EngineCookieJar.h"

#include <QFile>
#include <QJsonDocument>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

namespace {

// The program's own pages (qrc:, the about page) have no frames to ask, and a
// fresh scan lists them at once: the scripts that run as a document is made
// are left off them, which spares the isolated world the engine would make
// for them, about 7 ms of the about page's load as the browser starts.
QString OnWebPagesOnly(const QString& script) {
    return QStringLiteral("// ==UserScript==\n// @exclude qrc:*\n// ==/UserScript==\n") + script;
}

QString ScriptFlag(CBrowserEngine::Placements placements) {
    return placements == CBrowserEngine::Placements::Read ? QStringLiteral("true")
                                                          : QStringLiteral("false");
}

} // namespace

CBrowserEngine::CBrowserEngine(QWidget* parent) : QWidget(parent), view(new QWebEngineView(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
    connectEngineEvents();
    if (QWebEngineProfile* profile = BrowserProfile::Current())
        SetPage(new ScanPage(profile, view));
    else
        SetPage(new ScanPage(view));
}

void CBrowserEngine::SetPage(ScanPage* page) {
    view->setPage(page);
    installFrameListener();
    shownScan = new ShownPageScan(page, OnWebPagesOnly(shownScanScript()),
                                  [this](const QVariantMap& report) { takeShownScan(report); });
    shownScan->SetEnabled(scansWhenShown);
    connect(page, &ScanPage::frameReport, this,
            [this](int ask, const QString& path, const QJsonObject& findings) {
                if (ask == askNumber)
                    frameAnswers.insert(path, findings);
            });
}

CBrowserEngine::~CBrowserEngine() {
    // The page may answer pending scripts while it goes; nobody must hear them.
    answersSnapshots = false;
    delete view;
}

void CBrowserEngine::connectEngineEvents() {
    connect(view, &QWebEngineView::loadStarted, this, [this] {
        forgetShownScan();
        ++loadsStarted;
        loadSnapshotOpen = true;
        addressSinceLoadStarted = false;
        emit loadStarted();
    });
    // A document loaded at the address shown before (a reload) changes no
    // address: it counts as a new title once it has loaded.
    connect(view, &QWebEngineView::loadFinished, this, [this](bool succeeded) {
        if (succeeded && !addressSinceLoadStarted)
            emit titleChange(view->title());
        emit loadFinished(succeeded);
    });
    connect(view, &QWebEngineView::loadProgress, this,
            [this](int progress) { emit progressChange(progress, 100); });
    connect(view, &QWebEngineView::titleChanged, this, &CBrowserEngine::titleChange);
    // Qt reports a title only when its text changes; every committed navigation
    // of the main frame (back, forward, reload, #fragment, history API) counts
    // as a new title too, so the address shown always follows the page.
    connect(view, &QWebEngineView::urlChanged, this, [this] {
        addressSinceLoadStarted = true;
        emit titleChange(view->title());
    });
    connect(view, &QWebEngineView::printFinished, this, &CBrowserEngine::finishPrinting);
}

QUrl CBrowserEngine::AboutPageUrl() {
    return QUrl(QStringLiteral("qrc:/about.html"));
}

void CBrowserEngine::LoadAboutPage() {
    view->load(AboutPageUrl());
}

bool CBrowserEngine::Navigate(const QString& address) {
    const QUrl url = QUrl::fromUserInput(address);
    if (!url.isValid() || url.isEmpty())
        return false;
    view->load(url);
    return true;
}

void CBrowserEngine::GoBack() {
    view->back();
}

void CBrowserEngine::GoForward() {
    view->forward();
}

void CBrowserEngine::Reload() {
    view->reload();
}

void CBrowserEngine::Stop() {
    view->stop();
}

void CBrowserEngine::Print(QPrinter& printer, std::function<void(bool)> done) {
    // The engine prints one page at a time; a second request fails at once.
    if (printDone) {
        if (done)
            done(false);
        return;
    }
    printDone = done ? std::move(done) : [](bool) {};
    view->print(&printer);
}

void CBrowserEngine::finishPrinting(bool success) {
    auto done = std::move(printDone);
    printDone = nullptr;
    if (done)
        done(success);
}

QString CBrowserEngine::Location() const {
    return view->url().toString();
}

void CBrowserEngine::TakeSnapshot(std::function<void(const PageSnapshot&)> done) {
    QPointer<CBrowserEngine> engine(this);
    view->page()->runJavaScript(
        scanScript(), QWebEngineScript::ApplicationWorld,
        [engine, done = std::move(done)](const QVariant& result) mutable {
            if (engine && engine->answersSnapshots)
                engine->readReferrer(SnapshotConverter::FromScriptResult(result), std::move(done));
        });
}

void CBrowserEngine::ScanPagesWhenShown(bool enabled) {
    scansWhenShown = enabled;
    shownScan->SetEnabled(enabled);
}

void CBrowserEngine::forgetShownScan() {
    loadSnapshotOpen = false;
    shownSnapshot.reset();
    loadSnapshotDone = nullptr;
}

// A report from a page the view has left, or one that comes after the load's
// first snapshot was answered, describes nothing shown now.
void CBrowserEngine::takeShownScan(const QVariantMap& report) {
    if (!answersSnapshots || !loadSnapshotOpen ||
        report.value(QStringLiteral("address")).toString() != Location())
        return;
    PageSnapshot snapshot = SnapshotConverter::FromScriptResult(report);
    SnapshotConverter::ReadReferrer(report, snapshot);
    if (loadSnapshotDone)
        answerLoadSnapshot(std::move(snapshot));
    else
        shownSnapshot = std::move(snapshot);
}

void CBrowserEngine::answerLoadSnapshot(PageSnapshot snapshot) {
    auto done = std::move(loadSnapshotDone);
    forgetShownScan();
    keepReferrerPolicy(snapshot);
    done(snapshot);
}

void CBrowserEngine::TakeLoadSnapshot(std::function<void(const PageSnapshot&)> done) {
    if (!loadSnapshotOpen) {
        TakeSnapshot(std::move(done));
        return;
    }
    if (shownSnapshot) {
        refreshReferrerPolicy();
        // Answered later on this thread, as a fresh snapshot would be.
        loadSnapshotDone = std::move(done);
        QPointer<CBrowserEngine> engine(this);
        QTimer::singleShot(0, this, [engine] {
            if (engine && engine->answersSnapshots && engine->loadSnapshotDone &&
                engine->shownSnapshot)
                engine->answerLoadSnapshot(std::move(*engine->shownSnapshot));
        });
        return;
    }
    loadSnapshotDone = std::move(done);
    QPointer<CBrowserEngine> engine(this);
    TakeSnapshot([engine](const PageSnapshot& snapshot) {
        if (engine && engine->loadSnapshotDone)
            engine->answerLoadSnapshot(snapshot);
    });
}

// The page's Referrer-Policy header may have been read only after the page
// scanned itself; the downloads use what is known by the time they start.
void CBrowserEngine::refreshReferrerPolicy() {
    readReferrer(PageSnapshot(), [](const PageSnapshot&) {});
}

// The policy as the engine applied it lives with Deep Scan's script.
// A reading that answers after another load has begun describes a page since
// left: the downloads do not keep it.
void CBrowserEngine::readReferrer(PageSnapshot snapshot,
                                  std::function<void(const PageSnapshot&)> done) {
    QPointer<CBrowserEngine> engine(this);
    const quint64 load = loadsStarted;
    view->page()->runJavaScript(referrerTask(), QWebEngineScript::ApplicationWorld,
                                [engine, load, snapshot = std::move(snapshot),
                                 done = std::move(done)](const QVariant& result) mutable {
                                    if (!engine || !engine->answersSnapshots)
                                        return;
                                    SnapshotConverter::ReadReferrer(result, snapshot);
                                    if (engine->loadsStarted == load)
                                        engine->keepReferrerPolicy(snapshot);
                                    done(snapshot);
                                });
}

void CBrowserEngine::keepReferrerPolicy(const PageSnapshot& snapshot) {
    statedReferrerPolicy = RefererPolicy(snapshot.referrerPolicy, snapshot.elementReferrerPolicies);
}

RefererPolicy CBrowserEngine::StatedReferrerPolicy() const {
    return statedReferrerPolicy;
}

JobOrigin CBrowserEngine::DownloadOrigin() const {
    const EngineCookieJar* cookies = EngineCookieJar::ForProfile(Page()->profile());
    return {QUrl(Location()), StatedReferrerPolicy(), cookies->CurlCookieLines(), Page()->title()};
}

// Every frame answers the Deep Scan's questions, whatever its origin.
void CBrowserEngine::installFrameListener() {
    QWebEngineScript listener;
    listener.setName(QStringLiteral("quillmar-deep-scan-listener"));
    listener.setSourceCode(OnWebPagesOnly(deepScanScript() + QStringLiteral("({task: 'listen'})")));
    listener.setWorldId(QWebEngineScript::ApplicationWorld);
    listener.setInjectionPoint(QWebEngineScript::DocumentCreation);
    listener.setRunsOnSubFrames(true);
    view->page()->scripts().insert(listener);
}

void CBrowserEngine::TakeDeepSnapshot(std::function<void(const PageSnapshot&)> done,
                                      Placements placements) {
    QPointer<CBrowserEngine> engine(this);
    frameAnswers = QJsonObject();
    view->page()->runJavaScript(
        deepScanScript() + QStringLiteral("({task: 'ask', ask: %1, placements: %2})")
                               .arg(++askNumber)
                               .arg(ScriptFlag(placements)),
        QWebEngineScript::ApplicationWorld,
        [engine, placements, done = std::move(done)](const QVariant& asked) mutable {
            if (engine && engine->answersSnapshots)
                engine->awaitFrameAnswers(asked.toInt(), 20, placements, std::move(done));
        });
}

// Looks every 50 ms; a frame that has not answered within a second is left out.
void CBrowserEngine::awaitFrameAnswers(int asked, int triesLeft, Placements placements,
                                       std::function<void(const PageSnapshot&)> done) {
    if (frameAnswers.size() >= asked || triesLeft <= 0) {
        runDeepScan(placements, std::move(done));
        return;
    }
    QPointer<CBrowserEngine> engine(this);
    QTimer::singleShot(
        50, this, [engine, asked, triesLeft, placements, done = std::move(done)]() mutable {
            if (engine && engine->answersSnapshots)
                engine->awaitFrameAnswers(asked, triesLeft - 1, placements, std::move(done));
        });
}

// The answers travel as JSON written here, so a forged one is data, never code.
void CBrowserEngine::runDeepScan(Placements placements,
                                 std::function<void(const PageSnapshot&)> done) {
    QPointer<CBrowserEngine> engine(this);
    const QString answers =
        QString::fromUtf8(QJsonDocument(frameAnswers).toJson(QJsonDocument::Compact));
    view->page()->runJavaScript(
        deepScanScript() + QStringLiteral("({task: 'scan', placements: %1, answers: %2})")
                               .arg(ScriptFlag(placements), answers),
        QWebEngineScript::ApplicationWorld,
        [engine, done = std::move(done)](const QVariant& result) {
            if (!engine || !engine->answersSnapshots)
                return;
            const PageSnapshot snapshot = SnapshotConverter::FromScriptResult(result);
            engine->keepReferrerPolicy(snapshot);
            done(snapshot);
        });
}

QWebEngineView* CBrowserEngine::WebView() const {
    return view;
}

QWebEnginePage* CBrowserEngine::Page() const {
    return view->page();
}

namespace {

QString ResourceText(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
}

} // namespace

const QString& CBrowserEngine::scanScript() {
    static const QString script = ResourceText(QStringLiteral(":/scan.js"));
    return script;
}

const QString& CBrowserEngine::deepScanScript() {
    static const QString script = ResourceText(QStringLiteral(":/deepscan.js"));
    return script;
}

QString CBrowserEngine::referrerTask() {
    return deepScanScript() + QStringLiteral("({task: 'referrer'})");
}

// The handler called with its two readers; each reader's text is an
// expression that may begin with comments, hence the parentheses.
const QString& CBrowserEngine::shownScanScript() {
    static const QString script = ResourceText(QStringLiteral(":/shownscan.js")) +
                                  QStringLiteral("(function () { return (\n") + scanScript() +
                                  QStringLiteral("\n); }, function () { return (\n") +
                                  referrerTask() + QStringLiteral("\n); });");
    return script;
}

// Compiled here so linking this class does not pull in the moc code of other classes.
#include "moc_CBrowserEngine.cpp"
