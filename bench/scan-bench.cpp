// Measures the page scan on big generated pages: from load complete to
// filled lists and maps, against a bare script call returning the same
// addresses as one flat array.

#include "BenchPage.h"

#include "engine/CBrowserEngine.h"
#include "engine/EngineEnvironment.h"
#include "harvest/DeepPageScan.h"
#include "harvest/ListOrder.h"
#include "harvest/ListSink.h"
#include "harvest/PageScan.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineScript>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int repetitions = 5;

class LineVector : public ListSink {
public:
    void AddString(const QString& line, const QString& address) override {
        lines.push_back({line, address});
    }
    std::vector<HarvestLine> lines;
};

bool load(CBrowserEngine& engine, const QString& path) {
    QEventLoop loop;
    bool succeeded = false;
    QObject::connect(&engine, &CBrowserEngine::loadFinished, &loop, [&](bool ok) {
        succeeded = ok;
        loop.quit();
    });
    engine.Navigate(path);
    loop.exec();
    return succeeded;
}

struct ScanTimes {
    double scanMs = 0; // snapshot, conversion, walk, lists and maps filled
    double sortMs = 0; // putting the list lines in list order
    int lines = 0;
    int entries = 0;
    bool styleWalkCut = false;
};

ScanTimes timeScan(CBrowserEngine& engine, bool deep = false) {
    QEventLoop loop;
    ScanTimes times;
    QElapsedTimer clock;
    clock.start();
    auto scan = [&](const PageSnapshot& snapshot) {
        LineVector imageList;
        LineVector linkList;
        HarvestMap imageMap;
        HarvestMap linkMap;
        if (deep)
            DeepPageScan(imageList, imageMap, linkList, linkMap).ScanPage(snapshot);
        else
            PageScan(imageList, imageMap, linkList, linkMap).ScanPage(snapshot);
        times.styleWalkCut = snapshot.styleWalkCut;
        times.scanMs = clock.nsecsElapsed() / 1e6;
        QElapsedTimer sortClock;
        sortClock.start();
        std::sort(imageList.lines.begin(), imageList.lines.end(), ListOrder());
        std::sort(linkList.lines.begin(), linkList.lines.end(), ListOrder());
        times.sortMs = sortClock.nsecsElapsed() / 1e6;
        times.lines = int(imageList.lines.size() + linkList.lines.size());
        times.entries = PageScan::AddressCount(imageMap) + PageScan::AddressCount(linkMap);
        loop.quit();
    };
    if (deep)
        engine.TakeDeepSnapshot(scan);
    else
        engine.TakeSnapshot(scan);
    loop.exec();
    return times;
}

double timeBareCall(CBrowserEngine& engine, int& addresses) {
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    double elapsed = 0;
    engine.Page()->runJavaScript(BenchPage::BareScript(), QWebEngineScript::ApplicationWorld,
                                 [&](const QVariant& result) {
                                     addresses = int(result.toList().size());
                                     elapsed = clock.nsecsElapsed() / 1e6;
                                     loop.quit();
                                 });
    loop.exec();
    return elapsed;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void benchPage(CBrowserEngine& engine, const QString& folder, int count) {
    const QString path = BenchPage::Write(folder, count);
    QElapsedTimer loadClock;
    loadClock.start();
    if (!load(engine, path)) {
        std::fprintf(stderr, "scan-bench: cannot load %s\n", qPrintable(path));
        return;
    }
    const double loadMs = loadClock.nsecsElapsed() / 1e6;
    std::vector<double> scans, sorts, bares, deeps;
    ScanTimes times;
    int addresses = 0;
    timeScan(engine); // warm-up
    timeBareCall(engine, addresses);
    ScanTimes deepTimes = timeScan(engine, true);
    for (int i = 0; i < repetitions; ++i) {
        deepTimes = timeScan(engine, true);
        deeps.push_back(deepTimes.scanMs);
        times = timeScan(engine);
        scans.push_back(times.scanMs);
        sorts.push_back(times.sortMs);
        bares.push_back(timeBareCall(engine, addresses));
    }
    const double scan = median(scans);
    const double bare = median(bares);
    std::printf("%7d + %-7d load %8.1f ms | scan %8.1f ms (min %8.1f) | list sort %6.1f ms | "
                "bare call %8.1f ms (min %8.1f) | scan/bare %.2f | %d lines, %d entries, %d "
                "addresses\n",
                count, count, loadMs, scan, *std::min_element(scans.begin(), scans.end()),
                median(sorts), bare, *std::min_element(bares.begin(), bares.end()), scan / bare,
                times.lines, times.entries, addresses);
    const double deep = median(deeps);
    std::printf("%7d + %-7d Deep Scan %8.1f ms (min %8.1f) | deep/scan %.2f | %d lines, %d "
                "entries%s\n",
                count, count, deep, *std::min_element(deeps.begin(), deeps.end()), deep / scan,
                deepTimes.lines, deepTimes.entries,
                deepTimes.styleWalkCut ? " | CSS backgrounds cut short" : "");
}

} // namespace

// Usage: scan-bench [ELEMENT-COUNT...] (default: 10000 100000)
int main(int argc, char* argv[]) {
    EngineEnvironment::prepareProcess();
    QApplication application(argc, argv);
    QTemporaryDir folder;
    QList<int> counts;
    for (const QString& argument : QCoreApplication::arguments().mid(1))
        counts << argument.toInt();
    if (counts.isEmpty())
        counts = {10000, 100000};
    CBrowserEngine engine;
    for (int count : counts)
        benchPage(engine, folder.path(), count);
    return 0;
}
