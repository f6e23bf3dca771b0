#include "fetch/DownloadWorker.h"

#include "core/Limits.h"
#include "fetch/DownloadHandle.h"
#include "fetch/DownloadProgressSink.h"
#include "fetch/DownloadTransfer.h"
#include "transfer/HostSchedule.h"

#include <algorithm>

namespace {

// The longest sleep between looks at the transfers; curl wakes earlier for its own timers.
constexpr int PollMilliseconds = 1000;

} // namespace

DownloadWorker::DownloadWorker(DownloadJob job, std::unique_ptr<DownloadProgressSink> sink,
                               std::shared_ptr<RatePacer> sharedPace)
    : job(std::move(job)), sink(std::move(sink)), handle(std::make_shared<DownloadHandle>(this)),
      pace(sharedPace ? sharedPace
                      : std::make_shared<RatePacer>(this->job.Rules.MaxBytesPerSecond)),
      paceShared(sharedPace != nullptr), folders(this->job.Entries) {
    const int parallel =
        std::clamp(this->job.Parallel, Limits::MinParallelDownloads, Limits::MaxParallelDownloads);
    loop.LimitHostConnections(std::clamp(this->job.PerSite, 1, parallel));
    workSlots.resize(size_t(std::clamp(this->job.Count(), 1, parallel)));
}

DownloadWorker::~DownloadWorker() {
    handle->Detach();
    workSlots.clear();
}

void DownloadWorker::RequestCancel() {
    cancelRequested = true;
    loop.Wake();
}

void DownloadWorker::RequestInterrupt() {
    interruptRequested = true;
    RequestCancel();
}

void DownloadWorker::RequestPause(bool pause) {
    pauseRequested = pause;
    loop.Wake();
}

bool DownloadWorker::CancelRequested() const {
    return cancelRequested;
}

int DownloadWorker::Run() {
    for (Slot& slot : workSlots) {
        slot.transfer = std::make_unique<DownloadTransfer>(job, folders, cancelRequested, *sink,
                                                           savedDestinations);
        // A shared pace may be limited later, while the job runs.
        if (pace->IsLimited() || paceShared)
            slot.transfer->PaceWith(pace.get());
    }
    filesLeft = job.Count();
    for (const DownloadJob::NotFetchedFile& file : job.NotFetched)
        counts.Add(file.kind);
    sink->AnimationStarted();
    sink->FilesLeft(filesLeft);
    StartTransfers();
    while (!CancelRequested() && WorkLeft()) {
        if (pauseRequested) {
            PauseTransfers();
            while (pauseRequested && !CancelRequested())
                loop.Step(PollMilliseconds);
            ResumeTransfers();
        }
        WaitForActivity();
        ReleasePacedTransfers();
        CollectFinished();
        StartTransfers();
        RecordTotals();
    }
    AbandonUnfinished();
    // Ended before the last word, so nothing read from the handle after it says otherwise.
    handle->SetStatus(DownloadHandle::State::Ended);
    if (!CancelRequested())
        sink->Message(counts.CompletionMessage());
    if (interruptRequested)
        sink->Interrupted();
    sink->AnimationStopped();
    return counts.saved + counts.alreadySaved;
}

bool DownloadWorker::WorkLeft() const {
    return nextEntry < job.Count() ||
           std::any_of(workSlots.begin(), workSlots.end(),
                       [](const Slot& slot) { return slot.state != Slot::State::Idle; });
}

// Gives every free transfer the next entry and restarts the retries that are due.
// An entry that cannot start, or is held whole in memory, is reported at once,
// so one transfer keeps the job's order.
void DownloadWorker::StartTransfers() {
    if (CancelRequested())
        return;
    for (Slot& slot : workSlots) {
        if (slot.state == Slot::State::Waiting)
            RetryWhenDue(slot);
        while (slot.state == Slot::State::Idle && nextEntry < job.Count() && IsDue(nextEntry)) {
            if (!slot.transfer->Begin(nextEntry++))
                Finished(slot, false);
            else if (slot.transfer->IsHeld())
                Finished(slot, slot.transfer->SaveHeld());
            else if (!(Book(slot), Add(slot)))
                Finished(slot, false);
        }
    }
}

