#include "fetch/DownloadHandle.h"

#include "fetch/DownloadWorker.h"

DownloadHandle::DownloadHandle(DownloadWorker* worker) : worker(worker) {}

void DownloadHandle::Pause() {
    std::lock_guard<std::mutex> guard(lock);
    if (worker)
        worker->RequestPause(true);
}

void DownloadHandle::Resume() {
    std::lock_guard<std::mutex> guard(lock);
    if (worker)
        worker->RequestPause(false);
}

void DownloadHandle::Cancel() {
    std::lock_guard<std::mutex> guard(lock);
    if (!worker)
        return;
    worker->RequestCancel();
    state = State::Ended;
}

DownloadHandle::State DownloadHandle::Status() const {
    std::lock_guard<std::mutex> guard(lock);
    return state;
}

DownloadHandle::Totals DownloadHandle::Progress() const {
    std::lock_guard<std::mutex> guard(lock);
    return totals;
}

void DownloadHandle::SetStatus(State newState) {
    std::lock_guard<std::mutex> guard(lock);
    // A cancelled or finished job does not come back.
    if (state != State::Ended)
        state = newState;
    if (state != State::Running)
        speed.Clear();
}

void DownloadHandle::Record(int filesDone, int filesTotal, qint64 bytesReceived, qint64 bytesTotal,
                            Clock::time_point now) {
    std::lock_guard<std::mutex> guard(lock);
    speed.Add(bytesReceived, now);
    totals.filesDone = filesDone;
    totals.filesTotal = filesTotal;
    totals.bytesReceived = bytesReceived;
    totals.bytesTotal = bytesTotal;
    totals.bytesPerSecond = speed.BytesPerSecond();
    totals.secondsLeft =
        TransferSpeed::SecondsLeft(bytesReceived, bytesTotal, totals.bytesPerSecond);
}

void DownloadHandle::Detach() {
    std::lock_guard<std::mutex> guard(lock);
    worker = nullptr;
    state = State::Ended;
}
