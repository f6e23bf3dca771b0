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

#include <limits>

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
    connect(page, &QWebEnginePage::loadingChanged, this, &ViewerLoader::OnLoadingChanged);
    connect(page, &QWebEnginePage::urlChanged, this, &ViewerLoader::OnCommitted);
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
    navigated = committed = loaded = loadFailed = parsed = scanning = overtime = false;
    lastSignature.clear();
    loadFailure.clear();
    dataRequestsBefore = page->DataRequests();
    subresourcesBefore = page->Subresources();
    // Earlier viewer pages are never gone back to: keep none of them alive.
    page->history()->clear();
    const int wait = page->Open(viewer, referer);
    pollTimer.start();
    // The time for the page starts as it is asked for.
    deadline.start(
        int(std::min<qint64>(qint64(timeoutMilliseconds) + wait, std::numeric_limits<int>::max())));
}

// The engine tells of a load only once no other is under way: the end of a
// load it was told to leave may still come after the next Load, and is not
// this page's until this page's load has started or its document has come.
// A new load makes the document shown stale until the next one comes.
void ViewerLoader::OnLoadingChanged(const QWebEngineLoadingInfo& info) {
    switch (info.status()) {
    case QWebEngineLoadingInfo::LoadStartedStatus:
        navigated = true;
        committed = loaded = loadFailed = false;
        break;
    case QWebEngineLoadingInfo::LoadSucceededStatus:
        loaded = loaded || navigated;
        break;
    case QWebEngineLoadingInfo::LoadFailedStatus:
        if (navigated) {
            loadFailed = true;
            loadFailure = LoadFailureText::Describe(info);
        }
        break;
    default: // stopped: by us, after the page was scanned
        break;
    }
}

// The address changes as a new document (or the same one, at another address)
// takes the page: from now on the page shows what this Load asked for, until
// it asks for another document.
void ViewerLoader::OnCommitted() {
    navigated = committed = true;
    documentsAtCommit = page->Documents();
    lastSignature.clear();
}

void ViewerLoader::Poll() {
    if (!active || scanning)
        return;
    if (loadFailed && !loaded) {
        Fail(loadFailure.isEmpty() ? QStringLiteral("cannot load the page") : loadFailure);
        return;
    }
    if (!navigated)
        return;
    QPointer<ViewerLoader> self(this);
    const int asked = generation;
    page->runJavaScript(settleScript(), QWebEngineScript::ApplicationWorld,
                        [self, asked](const QVariant& state) {
                            if (self && self->generation == asked && self->active)
                                self->Compare(state.toMap());
                        });
}

// Whether the state read is of the document this Load asked for, and it is
// parsed: loaded whole, or come and no other document asked for since.
bool ViewerLoader::IsCurrent(const QVariantMap& state) const {
    return loaded || (committed && page->Documents() == documentsAtCommit &&
                      state.value(QStringLiteral("parsed")).toBool());
}

void ViewerLoader::Compare(const QVariantMap& state) {
    if (!IsCurrent(state)) {
        lastSignature.clear();
        return;
    }
    parsed = true;
    const QString signature = state.value(QStringLiteral("state")).toString() + QLatin1Char(' ') +
                              QString::number(page->Requests());
    if (signature != lastSignature) {
        lastSignature = signature;
        quietSince.start();
        return;
    }
    if (quietSince.elapsed() >= QuietNeeded(state) && PicturesSized(state))
        Scan();
}

// A page whose load has not ended is settled once what it still loads is only
// pictures whose size has come: their address and box are known, and the
// rest of their bytes is the download's to fetch, at the server's pace.
bool ViewerLoader::PicturesSized(const QVariantMap& state) const {
    if (state.value(QStringLiteral("complete")).toBool())
        return true;
    if (state.value(QStringLiteral("unsized")).toInt() > 0)
        return false;
    const qint64 unanswered = qint64(page->Subresources() - subresourcesBefore) -
                              state.value(QStringLiteral("loadsDone")).toLongLong();
    return unanswered <= state.value(QStringLiteral("sized")).toLongLong();
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
            // What is still coming is for the download, not for this page.
            if (!self->loaded)
                self->engine->Stop();
            emit self->scanned(snapshot, self->engine->Location());
        },
        CBrowserEngine::Placements::Read);
}

// A page that never settles is scanned as it is; one whose document never came has failed.
void ViewerLoader::DeadlinePassed() {
    if (!overtime && parsed) {
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
