#include "download/DownloadWorker.h"

#include "core/Limits.h"
#include "download/DownloadProgressSink.h"
#include "download/DownloadTransfer.h"

#include <QFileInfo>

#include <algorithm>

namespace {

// The longest sleep between looks at the transfers; curl wakes earlier for its own timers.
constexpr int PollMilliseconds = 1000;

QStringList FoldersOf(const DownloadJob& job) {
    QStringList folders;
    for (const QString& destination : job.Destinations)
        folders.append(QFileInfo(destination).path());
    return folders;
}

} // namespace

DownloadWorker::DownloadWorker(DownloadJob job, std::unique_ptr<DownloadProgressSink> sink)
    : job(std::move(job)), sink(std::move(sink)), folders(FoldersOf(this->job)) {
    multi = curl_multi_init();
    const int parallel =
        std::clamp(this->job.Parallel, Limits::MinParallelDownloads, Limits::MaxParallelDownloads);
    if (multi)
        curl_multi_setopt(multi, CURLMOPT_MAX_HOST_CONNECTIONS, long(parallel));
    workSlots.resize(size_t(std::clamp(this->job.Count, 1, parallel)));
}

DownloadWorker::~DownloadWorker() {
    workSlots.clear();
    if (multi)
        curl_multi_cleanup(multi);
}

void DownloadWorker::RequestCancel() {
    cancelRequested = true;
    if (multi)
        curl_multi_wakeup(multi);
}

bool DownloadWorker::CancelRequested() const {
    return cancelRequested;
}

int DownloadWorker::Run() {
    for (Slot& slot : workSlots)
        slot.transfer = std::make_unique<DownloadTransfer>(job, folders, cancelRequested, *sink,
                                                           savedDestinations);
    filesLeft = job.Count;
    for (const DownloadJob::NotFetchedFile& file : job.NotFetched)
        counts.Add(file.kind);
    sink->AnimationStarted();
    sink->FilesLeft(filesLeft);
    StartTransfers();
    while (!CancelRequested() && WorkLeft()) {
        WaitForActivity();
        int running = 0;
        curl_multi_perform(multi, &running);
        CollectFinished();
        StartTransfers();
    }
    AbandonUnfinished();
    if (!CancelRequested())
        sink->Message(counts.CompletionMessage());
    sink->AnimationStopped();
    return counts.saved + counts.alreadySaved;
}

bool DownloadWorker::WorkLeft() const {
    return nextEntry < job.Count ||
           std::any_of(workSlots.begin(), workSlots.end(),
                       [](const Slot& slot) { return slot.state != Slot::State::Idle; });
}

// Gives every free transfer the next entry and restarts the retries that are due.
// An entry that cannot start is reported at once, so one transfer keeps the job's order.
void DownloadWorker::StartTransfers() {
    if (CancelRequested())
        return;
    for (Slot& slot : workSlots) {
        if (slot.state == Slot::State::Waiting)
            RetryWhenDue(slot);
        while (slot.state == Slot::State::Idle && nextEntry < job.Count && !StartNextEntry(slot))
            Finished(slot, false);
    }
}

bool DownloadWorker::StartNextEntry(Slot& slot) {
    return slot.transfer->Begin(nextEntry++) && Add(slot);
}

void DownloadWorker::RetryWhenDue(Slot& slot) {
    if (DownloadTransfer::Clock::now() < slot.transfer->RetryTime())
        return;
    if (!slot.transfer->Retry() || !Add(slot))
        Finished(slot, false);
}

bool DownloadWorker::Add(Slot& slot) {
    if (curl_multi_add_handle(multi, slot.transfer->Handle()) != CURLM_OK) {
        slot.transfer->Abandon(QStringLiteral("cannot start a transfer"));
        return false;
    }
    slot.state = Slot::State::Running;
    return true;
}

void DownloadWorker::CollectFinished() {
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
        Slot* slot = SlotOf(message->easy_handle);
        if (message->msg != CURLMSG_DONE || !slot)
            continue;
        const CURLcode result = message->data.result;
        curl_multi_remove_handle(multi, slot->transfer->Handle());
        switch (slot->transfer->Finish(result)) {
        case DownloadTransfer::Outcome::Saved:
            Finished(*slot, true);
            break;
        case DownloadTransfer::Outcome::Failed:
            Finished(*slot, false);
            break;
        case DownloadTransfer::Outcome::Retry:
            slot->state = Slot::State::Waiting;
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

void DownloadWorker::Finished(Slot& slot, bool ok) {
    slot.state = Slot::State::Idle;
    counts.Add(DownloadCounts::KindOf(ok, slot.transfer->Reason()));
    const int index = slot.transfer->Index();
    sink->FileFinished(index, slot.transfer->Name(), ok, slot.transfer->Reason());
    sink->FilesLeft(--filesLeft);
}

// Sleeps until a transfer has something to do, a retry is due or a cancel wakes it.
void DownloadWorker::WaitForActivity() {
    auto wait = std::chrono::milliseconds(PollMilliseconds);
    const auto now = DownloadTransfer::Clock::now();
    for (const Slot& slot : workSlots) {
        if (slot.state == Slot::State::Waiting)
            wait = std::min(wait, std::chrono::ceil<std::chrono::milliseconds>(
                                      std::max(slot.transfer->RetryTime() - now,
                                               DownloadTransfer::Clock::duration::zero())));
    }
    curl_multi_poll(multi, nullptr, 0, int(wait.count()), nullptr);
}

// A cancelled job reports each file it was fetching and leaves none of them behind.
void DownloadWorker::AbandonUnfinished() {
    for (Slot& slot : workSlots) {
        if (slot.state == Slot::State::Idle)
            continue;
        if (slot.state == Slot::State::Running)
            curl_multi_remove_handle(multi, slot.transfer->Handle());
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
