#include "thumbnails/PictureFetcher.h"

#include "download/DownloadJob.h"
#include "download/TransferRules.h"
#include "thumbnails/PictureTransfer.h"

#include <algorithm>

struct PictureFetcher::Slot {
    std::unique_ptr<PictureTransfer> transfer;
    bool running = false;
};

namespace {

// The longest sleep between looks at the queue; a request wakes the thread at once.
constexpr int PollMilliseconds = 1000;

} // namespace

PictureFetcher::PictureFetcher(QObject* parent, int timeLimitSeconds)
    : QObject(parent), timeLimitSeconds(timeLimitSeconds), multi(curl_multi_init()),
      rules(std::make_shared<const DownloadJob>()) {
    for (int i = 0; i < MaxParallel; ++i)
        workSlots.push_back(std::make_unique<Slot>());
    if (multi)
        worker = std::thread(&PictureFetcher::Run, this);
}

PictureFetcher::~PictureFetcher() {
    stopRequested = true;
    if (worker.joinable()) {
        curl_multi_wakeup(multi);
        worker.join();
    }
    DropRunning();
    workSlots.clear();
    if (multi)
        curl_multi_cleanup(multi);
}

void PictureFetcher::Reset(const DownloadJob& newRules) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        requestedRules = std::make_shared<const DownloadJob>(newRules.WithoutFiles());
        requested.clear();
        requestedInView.clear();
        queueChanged = true;
    }
    if (multi)
        curl_multi_wakeup(multi);
}

void PictureFetcher::Queue(const QStringList& addresses, const QSet<QString>& addressesInView) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        requested = addresses;
        requestedInView = addressesInView;
        queueChanged = true;
    }
    if (multi)
        curl_multi_wakeup(multi);
}

void PictureFetcher::Run() {
    while (!stopRequested) {
        TakeRequests();
        for (auto& slot : workSlots) {
            if (!slot->running)
                StartNext(*slot);
        }
        curl_multi_poll(multi, nullptr, 0, PollMilliseconds, nullptr);
        int running = 0;
        curl_multi_perform(multi, &running);
        Collect();
    }
}

void PictureFetcher::TakeRequests() {
    std::lock_guard<std::mutex> lock(mutex);
    if (requestedRules) {
        DropRunning();
        settled.clear();
        rules = std::move(requestedRules);
        requestedRules.reset();
    }
    if (queueChanged) {
        queue = std::move(requested);
        inView = std::move(requestedInView);
        requested.clear();
        requestedInView.clear();
        queueChanged = false;
    }
}

// Gives a free slot the next queued address; an address that may not be
// fetched is reported at once.
void PictureFetcher::StartNext(Slot& slot) {
    while (const QString* next = NextQueued()) {
        // The last free slot waits for a picture in view.
        if (!inView.contains(*next) && FreeSlots() == 1)
            return;
        const QString address = queue.takeFirst();
        if (!slot.transfer || &slot.transfer->Rules() != rules.get())
            slot.transfer = std::make_unique<PictureTransfer>(rules, timeLimitSeconds);
        if (!slot.transfer->Begin(address)) {
            Fail(address, slot.transfer->Reason());
            continue;
        }
        if (curl_multi_add_handle(multi, slot.transfer->Handle()) != CURLM_OK) {
            Fail(address, QStringLiteral("cannot start a transfer"));
            continue;
        }
        slot.running = true;
        return;
    }
}

// The first queued address still to fetch; those running or settled are dropped.
const QString* PictureFetcher::NextQueued() {
    while (!queue.isEmpty() && (IsRunning(queue.first()) || settled.contains(queue.first())))
        queue.removeFirst();
    return queue.isEmpty() ? nullptr : &queue.first();
}

int PictureFetcher::FreeSlots() const {
    return int(std::count_if(workSlots.begin(), workSlots.end(),
                             [](const auto& slot) { return !slot->running; }));
}

void PictureFetcher::Collect() {
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
        Slot* slot = SlotOf(message->easy_handle);
        if (message->msg != CURLMSG_DONE || !slot)
            continue;
        const CURLcode result = message->data.result;
        PictureTransfer& transfer = *slot->transfer;
        curl_multi_remove_handle(multi, transfer.Handle());
        slot->running = false;
        switch (transfer.Finish(result)) {
        case PictureTransfer::Outcome::Fetched:
            settled.insert(transfer.Address());
            emit Fetched(transfer.Address(), transfer.TakeData());
            break;
        case PictureTransfer::Outcome::Failed:
            Fail(transfer.Address(), transfer.Reason());
            break;
        case PictureTransfer::Outcome::Redirect:
            slot->running = curl_multi_add_handle(multi, transfer.Handle()) == CURLM_OK;
            if (!slot->running)
                Fail(transfer.Address(), QStringLiteral("cannot start a transfer"));
            break;
        }
    }
}

void PictureFetcher::DropRunning() {
    for (auto& slot : workSlots) {
        if (slot->running)
            curl_multi_remove_handle(multi, slot->transfer->Handle());
        slot->running = false;
    }
}

void PictureFetcher::Fail(const QString& address, const QString& reason) {
    settled.insert(address);
    emit Failed(address, reason);
}

bool PictureFetcher::IsRunning(const QString& address) const {
    for (const auto& slot : workSlots) {
        if (slot->running && slot->transfer->Address() == address)
            return true;
    }
    return false;
}

PictureFetcher::Slot* PictureFetcher::SlotOf(CURL* handle) {
    for (auto& slot : workSlots) {
        if (slot->transfer && slot->transfer->Handle() == handle)
            return slot.get();
    }
    return nullptr;
}
