#pragma once

#include "LineCollector.h"
#include "harvest/PageScan.h"

#include <QObject>
#include <QTimer>

class CBrowserEngine;
struct PageSnapshot;

// Loads one address in a browser engine without a window, scans the page like
// a browser view does and keeps the lists and maps for its caller.
class PageHarvester : public QObject {
    Q_OBJECT
public:
    enum class Outcome { Pending, Harvested, LoadFailed, TimedOut };

    explicit PageHarvester(QObject* parent = nullptr);
    ~PageHarvester() override;

    // Starts loading; finished() follows exactly once, at the latest after the timeout.
    void Start(const QString& address, int timeoutSeconds);

    Outcome Result() const;
    HarvestLines ImageLines() const;
    HarvestLines LinkLines() const;
    const HarvestMap& ImageMap() const;
    const HarvestMap& LinkMap() const;
    // The engine that loaded the page; its profile holds the page's cookies.
    CBrowserEngine& Engine() const;

signals:
    void finished();

private:
    void pageLoaded(bool succeeded);
    void scanSnapshot(const PageSnapshot& snapshot);
    void giveUp();
    void finish(Outcome outcome);

    CBrowserEngine* engine;
    QTimer deadline;
    LineCollector imageList;
    LineCollector linkList;
    HarvestMap imageMap;
    HarvestMap linkMap;
    Outcome outcome = Outcome::Pending;
};
