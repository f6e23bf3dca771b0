#include "follow/ViewerLoader.h"

#include "engine/CBrowserEngine.h"
#include "engine/LoadFailureText.h"
#include "follow/HiddenPage.h"

#include <QFile>
#include <QGuiApplication>
#include <QPointer>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineScript>
#include <QWebEngineView>

namespace {

const QString& settleScript() {
    static const QString script = [] {
        QFile file(QStringLiteral(":/settle.js"));
        file.open(QIODevice::ReadOnly);
        return QString::fromUtf8(file.readAll());
    }();
    return script;
}

constexpr int PollMilliseconds = 50;
// A scan that has not answered this long after the page's time ran out is given up.
constexpr int ScanGraceMilliseconds = 3000;

// Laid out and shown as far as the engine can tell, so lazy loaders fire. On
// a real display a window that is never mapped stalls the window's painting,
// so there it is a frameless window beyond every screen, which no window
// manager moves back into view.
void ShowOffScreen(CBrowserEngine& engine) {
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        engine.setAttribute(Qt::WA_DontShowOnScreen);
    } else {
        engine.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                              Qt::X11BypassWindowManagerHint);
        engine.setAttribute(Qt::WA_ShowWithoutActivating);
        engine.move(-32000, -32000);
    }
    engine.resize(1280, 800);
    engine.show();
}

} // namespace

ViewerLoader::ViewerLoader(QWebEngineProfile* profile, QObject* parent)
    : QObject(parent), profile(profile) {
    pollTimer.setInterval(PollMilliseconds);
    deadline.setSingleShot(true);
    connect(&pollTimer, &QTimer::timeout, this, &ViewerLoader::Poll);
    connect(&deadline, &QTimer::timeout, this, &ViewerLoader::DeadlinePassed);
    MakePage();
}

ViewerLoader::~ViewerLoader() {
    delete engine;
}

void ViewerLoader::MakePage() {
    engine = new CBrowserEngine;
    page = new HiddenPage(profile, engine->WebView());
    engine->SetPage(page);
    ShowOffScreen(*engine);
    connect(engine, &CBrowserEngine::loadStarted, this, &ViewerLoader::OnLoadStarted);
    connect(engine, &CBrowserEngine::loadFinished, this, &ViewerLoader::OnLoadFinished);
    connect(page, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo& info) {
        if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus)
            loadFailure = LoadFailureText::Describe(info);
    });
}

// A page that ran out of time may be stuck in a script that never returns; the
// next viewer page would wait behind it, so it gets a fresh one.
void ViewerLoader::ReplacePage() {
    delete engine;
    MakePage();
}

bool ViewerLoader::Owns(const QObject* other) const {
    return other == page;
}

void ViewerLoader::Load(const QUrl& viewer, const QString& referer, int timeoutMilliseconds) {
    ++generation;
    active = true;
    loading = loaded = loadFailed = scanning = overtime = false;
    lastSignature.clear();
    loadFailure.clear();
    dataRequestsBefore = page->DataRequests();
    subresourcesBefore = page->Subresources();
    // Earlier viewer pages are never gone back to: keep none of them alive.
    page->history()->clear();
    page->Open(viewer, referer);
    pollTimer.start();
    deadline.start(timeoutMilliseconds);
}

void ViewerLoader::OnLoadStarted() {
    loading = true;
    loadFailed = false;
}

void ViewerLoader::OnLoadFinished(bool succeeded) {
    loading = false;
    loaded = loaded || succeeded;
    loadFailed = !succeeded;
}

void ViewerLoader::Poll() {
    if (!active || scanning || loading)
        return;
    if (loadFailed && !loaded) {
        Fail(loadFailure.isEmpty() ? QStringLiteral("cannot load the page") : loadFailure);
        return;
    }
    if (!loaded)
        return;
    QPointer<ViewerLoader> self(this);
    const int asked = generation;
    page->runJavaScript(settleScript(), QWebEngineScript::ApplicationWorld,
                        [self, asked](const QVariant& state) {
                            if (self && self->generation == asked && self->active)
                                self->Compare(state.toMap());
                        });
}

void ViewerLoader::Compare(const QVariantMap& state) {
    const QString signature = state.value(QStringLiteral("state")).toString() + QLatin1Char(' ') +
                              QString::number(page->Requests());
    if (signature != lastSignature) {
        lastSignature = signature;
        quietSince.start();
        return;
    }
    if (quietSince.elapsed() >= QuietNeeded(state))
        Scan();
}

// A page that looks done (every picture loaded, every request it made seen
// answered in its own timeline) needs only a short quiet, long enough for a
// script that inserts its picture just after the load. Any other page waits
// as long as before; longer while a data request seems unanswered.
int ViewerLoader::QuietNeeded(const QVariantMap& state) const {
    const quint64 dataDone = state.value(QStringLiteral("dataDone")).toULongLong();
    if (page->DataRequests() - dataRequestsBefore > dataDone)
        return PendingQuietMilliseconds;
    const quint64 loadsDone = state.value(QStringLiteral("loadsDone")).toULongLong();
    const bool answered = page->Subresources() - subresourcesBefore <= loadsDone;
    return answered && state.value(QStringLiteral("done")).toBool() ? DoneQuietMilliseconds
                                                                    : QuietMilliseconds;
}

void ViewerLoader::Scan() {
    scanning = true;
    pollTimer.stop();
    QPointer<ViewerLoader> self(this);
    const int asked = generation;
    engine->TakeDeepSnapshot(
        [self, asked](const PageSnapshot& snapshot) {
            if (!self || self->generation != asked || !self->active)
                return;
            self->Stop();
            emit self->scanned(snapshot, self->engine->Location());
        },
        CBrowserEngine::Placements::Read);
}

// A page that never settles is scanned as it is; one that never loaded has failed.
void ViewerLoader::DeadlinePassed() {
    if (!overtime && loaded) {
        overtime = true;
        deadline.start(ScanGraceMilliseconds);
        if (!scanning)
            Scan();
        return;
    }
    Stop();
    ReplacePage();
    emit failed(QStringLiteral("timed out"));
}

void ViewerLoader::Fail(const QString& reason) {
    Stop();
    emit failed(reason);
}

void ViewerLoader::Stop() {
    active = false;
    ++generation;
    pollTimer.stop();
    deadline.stop();
}
