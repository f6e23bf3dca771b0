#include "download/DownloadHandle.h"

#include "download/DownloadWorker.h"

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
    if (worker)
        worker->RequestCancel();
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
    state = newState;
    if (state != State::Running)
        samples.clear();
}

void DownloadHandle::Record(int filesDone, int filesTotal, qint64 bytesReceived, qint64 bytesTotal,
                            Clock::time_point now) {
    std::lock_guard<std::mutex> guard(lock);
    samples.push_back({now, bytesReceived});
    while (samples.size() > 1 && now - samples.front().at > SpeedWindow)
        samples.pop_front();
    const auto span =
        std::chrono::duration_cast<std::chrono::milliseconds>(now - samples.front().at).count();
    const qint64 gained = bytesReceived - samples.front().bytes;
    totals.filesDone = filesDone;
    totals.filesTotal = filesTotal;
    totals.bytesReceived = bytesReceived;
    totals.bytesTotal = bytesTotal;
    totals.bytesPerSecond = span > 0 && gained > 0 ? gained * 1000 / span : 0;
    totals.secondsLeft =
        bytesTotal >= bytesReceived && totals.bytesPerSecond > 0
            ? (bytesTotal - bytesReceived + totals.bytesPerSecond - 1) / totals.bytesPerSecond
            : -1;
}

void DownloadHandle::Detach() {
    std::lock_guard<std::mutex> guard(lock);
    worker = nullptr;
    state = State::Ended;
}