// Whether the host of entry index may have a request now, as the schedule says.
// The transfer library would queue a request past the host's connections and
// send it whenever one is free, even after the host asked to slow down: such
// a request waits here instead.
bool DownloadWorker::IsDue(int index) const {
    const QUrl source(job.Entries[index].Source);
    const QString host = HostSchedule::HostOf(source);
    const auto running = std::count_if(workSlots.begin(), workSlots.end(), [&](const Slot& slot) {
        return slot.state == Slot::State::Running &&
               HostSchedule::HostOf(QUrl(job.Entries[slot.transfer->Index()].Source)) == host;
    });
    return (host.isEmpty() || running < std::max(job.PerSite, 1)) &&
           HostSchedule::Shared().Due(source) <= HostSchedule::Clock::now();
}

// The request of the slot's entry takes its host's turn.
void DownloadWorker::Book(const Slot& slot) {
    HostSchedule::Shared().Book(QUrl(job.Entries[slot.transfer->Index()].Source));
}

void DownloadWorker::RetryWhenDue(Slot& slot) {
    if (DownloadTransfer::Clock::now() < slot.transfer->RetryTime() ||
        !IsDue(slot.transfer->Index()))
        return;
    Book(slot);
    if (!slot.transfer->Retry() || !Add(slot))
        Finished(slot, false);
}

bool DownloadWorker::Add(Slot& slot) {
    if (!loop.Add(slot.transfer->Handle())) {
        slot.transfer->Abandon(QStringLiteral("cannot start a transfer"));
        return false;
    }
    slot.state = Slot::State::Running;
    job.Entries[slot.transfer->Index()].Status = DownloadEntry::State::Running;
    return true;
}

void DownloadWorker::CollectFinished() {
    // A stopped job's transfers are given up together, keeping or dropping their files.
    if (CancelRequested())
        return;
    CURL* handle = nullptr;
    CURLcode result = CURLE_OK;
    while (loop.NextFinished(handle, result)) {
        Slot* slot = SlotOf(handle);
        if (!slot)
            continue;
        loop.Remove(slot->transfer->Handle());
        switch (slot->transfer->Finish(result)) {
        case DownloadTransfer::Outcome::Saved:
            Finished(*slot, true);
            break;
        case DownloadTransfer::Outcome::Failed:
            Finished(*slot, false);
            break;
        case DownloadTransfer::Outcome::Retry:
            slot->state = Slot::State::Waiting;
            HoldHostWhenAsked(*slot);
            sink->FileRetrying(slot->transfer->Index(), slot->transfer->Tries() + 1,
                               DownloadTransfer::MaxTries);
            break;
        case DownloadTransfer::Outcome::Redirect:
            if (!Add(*slot))
                Finished(*slot, false);
            break;
        }
    }
}

// A paused job's transfers leave the loop, and the loop lets go of every connection.
void DownloadWorker::PauseTransfers() {
    for (Slot& slot : workSlots) {
        if (slot.state != Slot::State::Running)
            continue;
        slot.transfer->Unpace();
        loop.Remove(slot.transfer->Handle());
        slot.transfer->Pause();
        slot.state = Slot::State::Paused;
        job.Entries[slot.transfer->Index()].Status = DownloadEntry::State::Paused;
    }
    loop.CloseConnections();
    handle->SetStatus(DownloadHandle::State::Paused);
}

void DownloadWorker::ResumeTransfers() {
    handle->SetStatus(DownloadHandle::State::Running);
    if (CancelRequested())
        return;
    for (Slot& slot : workSlots) {
        if (slot.state == Slot::State::Paused && !(slot.transfer->Continue() && Add(slot)))
            Finished(slot, false);
    }
}

void DownloadWorker::RecordTotals() {
    qint64 received = bytesDone;
    for (const Slot& slot : workSlots) {
        if (slot.state == Slot::State::Idle)
            continue;
        received += slot.transfer->Received();
        if (slot.transfer->Expected() >= 0)
            job.Entries[slot.transfer->Index()].Size = slot.transfer->Expected();
    }
    qint64 expected = 0;
    for (const DownloadEntry& entry : job.Entries)
        expected = entry.Size >= 0 && expected >= 0 ? expected + entry.Size : -1;
    handle->Record(job.Count() - filesLeft, job.Count(), received, expected);
}

