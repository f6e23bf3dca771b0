#include "view/CBrowserEngine.h"

#include "download/EngineCookieJar.h"
#include "harvest/SnapshotConverter.h"
#include "view/BrowserProfile.h"

#include <QFile>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QUuid>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

CBrowserEngine::CBrowserEngine(QWidget* parent)
    : QWidget(parent), view(new QWebEngineView(this)),
      frameSecret(QUuid::createUuid().toString(QUuid::Id128)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
    connectEngineEvents();
    if (QWebEngineProfile* profile = BrowserProfile::Current())
        SetPage(new QWebEnginePage(profile, view));
    else
        installFrameListener();
}

void CBrowserEngine::SetPage(QWebEnginePage* page) {
    view->setPage(page);
    installFrameListener();
}

CBrowserEngine::~CBrowserEngine() {
    // The page may answer pending scripts while it goes; nobody must hear them.
    answersSnapshots = false;
    delete view;
}

void CBrowserEngine::connectEngineEvents() {
    connect(view, &QWebEngineView::loadStarted, this, &CBrowserEngine::downloadBegin);
    connect(view, &QWebEngineView::loadFinished, this, &CBrowserEngine::downloadComplete);
    connect(view, &QWebEngineView::loadProgress, this,
            [this](int progress) { emit progressChange(progress, 100); });
    connect(view, &QWebEngineView::titleChanged, this, &CBrowserEngine::titleChange);
    // Qt reports a title only when its text changes; every committed navigation
    // of the main frame (back, forward, reload, #fragment, history API) counts
    // as a new title too, so the address shown always follows the page.
    connect(view, &QWebEngineView::urlChanged, this, [this] { emit titleChange(view->title()); });
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
    view->page()->runJavaScript(scanScript(), QWebEngineScript::ApplicationWorld,
                                [engine, done = std::move(done)](const QVariant& result) {
                                    if (!engine || !engine->answersSnapshots)
                                        return;
                                    const PageSnapshot snapshot =
                                        SnapshotConverter::FromScriptResult(result);
                                    engine->statedReferrerPolicy = snapshot.referrerPolicy;
                                    done(snapshot);
                                });
}

QString CBrowserEngine::StatedReferrerPolicy() const {
    return statedReferrerPolicy;
}

JobOrigin CBrowserEngine::DownloadOrigin() const {
    const EngineCookieJar* cookies = EngineCookieJar::ForProfile(Page()->profile());
    return {QUrl(Location()), RefererPolicy(StatedReferrerPolicy()), cookies->CurlCookieLines()};
}

// Every frame answers the Deep Scan's questions, whatever its origin.
void CBrowserEngine::installFrameListener() {
    QWebEngineScript listener;
    listener.setName(QStringLiteral("quillmar-deep-scan-listener"));
    listener.setSourceCode(deepScanScript() +
                           QStringLiteral("({task: 'listen', secret: '%1'})").arg(frameSecret));
    listener.setWorldId(QWebEngineScript::ApplicationWorld);
    listener.setInjectionPoint(QWebEngineScript::DocumentCreation);
    listener.setRunsOnSubFrames(true);
    view->page()->scripts().insert(listener);
}

void CBrowserEngine::TakeDeepSnapshot(std::function<void(const PageSnapshot&)> done) {
    QPointer<CBrowserEngine> engine(this);
    view->page()->runJavaScript(
        deepScanScript() + QStringLiteral("({task: 'ask', secret: '%1'})").arg(frameSecret),
        QWebEngineScript::ApplicationWorld,
        [engine, done = std::move(done)](const QVariant& asked) mutable {
            if (!engine || !engine->answersSnapshots)
                return;
            if (asked.toInt() > 0)
                engine->awaitFrameAnswers(20, std::move(done));
            else
                engine->runDeepScan(std::move(done));
        });
}

// Polls every 50 ms; a frame that has not answered within a second is left out.
void CBrowserEngine::awaitFrameAnswers(int triesLeft,
                                       std::function<void(const PageSnapshot&)> done) {
    QPointer<CBrowserEngine> engine(this);
    QTimer::singleShot(50, this, [engine, triesLeft, done = std::move(done)]() mutable {
        if (!engine || !engine->answersSnapshots)
            return;
        engine->view->page()->runJavaScript(
            deepScanScript() + QStringLiteral("({task: 'pending'})"),
            QWebEngineScript::ApplicationWorld,
            [engine, triesLeft, done = std::move(done)](const QVariant& pending) mutable {
                if (!engine || !engine->answersSnapshots)
                    return;
                if (pending.toInt() > 0 && triesLeft > 1)
                    engine->awaitFrameAnswers(triesLeft - 1, std::move(done));
                else
                    engine->runDeepScan(std::move(done));
            });
    });
}

void CBrowserEngine::runDeepScan(std::function<void(const PageSnapshot&)> done) {
    QPointer<CBrowserEngine> engine(this);
    view->page()->runJavaScript(
        deepScanScript() + QStringLiteral("({task: 'scan'})"), QWebEngineScript::ApplicationWorld,
        [engine, done = std::move(done)](const QVariant& result) {
            if (!engine || !engine->answersSnapshots)
                return;
            const PageSnapshot snapshot = SnapshotConverter::FromScriptResult(result);
            engine->statedReferrerPolicy = snapshot.referrerPolicy;
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

// Compiled here so linking this class does not pull in the moc code of other classes.
#include "moc_CBrowserEngine.cpp"
