#include "view/PageScroller.h"

#include <QWebEnginePage>
#include <QWebEngineScript>

namespace {

// A step is over once the page stayed quiet this long, or after the longer
// time; at the end of the page it waits the longer time for a feed to answer.
constexpr qint64 quietMs = 300;
constexpr qint64 maximumSettleMs = 2000;
constexpr int pollMs = 100;

// The state lists: page height, elements, pictures still loading, at the end.
enum StateField { Height, Elements, Loading, AtEnd };

const char* const positionScript = "[window.scrollX, window.scrollY]";
const char* const stateScript =
    "(function () { var images = document.images, loading = 0;"
    " for (var i = 0; i < images.length; i++) if (!images[i].complete) loading++;"
    " var root = document.documentElement;"
    " return [root.scrollHeight, document.getElementsByTagName('*').length, loading,"
    " window.scrollY + window.innerHeight >= root.scrollHeight - 1]; })()";

// The state before the step, so the first poll already tells whether the step changed anything.
QString stepScript() {
    return QStringLiteral("(function () { var before = %1; window.scrollBy(0, window.innerHeight);"
                          " return before; })()")
        .arg(QLatin1String(stateScript));
}

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
    run(stepScript(), [this](const QVariantList& before) {
        stateBefore = before;
        lastState = before;
        stepStarted = clock.elapsed();
        lastChange = stepStarted;
        QTimer::singleShot(pollMs, this, &PageScroller::poll);
    });
}

bool PageScroller::grew() const {
    return lastState.value(Height).toDouble() > stateBefore.value(Height).toDouble() ||
           lastState.value(Elements).toInt() > stateBefore.value(Elements).toInt();
}

// Settled: height, elements and pictures in flight unchanged for a moment;
// at the end of a page that has not grown, only once a feed had the time to answer.
void PageScroller::poll() {
    if (done || returning)
        return;
    run(QString::fromLatin1(stateScript), [this](const QVariantList& state) {
        const qint64 now = clock.elapsed();
        if (state.mid(0, AtEnd) != lastState.mid(0, AtEnd))
            lastChange = now;
        lastState = state;
        const bool awaitingFeed = state.value(AtEnd).toBool() && !grew();
        if (now - stepStarted >= maximumSettleMs || (!awaitingFeed && now - lastChange >= quietMs))
            settled();
        else
            QTimer::singleShot(pollMs, this, &PageScroller::poll);
    });
}

void PageScroller::settled() {
    if (returning)
        return;
    if ((lastState.value(AtEnd).toBool() && !grew()) || steps >= MaxSteps)
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
