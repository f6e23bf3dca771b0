#pragma once

#include <QtGlobal>

#include <chrono>
#include <deque>

// The rate at which bytes arrive, measured over the last few seconds from
// samples of the bytes received so far. Not thread-safe.
class TransferSpeed {
public:
    using Clock = std::chrono::steady_clock;
    // The speed is measured over this long.
    static constexpr std::chrono::seconds Window{3};

    void Add(qint64 bytesReceived, Clock::time_point now = Clock::now());
    // Starts measuring afresh, after a pause or a new start.
    void Clear();
    // Bytes per second over the window; 0 before two samples.
    qint64 BytesPerSecond() const;
    // Whole seconds until total at bytesPerSecond; -1 when it cannot be told.
    static qint64 SecondsLeft(qint64 received, qint64 total, qint64 bytesPerSecond);

private:
    struct Sample {
        Clock::time_point at;
        qint64 bytes;
    };
    // The last one at or before the window's start is kept, so a slow
    // transfer's rare samples still give a speed.
    std::deque<Sample> samples;
};
