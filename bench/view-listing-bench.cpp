// Measures a browser view on big generated pages inside the real main frame:
// from load complete until both lists, the maps and the counters show the
// page, i.e. snapshot, scan and filling the sorted lists; against a bare
// script call in the same view that returns the page's addresses.

#include "BenchPage.h"

#include "app/CQuillmarApp.h"
#include "engine/CBrowserEngine.h"
#include "engine/EngineEnvironment.h"
#include "frame/CChildFrame.h"
#include "frame/CDocTemplate.h"
#include "frame/CHarvestList.h"
#include "frame/CMainFrame.h"
#include "frame/CQuillmarDoc.h"
#include "support/FrameControls.h"
#include "view/CQuillmarView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int repetitions = 5;

// Runs the event loop until done() holds; false after a minute.
template <typename Condition> bool waitFor(Condition done) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > 60000)
            return false;
        QEventLoop loop;
        QTimer::singleShot(1, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

// Milliseconds from download complete to the listed page; negative on failure.
double timeListing(CQuillmarView& view, const QString& path) {
    QElapsedTimer clock;
    bool completed = false;
    const auto connection = QObject::connect(view.Engine(), &CBrowserEngine::loadFinished, [&] {
        clock.start();
        completed = true;
    });
    view.Engine()->Navigate(path);
    const bool listed = waitFor([&] { return completed && !view.LoadInProgress(); });
    QObject::disconnect(connection);
    return listed ? clock.nsecsElapsed() / 1e6 : -1;
}

// Milliseconds for a script that only reads the addresses of the page shown.
double timeBareCall(CQuillmarView& view) {
    QElapsedTimer clock;
    clock.start();
    double elapsed = -1;
    view.Engine()->Page()->runJavaScript(
        BenchPage::BareScript(), QWebEngineScript::ApplicationWorld,
        [&](const QVariant&) { elapsed = clock.nsecsElapsed() / 1e6; });
    return waitFor([&] { return elapsed >= 0; }) ? elapsed : -1;
}

} // namespace

int main(int argc, char* argv[]) {
    EngineEnvironment::prepareProcess();
    QApplication application(argc, argv);
    QTemporaryDir folder;
    CDocTemplate docTemplate(
        [](CQuillmarDoc* document) { return new CQuillmarView(document->TakeStartAddress()); });
    CMainFrame frame;
    if (!folder.isValid() || !frame.Create())
        return 1;
    CQuillmarApp::SetMainFrame(&frame);
    frame.show();
    CChildFrame* child = docTemplate.OpenNewDocument(frame);
    auto* view = child ? qobject_cast<CQuillmarView*>(child->View()) : nullptr;
    if (!view || !waitFor([view] { return !view->History().isEmpty(); }))
        return 1;

    std::printf("%8s %8s | %-26s | %-26s | %s\n", "images", "links", "listing ms: min median max",
                "bare call ms: min median max", "median ratio");
    for (int count : {10000, 100000}) {
        const QString page = BenchPage::Write(folder.path(), count);
        std::vector<double> times;
        std::vector<double> bares;
        for (int i = 0; i < repetitions; ++i) {
            times.push_back(timeListing(*view, page));
            bares.push_back(timeBareCall(*view));
        }
        std::sort(times.begin(), times.end());
        std::sort(bares.begin(), bares.end());
        if (times.front() < 0 || bares.front() < 0 ||
            FrameControls(frame).linkList->count() != count)
            return 1;
        const double listing = times[times.size() / 2];
        const double bare = bares[bares.size() / 2];
        std::printf("%8d %8d | %8.0f %8.0f %8.0f | %8.0f %8.0f %8.0f | %.2f\n",
                    FrameControls(frame).imageList->count(), FrameControls(frame).linkList->count(),
                    times.front(), listing, times.back(), bares.front(), bare, bares.back(),
                    listing / bare);
    }
    CQuillmarApp::SetMainFrame(nullptr);
    return 0;
}
