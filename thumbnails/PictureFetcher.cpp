#include "thumbnails/PictureFetcher.h"

#include "fetch/HeldPictures.h"

#include "thumbnails/PictureTransfer.h"
#include "transfer/TransferRules.h"

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
    : QObject(parent), timeLimitSeconds(timeLimitSeconds),
      rules(std::make_shared<const TransferRules>()) {
    for (int i = 0; i < MaxParallel; ++i)
        workSlots.push_back(std::make_unique<Slot>());
    if (loop.IsValid())
        worker = std::thread(&PictureFetcher::Run, this);
}

PictureFetcher::~PictureFetcher() {
    stopRequested = true;
    if (worker.joinable()) {
        loop.Wake();
        worker.join();
    }
    DropRunning();
}

void PictureFetcher::Reset(const TransferRules& newRules) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        requestedRules = std::make_shared<const TransferRules>(newRules);
        requested.clear();
        requestedInView.clear();
        queueChanged = true;
    }
    loop.Wake();
}

void PictureFetcher::Queue(const QStringList& addresses, const QSet<QString>& addressesInView) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        requested = addresses;
        requestedInView = addressesInView;
        queueChanged = true;
    }
    loop.Wake();
}

void PictureFetcher::Run() {
    while (!stopRequested) {
        TakeRequests();
        for (auto& slot : workSlots) {
            if (!slot->running)
                StartNext(*slot);
        }
        loop.Step(PollMilliseconds);
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
        if (!loop.Add(slot.transfer->Handle())) {
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
    CURL* handle = nullptr;
    CURLcode result = CURLE_OK;
    while (loop.NextFinished(handle, result)) {
        Slot* slot = SlotOf(handle);
        if (!slot)
            continue;
        PictureTransfer& transfer = *slot->transfer;
        loop.Remove(transfer.Handle());
        slot->running = false;
        switch (transfer.Finish(result)) {
        case PictureTransfer::Outcome::Fetched: {
            settled.insert(transfer.Address());
            const QByteArray data = transfer.TakeData();
            // A download of the picture later in the run writes these bytes.
            HeldPictures::OfThisRun().Keep(transfer.Address(),
                                           {data, transfer.Type(), transfer.Requests()});
            emit Fetched(transfer.Address(), data);
            break;
        }
        case PictureTransfer::Outcome::Failed:
            Fail(transfer.Address(), transfer.Reason());
            break;
        case PictureTransfer::Outcome::Redirect:
            slot->running = loop.Add(transfer.Handle());
            if (!slot->running)
                Fail(transfer.Address(), QStringLiteral("cannot start a transfer"));
            break;
        }
    }
}

void PictureFetcher::DropRunning() {
    for (auto& slot : workSlots) {
        if (slot->running)
            loop.Remove(slot->transfer->Handle());
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
