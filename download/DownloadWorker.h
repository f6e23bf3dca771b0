#pragma once

#include "download/DownloadCounts.h"
#include "download/DownloadFolders.h"
#include "download/DownloadJob.h"

#include <QSet>
#include <QString>

#include <curl/curl.h>

#include <atomic>
#include <memory>
#include <vector>

class DownloadProgressSink;
class DownloadTransfer;

// Fetches the files of one job, up to job.Parallel at a time over reused
// connections, and writes each into its destination. Run blocks; it is meant
// for a thread of its own. Touches no window: everything shown goes to the sink.
// The job's folders are opened when the worker is made.
class DownloadWorker {
public:
    DownloadWorker(DownloadJob job, std::unique_ptr<DownloadProgressSink> sink);
    ~DownloadWorker();
    DownloadWorker(const DownloadWorker&) = delete;
    DownloadWorker& operator=(const DownloadWorker&) = delete;

    // Downloads the whole job unless cancelled; returns the number of files saved
    // (already saved ones included).
    int Run();

    // Asks this worker to stop: every transfer ends at once, also while a
    // server stalls or a connection is being made. Any thread.
    void RequestCancel();
    bool CancelRequested() const;

private:
    // One transfer and what it is doing.
    struct Slot {
        enum class State { Idle, Running, Waiting };
        std::unique_ptr<DownloadTransfer> transfer;
        State state = State::Idle;
    };

    bool WorkLeft() const;
    void StartTransfers();
    bool StartNextEntry(Slot& slot);
    void RetryWhenDue(Slot& slot);
    bool Add(Slot& slot);
    void CollectFinished();
    void Finished(Slot& slot, bool saved);
    void WaitForActivity();
    void AbandonUnfinished();
    Slot* SlotOf(CURL* handle);

    DownloadJob job;
    std::unique_ptr<DownloadProgressSink> sink;
    std::atomic<bool> cancelRequested{false};
    CURLM* multi; // drives every transfer; RequestCancel wakes it
    std::vector<Slot> workSlots;
    DownloadFolders folders;         // opened when the job starts
    QSet<QString> savedDestinations; // shared by the transfers
    int nextEntry = 0;
    int filesLeft = 0;
    DownloadCounts counts; // the job's files not fetched included
};
