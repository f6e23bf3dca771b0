#pragma once

#include <QHash>
#include <QString>
#include <QUrl>

#include <chrono>
#include <mutex>

// When the next request to each host may start, shared by every request the
// program makes itself (file downloads, pages loaded to follow or to page
// on): a wait between two requests to one host, and a host's own asking to
// slow down (429 or 503 with Retry-After), which holds every request to it.
// Any thread.
class HostSchedule {
public:
    using Clock = std::chrono::steady_clock;

    // The schedule of this process.
    static HostSchedule& Shared();

    // seconds between two requests to one host (0: none); random draws each
    // wait between half and one and a half times that.
    void SetWait(double seconds, bool random);
    double WaitSeconds() const;
    // The earliest time a request to the host of address may start.
    Clock::time_point Due(const QUrl& address) const;
    // Takes the host's next turn, from now on: when the request is to start
    // (now when it is due already), booking the turn after it a wait later.
    // An address without a host (a local file) waits for none.
    Clock::time_point Book(const QUrl& address, Clock::time_point now = Clock::now());
    // The host asked for nothing before until; true when it was not slowed
    // down at now, so that its asking is told once.
    bool SlowDown(const QUrl& address, Clock::time_point until,
                  Clock::time_point now = Clock::now());

    // The host a request to address goes to, with a port the address names.
    static QString HostOf(const QUrl& address);
    // What the run says as a host asks it to slow down for seconds.
    static QString SlowDownText(const QUrl& address, qint64 seconds);

private:
    struct Host {
        Clock::time_point next;      // the next turn
        Clock::time_point heldUntil; // the host asked to slow down until then
    };

    Clock::duration NextWait() const;

    mutable std::mutex lock;
    QHash<QString, Host> hosts;
    double seconds = 0;
    bool random = false;
};
