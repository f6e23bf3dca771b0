#pragma once

#include "fetch/DownloadCounts.h"
#include "fetch/DownloadFolders.h"
#include "fetch/DownloadJob.h"
#include "transfer/RatePacer.h"
#include "transfer/TransferLoop.h"

#include <QSet>
#include <QString>

#include <curl/curl.h>

#include <atomic>
#include <memory>
#include <vector>

class DownloadHandle;
class DownloadProgressSink;
class DownloadTransfer;

// Fetches the files of one job, up to job.Parallel at a time (job.PerSite
// connections to one host at most) over reused connections, each file when its
// host's turn in the shared HostSchedule comes, and writes each into its destination. Run blocks;
// it is meant for a thread of its own. Touches no window: everything shown goes to the sink. The
// job's folders are opened when the worker is made.
class DownloadWorker {
public:
    // sharedPace: a pace the job keeps to together with other jobs, instead of
    // its own job.Rules.MaxBytesPerSecond; its limit may change while the job runs.
    DownloadWorker(DownloadJob job, std::unique_ptr<DownloadProgressSink> sink,
                   std::shared_ptr<RatePacer> sharedPace = nullptr);
    ~DownloadWorker();
    DownloadWorker(const DownloadWorker&) = delete;
    DownloadWorker& operator=(const DownloadWorker&) = delete;

    // Downloads the whole job unless cancelled; returns the number of files saved
    // (already saved ones included).
    int Run();

    // Asks this worker to stop: every transfer ends at once, also while a
    // server stalls or a connection is being made, and its half-fetched files
    // are removed. Any thread.
    void RequestCancel();
    bool CancelRequested() const;
    // The same, but a half-fetched file kept under its partial name stays for
    // a later run to continue: the program is ending. Any thread.
    void RequestInterrupt();
    // Pauses (true) or resumes the job. Any thread.
    void RequestPause(bool pause);
    // The job's controls and totals, for its owner.
    std::shared_ptr<DownloadHandle> Handle() const { return handle; }

private:
    // One transfer and what it is doing.
    struct Slot {
        enum class State { Idle, Running, Waiting, Paused };
        std::unique_ptr<DownloadTransfer> transfer;
        State state = State::Idle;
    };

    bool WorkLeft() const;
    void StartTransfers();
    void RetryWhenDue(Slot& slot);
    bool IsDue(int index) const;
    void Book(const Slot& slot);
    void HoldHostWhenAsked(const Slot& slot);
    bool Add(Slot& slot);
    void CollectFinished();
    void Finished(Slot& slot, bool saved);
    void WaitForActivity();
    void ReleasePacedTransfers();
    void AbandonUnfinished();
    void PauseTransfers();
    void ResumeTransfers();
    void RecordTotals();
    Slot* SlotOf(CURL* handle);

    DownloadJob job;
    std::unique_ptr<DownloadProgressSink> sink;
    std::atomic<bool> cancelRequested{false};
    std::atomic<bool> interruptRequested{false};
    std::atomic<bool> pauseRequested{false};
    std::shared_ptr<DownloadHandle> handle;
    qint64 bytesDone = 0; // of the entries finished
    TransferLoop loop;    // drives every transfer; RequestCancel wakes it
    std::vector<Slot> workSlots;
    std::shared_ptr<RatePacer> pace; // the speed limit over all the job's transfers
    bool paceShared;
    DownloadFolders folders;         // opened when the job starts
    QSet<QString> savedDestinations; // shared by the transfers
    int nextEntry = 0;
    int filesLeft = 0;
    DownloadCounts counts; // the job's files not fetched included
};
