#pragma once

#include "fetch/DownloadJob.h"
#include "fetch/DownloadWorker.h"

#include <condition_variable>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

class DownloadHandle;
class DownloadProgressSink;
class RatePacer;

// The program-wide download state: every running worker with its thread.
// DownloadRunning holds while at least one worker runs; a cancellation request
// reaches exactly the workers running when it is made.
class DownloadRegistry {
public:
    DownloadRegistry() = default;
    // Cancels and waits for every worker still running.
    ~DownloadRegistry();
    DownloadRegistry(const DownloadRegistry&) = delete;
    DownloadRegistry& operator=(const DownloadRegistry&) = delete;

    // The registry the program's commands use.
    static DownloadRegistry& Instance();

    // Starts a worker for the job on a thread of its own, keeping to
    // sharedPace when given; the worker owns the job and the sink from here
    // on. Returns the job's handle, null when no thread could be created.
    std::shared_ptr<DownloadHandle> Start(DownloadJob job,
                                          std::unique_ptr<DownloadProgressSink> sink,
                                          std::shared_ptr<RatePacer> sharedPace = nullptr);

    bool DownloadRunning() const;
    int RunningCount() const;
    // CancelRequested for every worker running now; workers started later are
    // not affected.
    void RequestCancelAll();
    // The program is ending: every worker running now stops, keeping its
    // half-fetched files and its place in the download queue for the next start.
    void RequestInterruptAll();
    // For the end of the program: stops every running worker and waits until
    // all have ended, so none outlives the objects it reports to. Their
    // half-fetched files kept under partial names stay, to be continued.
    void CancelAllAndWait();

private:
    struct Slot {
        std::unique_ptr<DownloadWorker> worker; // released as soon as it has run
        std::thread thread;
        bool finished = false;
    };

    void RunSlot(Slot* slot);
    void JoinFinished();

    mutable std::mutex lock;
    std::condition_variable workerEnded;
    std::list<Slot> workers;
    int running = 0;
};
