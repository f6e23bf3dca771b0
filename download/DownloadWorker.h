#pragma once

#include "download/DownloadJob.h"

#include <QString>

#include <atomic>
#include <memory>

class DownloadProgressSink;

// Fetches the files of one job one after the other over a single reused
// connection and writes each into its destination. Run blocks; it is meant for
// a thread of its own. Touches no window: everything shown goes to the sink.
class DownloadWorker {
public:
    DownloadWorker(DownloadJob job, std::unique_ptr<DownloadProgressSink> sink);
    ~DownloadWorker();
    DownloadWorker(const DownloadWorker&) = delete;
    DownloadWorker& operator=(const DownloadWorker&) = delete;

    // Downloads the whole job unless cancelled; returns the number of files saved.
    int Run();

    // Asks this worker to stop: it ends within one transfer block, or within
    // about a second while a server stalls or a connection is being made. Any thread.
    void RequestCancel();
    bool CancelRequested() const;

private:
    DownloadJob job;
    std::unique_ptr<DownloadProgressSink> sink;
    std::atomic<bool> cancelRequested{false};
};
