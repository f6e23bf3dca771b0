#pragma once

#include "transfer/TransferSpeed.h"

#include <mutex>

class DownloadWorker;

// What the owner of one running download holds: pause, resume and cancel it,
// and read its state and totals. Any thread; it outlives its worker, and once
// the job has ended the requests do nothing.
class DownloadHandle {
public:
    enum class State { Running, Paused, Ended };
    struct Totals {
        int filesDone = 0;
        int filesTotal = 0;
        qint64 bytesReceived = 0;
        qint64 bytesTotal = -1;    // -1 while a file's size is unknown
        qint64 bytesPerSecond = 0; // over the last few seconds
        qint64 secondsLeft = -1;   // -1 when it cannot be told
    };
    using Clock = TransferSpeed::Clock;

    explicit DownloadHandle(DownloadWorker* worker);

    // A paused job holds no connection; resuming continues each file where it stopped.
    void Pause();
    void Resume();
    // Ends this job alone; its half-fetched files are removed. It counts as
    // ended from here on, as it does once its worker has done its last file.
    void Cancel();
    State Status() const;
    Totals Progress() const;

    // For the worker. Once Ended, the state stays so.
    void SetStatus(State state);
    void Record(int filesDone, int filesTotal, qint64 bytesReceived, qint64 bytesTotal,
                Clock::time_point now = Clock::now());
    // The worker is gone: requests are no longer passed on.
    void Detach();

private:
    mutable std::mutex lock;
    DownloadWorker* worker;
    State state = State::Running;
    Totals totals;
    TransferSpeed speed;
};