void DownloadWorker::Finished(Slot& slot, bool ok) {
    slot.state = Slot::State::Idle;
    counts.Add(DownloadCounts::KindOf(ok, slot.transfer->Reason()));
    const int index = slot.transfer->Index();
    job.Entries[index].Status = ok ? DownloadEntry::State::Saved : DownloadEntry::State::Failed;
    bytesDone += ok ? slot.transfer->Received() : 0;
    sink->FileFinished(index, slot.transfer->Name(), ok, slot.transfer->Reason());
    sink->FilesLeft(--filesLeft);
}

// A host that asked to slow down holds every request to it, not only the
// retry of the file it answered; the run says so once.
void DownloadWorker::HoldHostWhenAsked(const Slot& slot) {
    const qint64 asked = slot.transfer->AskedToWait();
    if (asked <= 0)
        return;
    const QUrl source(job.Entries[slot.transfer->Index()].Source);
    if (HostSchedule::Shared().SlowDown(source, slot.transfer->RetryTime()))
        sink->Message(HostSchedule::SlowDownText(source, asked));
}

// Sleeps until a transfer has something to do, a retry or the next file is
// due, or a cancel wakes it.
void DownloadWorker::WaitForActivity() {
    auto wait = std::chrono::milliseconds(PollMilliseconds);
    const auto now = DownloadTransfer::Clock::now();
    // Entry index may go at due; one due already that waits for a connection
    // to its host waits for one of its transfers to end, which wakes the loop.
    const auto waitFor = [&](int index, DownloadTransfer::Clock::time_point due) {
        if (due > now)
            wait = std::min(wait, std::chrono::ceil<std::chrono::milliseconds>(due - now));
        else if (IsDue(index))
            wait = std::chrono::milliseconds::zero();
    };
    const HostSchedule& schedule = HostSchedule::Shared();
    for (const Slot& slot : workSlots) {
        const int index = slot.transfer->Index();
        if (slot.state == Slot::State::Waiting)
            waitFor(index, std::max(slot.transfer->RetryTime(),
                                    schedule.Due(QUrl(job.Entries[index].Source))));
    }
    const bool slotFree = std::any_of(workSlots.begin(), workSlots.end(), [](const Slot& slot) {
        return slot.state == Slot::State::Idle;
    });
    if (slotFree && nextEntry < job.Count())
        waitFor(nextEntry, schedule.Due(QUrl(job.Entries[nextEntry].Source)));
    for (const Slot& slot : workSlots) {
        if (slot.state == Slot::State::Running && slot.transfer->IsPacedOut())
            wait = std::min(wait, std::chrono::ceil<std::chrono::milliseconds>(
                                      pace->WaitTime(DownloadTransfer::Clock::now())));
    }
    loop.Step(int(wait.count()));
}

void DownloadWorker::ReleasePacedTransfers() {
    if (pace->WaitTime() > RatePacer::Clock::duration::zero())
        return;
    for (Slot& slot : workSlots) {
        if (slot.state == Slot::State::Running)
            slot.transfer->Unpace();
    }
}

// A cancelled job reports each file it was fetching and leaves none of them behind.
void DownloadWorker::AbandonUnfinished() {
    for (Slot& slot : workSlots) {
        if (slot.state == Slot::State::Idle)
            continue;
        if (slot.state == Slot::State::Running)
            loop.Remove(slot.transfer->Handle());
        if (interruptRequested)
            slot.transfer->Interrupt(DownloadProgressSink::CancelledReason());
        else
            slot.transfer->Abandon(DownloadProgressSink::CancelledReason());
        Finished(slot, false);
    }
}

DownloadWorker::Slot* DownloadWorker::SlotOf(CURL* handle) {
    for (Slot& slot : workSlots) {
        if (slot.transfer->Handle() == handle)
            return &slot;
    }
    return nullptr;
}
