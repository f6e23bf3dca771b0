#pragma once

#include "download/DownloadFile.h"

#include <QString>

#include <curl/curl.h>

#include <atomic>
#include <chrono>

struct DownloadJob;

// One handle of the transfer library, reused for entry after entry of a job so
// its connections stay open, with the file the current entry is written to.
class DownloadTransfer {
public:
    DownloadTransfer(const DownloadJob& job, const std::atomic<bool>& cancelRequested);
    ~DownloadTransfer();
    DownloadTransfer(const DownloadTransfer&) = delete;
    DownloadTransfer& operator=(const DownloadTransfer&) = delete;

    CURL* Handle() const { return handle; }
    // Prepares entry index of the job; false with Reason() when it cannot start.
    bool Begin(int index);
    // Judges the ended transfer: true when the file is saved, else Reason() says why.
    bool Finish(CURLcode result);
    // Drops what the entry wrote so far.
    void Abandon();

    int Index() const { return index; }
    QString Reason() const { return reason; }

    static const char* const UserAgent;
    // Big blocks keep large files at the speed of the disk; one is held per transfer.
    static constexpr long BlockSize = 256 * 1024;
    // A transfer that moves fewer bytes than this in StallSeconds is given up.
    static constexpr curl_off_t StallBytes = 1024;
    static constexpr int StallSeconds = 60;
    static constexpr long ConnectSeconds = 30;

private:
    void Configure();
    bool CheckSource();
    bool IsHttp() const;
    void Restart();
    static size_t WriteBlock(char* data, size_t size, size_t count, void* self);
    static int WatchProgress(void* self, curl_off_t, curl_off_t received, curl_off_t, curl_off_t);

    const DownloadJob& job;
    const std::atomic<bool>& cancelRequested;
    CURL* handle;
    DownloadFile file;
    QByteArray address;
    QByteArray referer;
    int index = -1;
    QString reason;
    bool writeFailed = false;
    bool stalled = false;
    std::chrono::steady_clock::time_point windowStart;
    curl_off_t windowBytes = 0;
    char errorText[CURL_ERROR_SIZE] = {}; // the transfer library's last error, in detail
};
