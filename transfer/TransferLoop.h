#pragma once

#include <curl/curl.h>

#include <mutex>

// The one loop of the transfer library both the download worker and the
// thumbnail fetcher run on their thread: transfers are added, moved on while
// the thread sleeps in Step, and collected as they end. Wake may be called
// from any thread.
class TransferLoop {
public:
    TransferLoop();
    ~TransferLoop();
    TransferLoop(const TransferLoop&) = delete;
    TransferLoop& operator=(const TransferLoop&) = delete;

    bool IsValid() const { return multi != nullptr; }
    // At most this many connections to one host at once.
    void LimitHostConnections(long connections);
    bool Add(CURL* handle);
    void Remove(CURL* handle);
    // Sleeps until a transfer has something to do, Wake is called or
    // milliseconds pass, then moves every transfer on.
    void Step(int milliseconds);
    // The next transfer that ended since the last call, with its result;
    // false when there is none. The transfer is still in the loop.
    bool NextFinished(CURL*& handle, CURLcode& result);
    // Ends Step early. Any thread.
    void Wake();
    // Closes every connection the loop keeps open for reuse; no transfer may
    // be in it. A paused download holds none.
    void CloseConnections();

private:
    void Make();

    std::mutex lock; // Wake against CloseConnections
    CURLM* multi = nullptr;
    long hostConnections = 0;
};
