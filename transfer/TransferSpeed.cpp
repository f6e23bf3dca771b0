#include "transfer/TransferSpeed.h"

void TransferSpeed::Add(qint64 bytesReceived, Clock::time_point now) {
    samples.push_back({now, bytesReceived});
    while (samples.size() > 2 && now - samples[1].at >= Window)
        samples.pop_front();
}

void TransferSpeed::Clear() {
    samples.clear();
}

qint64 TransferSpeed::BytesPerSecond() const {
    if (samples.size() < 2)
        return 0;
    const auto span = std::chrono::duration_cast<std::chrono::milliseconds>(samples.back().at -
                                                                            samples.front().at)
                          .count();
    const qint64 gained = samples.back().bytes - samples.front().bytes;
    return span > 0 && gained > 0 ? gained * 1000 / span : 0;
}

qint64 TransferSpeed::SecondsLeft(qint64 received, qint64 total, qint64 bytesPerSecond) {
    if (total < received || bytesPerSecond <= 0)
        return -1;
    return (total - received + bytesPerSecond - 1) / bytesPerSecond;
}
