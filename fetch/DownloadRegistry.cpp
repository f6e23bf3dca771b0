#include "fetch/DownloadRegistry.h"

#include "fetch/DownloadHandle.h"
#include "fetch/DownloadProgressSink.h"
#include "fetch/DownloadWorker.h"

#include <system_error>

DownloadRegistry::~DownloadRegistry() {
    CancelAllAndWait();
}

DownloadRegistry& DownloadRegistry::Instance() {
    static DownloadRegistry registry;
    return registry;
}

std::shared_ptr<DownloadHandle> DownloadRegistry::Start(DownloadJob job,
                                                        std::unique_ptr<DownloadProgressSink> sink,
                                                        std::shared_ptr<RatePacer> sharedPace) {
    JoinFinished();
    std::lock_guard<std::mutex> guard(lock);
    Slot& slot = workers.emplace_back();
    slot.worker =
        std::make_unique<DownloadWorker>(std::move(job), std::move(sink), std::move(sharedPace));
    try {
        slot.thread = std::thread(&DownloadRegistry::RunSlot, this, &slot);
    } catch (const std::system_error&) {
        workers.pop_back();
        return nullptr;
    }
    ++running;
    return slot.worker->Handle();
}

bool DownloadRegistry::DownloadRunning() const {
    return RunningCount() > 0;
}

int DownloadRegistry::RunningCount() const {
    std::lock_guard<std::mutex> guard(lock);
    return running;
}

void DownloadRegistry::RequestCancelAll() {
    std::lock_guard<std::mutex> guard(lock);
    for (Slot& slot : workers) {
        if (!slot.finished)
            slot.worker->Handle()->Cancel();
    }
}

void DownloadRegistry::RequestInterruptAll() {
    std::lock_guard<std::mutex> guard(lock);
    for (Slot& slot : workers) {
        if (!slot.finished)
            slot.worker->RequestInterrupt();
    }
}

void DownloadRegistry::CancelAllAndWait() {
    RequestInterruptAll();
    std::list<Slot> ending;
    {
        std::unique_lock<std::mutex> guard(lock);
        workerEnded.wait(guard, [this] { return running == 0; });
        ending.swap(workers);
    }
    for (Slot& slot : ending)
        slot.thread.join();
}

void DownloadRegistry::RunSlot(Slot* slot) {
    slot->worker->Run();
    std::lock_guard<std::mutex> guard(lock);
    slot->worker.reset();
    slot->finished = true;
    --running;
    workerEnded.notify_all();
}

// Threads that have ended are joined on the next start, so they never pile up.
void DownloadRegistry::JoinFinished() {
    std::list<Slot> ended;
    {
        std::lock_guard<std::mutex> guard(lock);
        for (auto it = workers.begin(); it != workers.end();) {
            auto next = std::next(it);
            if (it->finished)
                ended.splice(ended.end(), workers, it);
            it = next;
        }
    }
    for (Slot& slot : ended)
        slot.thread.join();
}
