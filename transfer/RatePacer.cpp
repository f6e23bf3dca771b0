#include "transfer/RatePacer.h"

#include <algorithm>

namespace {

// A quiet stretch saves up at most this share of a second's bytes, so a
// transfer that starts late cannot burst far above the rate.
constexpr double MostSavedSeconds = 0.25;

} // namespace

RatePacer::RatePacer(qint64 bytesPerSecond, Clock::time_point now)
    : rate(bytesPerSecond), filled(now) {}

void RatePacer::SetRate(qint64 bytesPerSecond) {
    const std::lock_guard<std::mutex> held(lock);
    rate = bytesPerSecond;
    allowance = std::min(allowance, 0.0);
}

bool RatePacer::Take(qint64 bytes, bool forced, Clock::time_point now) {
    if (!IsLimited())
        return true;
    const std::lock_guard<std::mutex> held(lock);
    if (!IsLimited()) // lifted meanwhile
        return true;
    Refill(now);
    if (allowance <= 0 && !forced)
        return false;
    allowance -= double(bytes);
    return true;
}

RatePacer::Clock::duration RatePacer::WaitTime(Clock::time_point now) {
    if (!IsLimited())
        return Clock::duration::zero();
    const std::lock_guard<std::mutex> held(lock);
    Refill(now);
    const qint64 perSecond = rate;
    if (allowance > 0 || perSecond <= 0)
        return Clock::duration::zero();
    const std::chrono::duration<double> seconds((1 - allowance) / double(perSecond));
    return std::chrono::ceil<Clock::duration>(seconds);
}

void RatePacer::Refill(Clock::time_point now) {
    if (now <= filled)
        return;
    const double elapsed = std::chrono::duration<double>(now - filled).count();
    const double perSecond = double(rate.load());
    allowance = std::min(allowance + elapsed * perSecond, MostSavedSeconds * perSecond);
    filled = now;
}
