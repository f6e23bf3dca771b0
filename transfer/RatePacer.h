#pragma once

#include <QtGlobal>

#include <atomic>
#include <chrono>
#include <mutex>

// Keeps a job's transfers together to a number of bytes per second. A
// transfer takes its bytes before writing them; when nothing is left to take,
// it waits (paused) until WaitTime has passed. A block taken may overdraw
// what is left, and the debt is paid before the next, so the rate holds over
// any stretch of a few blocks whatever the block size. Jobs on several
// threads may share one pace.
class RatePacer {
public:
    using Clock = std::chrono::steady_clock;

    // 0 or less: no limit.
    explicit RatePacer(qint64 bytesPerSecond, Clock::time_point now = Clock::now());

    bool IsLimited() const { return rate > 0; }
    qint64 Rate() const { return rate; }
    // A new limit, from now on.
    void SetRate(qint64 bytesPerSecond);
    // Takes bytes when there is anything left to take, or when forced (a
    // block already held back).
    bool Take(qint64 bytes, bool forced = false, Clock::time_point now = Clock::now());
    // How long from now until there is something to take again.
    Clock::duration WaitTime(Clock::time_point now = Clock::now());

private:
    void Refill(Clock::time_point now);

    std::mutex lock;
    std::atomic<qint64> rate;
    // Bytes that may be taken now; negative while a block overdrew them.
    double allowance = 0;
    Clock::time_point filled;
};
