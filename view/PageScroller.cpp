#include "view/PageScroller.h"

#include <QWebEnginePage>
#include <QWebEngineScript>

namespace {

// A step waits at least this long for loaders to react, at most the longer time.
constexpr qint64 minimumSettleMs = 300;
constexpr qint64 maximumSettleMs = 2000;
constexpr int pollMs = 100;

const char* const positionScript = "[window.scrollX, window.scrollY]";
const char* const stepScript = "(function () { window.scrollBy(0, window.innerHeight);"
                               " return [document.documentElement.scrollHeight]; })()";
const char* const stateScript =
    "(function () { var images = document.images, loading = 0;"
    " for (var i = 0; i < images.length; i++) if (!images[i].complete) loading++;"
    " var root = document.documentElement;"
    " return [root.scrollHeight, loading,"
    " window.scrollY + window.innerHeight >= root.scrollHeight - 1]; })()";

} // namespace

PageScroller::PageScroller(QWebEnginePage* page, QObject* parent) : QObject(parent), page(page) {
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, this, &PageScroller::returnToReader);
}

void PageScroller::Start() {
    clock.start();
    deadline.start(MaxMilliseconds);
    run(QString::fromLatin1(positionScript), [this](const QVariantList& position) {
        readerPosition = position;
        step();
    });
}

// Runs a script in the isolated world and hands its array to next; a page
// that is gone or answers nothing ends the walk.
void PageScroller::run(const QString& script, std::function<void(const QVariantList&)> next) {
    if (!page) {
        finish();
        return;
    }
    QPointer<PageScroller> self(this);
    page->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                        [self, next = std::move(next)](const QVariant& result) {
                            if (!self || self->done)
                                return;
                            if (result.typeId() != QMetaType::QVariantList)
                                self->finish();
                            else
                                next(result.toList());
                        });
}

void PageScroller::step() {
    if (done || returning)
        return;
    ++steps;
    run(QString::fromLatin1(stepScript), [this](const QVariantList& state) {
        heightBefore = state.value(0).toDouble();
        stepStarted = clock.elapsed();
        lastState.clear();
        QTimer::singleShot(pollMs, this, &PageScroller::poll);
    });
}

// Settled: page height and pictures in flight unchanged between two polls.
void PageScroller::poll() {
    if (done || returning)
        return;
    run(QString::fromLatin1(stateScript), [this](const QVariantList& state) {
        const qint64 waited = clock.elapsed() - stepStarted;
        const bool steady = state.mid(0, 2) == lastState.mid(0, 2);
        lastState = state;
        if ((steady && waited >= minimumSettleMs) || waited >= maximumSettleMs)
            settled();
        else
            QTimer::singleShot(pollMs, this, &PageScroller::poll);
    });
}

void PageScroller::settled() {
    if (returning)
        return;
    const bool grew = lastState.value(0).toDouble() > heightBefore;
    const bool atEnd = lastState.value(2).toBool();
    if ((atEnd && !grew) || steps >= MaxSteps)
        returnToReader();
    else
        step();
}

void PageScroller::returnToReader() {
    if (done || returning)
        return;
    returning = true;
    deadline.stop();
    const QString script = QStringLiteral("window.scrollTo(%1, %2); [window.scrollY]")
                               .arg(readerPosition.value(0).toDouble())
                               .arg(readerPosition.value(1).toDouble());
    run(script, [this](const QVariantList&) { finish(); });
}

void PageScroller::finish() {
    if (done)
        return;
    done = true;
    deadline.stop();
    emit finished();
}
