#include "transfer/HostSchedule.h"

#include <QRandomGenerator>

#include <algorithm>

HostSchedule& HostSchedule::Shared() {
    static HostSchedule schedule;
    return schedule;
}

void HostSchedule::SetWait(double waitSeconds, bool randomWait) {
    const std::lock_guard<std::mutex> guard(lock);
    seconds = std::max(waitSeconds, 0.0);
    random = randomWait;
}

double HostSchedule::WaitSeconds() const {
    const std::lock_guard<std::mutex> guard(lock);
    return seconds;
}

HostSchedule::Clock::time_point HostSchedule::Due(const QUrl& address) const {
    const std::lock_guard<std::mutex> guard(lock);
    const auto host = hosts.constFind(HostOf(address));
    return host == hosts.constEnd() ? Clock::time_point() : std::max(host->next, host->heldUntil);
}

HostSchedule::Clock::time_point HostSchedule::Book(const QUrl& address, Clock::time_point now) {
    // A local file is no site's.
    if (address.host().isEmpty())
        return now;
    const std::lock_guard<std::mutex> guard(lock);
    Host& host = hosts[HostOf(address)];
    const Clock::time_point start = std::max({now, host.next, host.heldUntil});
    host.next = start + NextWait();
    return start;
}

bool HostSchedule::SlowDown(const QUrl& address, Clock::time_point until, Clock::time_point now) {
    const std::lock_guard<std::mutex> guard(lock);
    Host& host = hosts[HostOf(address)];
    const bool news = host.heldUntil <= now;
    host.heldUntil = std::max(host.heldUntil, until);
    return news;
}

QString HostSchedule::HostOf(const QUrl& address) {
    const QString host = address.host().toLower();
    return address.port() < 0 ? host : host + QLatin1Char(':') + QString::number(address.port());
}

QString HostSchedule::SlowDownText(const QUrl& address, qint64 waitSeconds) {
    return QStringLiteral("waiting %1 s: %2 asked to slow down")
        .arg(waitSeconds)
        .arg(HostOf(address));
}

HostSchedule::Clock::duration HostSchedule::NextWait() const {
    const double factor = random ? 0.5 + QRandomGenerator::global()->generateDouble() : 1.0;
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(seconds * factor));
}
