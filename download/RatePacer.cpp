#include "download/RatePacer.h"

#include <algorithm>

namespace {

// A quiet stretch saves up at most this share of a second's bytes, so a
// transfer that starts late cannot burst far above the rate.
constexpr double MostSavedSeconds = 0.25;

} // namespace

RatePacer::RatePacer(qint64 bytesPerSecond, Clock::time_point now)
    : rate(bytesPerSecond), filled(now) {}

bool RatePacer::Take(qint64 bytes, bool forced, Clock::time_point now) {
    if (!IsLimited())
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
    Refill(now);
    if (allowance > 0)
        return Clock::duration::zero();
    const std::chrono::duration<double> seconds((1 - allowance) / double(rate));
    return std::chrono::ceil<Clock::duration>(seconds);
}

void RatePacer::Refill(Clock::time_point now) {
    if (now <= filled)
        return;
    const double elapsed = std::chrono::duration<double>(now - filled).count();
    allowance = std::min(allowance + elapsed * double(rate), MostSavedSeconds * double(rate));
    filled = now;
}
