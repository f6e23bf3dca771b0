#pragma once

#include "harvest/Harvest.h"

#include <QObject>
#include <QSize>
#include <QTimer>

class CBrowserEngine;

struct HarvestMode {
    bool deep = false;       // Deep Scan instead of the plain scan
    bool scroll = false;     // scroll to the page's end before scanning
    QSize minimumSize;       // Deep Scan leaves out images known to be smaller
    bool placements = false; // Deep Scan reads where pictures are drawn and lead, to follow them
    // The plain scan reads addresses only: false spares the site the pictures' requests.
    bool loadPictures = true;
};

// Loads one address in a browser engine without a window, scans the page like
// a browser view does and keeps the lists and maps for its caller.
class PageHarvester : public QObject {
    Q_OBJECT
public:
    enum class Outcome { Pending, Harvested, LoadFailed, TimedOut };

    explicit PageHarvester(QObject* parent = nullptr);
    ~PageHarvester() override;

    using Mode = HarvestMode;

    // Starts loading once the host's turn comes (HostSchedule); finished()
    // follows exactly once, at the latest the timeout after that.
    void Start(const QString& address, int timeoutSeconds, const Mode& mode = Mode());

    Outcome Result() const;
    HarvestLines ImageLines() const;
    HarvestLines LinkLines() const;
    const HarvestMap& ImageMap() const;
    const HarvestMap& LinkMap() const;
    // Every listed entry in list order, with size and source after a Deep Scan.
    std::vector<DeepEntry> ImageEntries() const;
    std::vector<DeepEntry> LinkEntries() const;
    // True when a Deep Scan had to stop reading CSS backgrounds early.
    bool StyleWalkCut() const;
    // What the scan read of the page.
    const PageSnapshot& Snapshot() const;
    // The engine that loaded the page; its profile holds the page's cookies.
    CBrowserEngine& Engine() const;
    // What the scan found, lines in the order found.
    const Harvest& Found() const;

signals:
    void finished();

private:
    void Navigate(const QString& address, int timeoutSeconds);
    void pageLoaded(bool succeeded);
    void ShowOffScreen();
    void AwaitFirstScreen(int triesLeft);
    void takeSnapshot();
    void scanSnapshot(const PageSnapshot& snapshot);
    void giveUp();
    void finish(Outcome outcome);

    // A second at 50 ms a try.
    static constexpr int firstScreenTries = 20;

    CBrowserEngine* engine;
    QTimer deadline;
    Harvest harvest;
    PageSnapshot lastSnapshot;
    Mode mode;
    Outcome outcome = Outcome::Pending;
};
