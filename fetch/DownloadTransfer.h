#pragma once

#include "fetch/DownloadFile.h"
#include "fetch/FilePlacement.h"
#include "fetch/HeldPictures.h"
#include "fetch/ResumeCheck.h"

#include <QSet>
#include <QString>

#include <curl/curl.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <optional>

struct DownloadEntry;
struct DownloadJob;
class DownloadFolders;
class DownloadProgressSink;
class RatePacer;

// One handle of the transfer library, reused for entry after entry of a job so
// its connections stay open, with the file the current entry is written to.
// savedDestinations holds every file the job has saved; the worker's
// transfers share it. A file already in the folder that the job did not
// write is never replaced (FilePlacement): an answer with the same bytes is
// "already saved", any other is saved under the next free "name (N).ext".
class DownloadTransfer {
public:
    DownloadTransfer(const DownloadJob& job, const DownloadFolders& folders,
                     const std::atomic<bool>& cancelRequested, DownloadProgressSink& sink,
                     QSet<QString>& savedDestinations);
    ~DownloadTransfer();
    DownloadTransfer(const DownloadTransfer&) = delete;
    DownloadTransfer& operator=(const DownloadTransfer&) = delete;

    enum class Outcome { Saved, Failed, Retry, Redirect };
    using Clock = std::chrono::steady_clock;

    CURL* Handle() const { return handle; }
    // Pays pacer for the bytes each read takes from the connection (as they
    // come, before any decoding), pausing the handle's reads while the pace is owed.
    void PaceWith(RatePacer* pacer);
    // Lets a handle paused for its pace run again.
    void Unpace();
    bool IsPacedOut() const { return pacedOut; }
    // Prepares entry index of the job; false with Reason() when it cannot start.
    bool Begin(int index);
    // After Begin: this run holds the entry's bytes whole, so it is not fetched.
    bool IsHeld() const { return held.has_value(); }
    // Writes the held bytes as the entry's file under the usual names; false with Reason().
    bool SaveHeld();
    // The reason a file written from bytes the Thumbnails window fetched is saved with.
    static QString HeldReason() { return QStringLiteral("from the Thumbnails window"); }
    // Judges the ended transfer: Saved, Failed with Reason(), Retry at RetryTime(),
    // or Redirect when the handle now points to the next hop and is to run again.
    Outcome Finish(CURLcode result);
    // Prepares the next try of the entry; false with Reason() when it cannot start.
    bool Retry();
    // Gives the entry up for the reason given, dropping what it wrote so far.
    void Abandon(const QString& why);
    // Gives the entry up for the reason given, keeping a file kept for a later run.
    void Interrupt(const QString& why);
    // The handle has left the loop mid-file: writes out what is held.
    void Pause();
    // Asks for the rest of the paused file, or for all of it where the server
    // gave nothing to check the rest against; false with Reason().
    bool Continue();
    // Bytes of the current entry received so far, earlier runs' included, and
    // its size (-1 while unknown).
    qint64 Received() const { return file.Size(); }
    qint64 Expected() const { return expected; }

    int Index() const { return index; }
    // The name the entry is saved under: the listed one, or that name with the
    // extension of the answer's type (or of the picture its first bytes begin,
    // where the type says nothing useful) when it had no picture or media
    // extension, numbered when a file of that name was in the way.
    QString Name() const { return name; }
    QString Reason() const { return reason; }
    // Tries of the current entry so far, the one running included.
    int Tries() const { return tries; }
    Clock::time_point RetryTime() const { return retryTime; }
    // The seconds the server's last answer asked to wait before the retry (Retry-After); 0: none.
    qint64 AskedToWait() const { return askedToWait; }

    // Big blocks keep large files at the speed of the disk; one is held per transfer.
    static constexpr long BlockSize = 256 * 1024;
    // The smallest read the transfer library takes.
    static constexpr long SmallestBlockSize = 1024;
    // A transfer that moves fewer bytes than this in StallSeconds is given up.
    static constexpr curl_off_t StallBytes = 1024;
    static constexpr int StallSeconds = 60;
    // Tries of an entry that fails for a passing reason, and the longest wait a
    // server may ask for between them.
    static constexpr int MaxTries = 4;
    static constexpr curl_off_t MaxRetryAfterSeconds = 60;
    // The shortest time between two progress reports of a file.
    static constexpr std::chrono::milliseconds ProgressInterval{250};
    // A file in progress is kept under its partial name, for a later run to
    // continue, once it holds this many bytes.
    static constexpr qint64 KeepAfterBytes = 1024 * 1024;
    // In one try, how often an answer that cannot be joined to the file starts
    // it over, and how often the rest of a file that came short is asked for.
    static constexpr int MaxStartOvers = 2;
    static constexpr int MaxRestRequests = 8;

private:
    void Configure();
    bool OpenFile(int folder);
    QByteArray PartName() const;
    // Asks for the entry's bytes from from on, if the answer still is what the validator names.
    void AskFrom(qint64 from);
    // Judges a kept answer before its first byte is written: a whole one
    // starts the file over, a part that does not fit ends the answer.
    bool TakeAnswer(long status);
    bool WithinBounds(size_t length);
    QString SmallerText() const;
    // Judges the ended answer: Saved when the file is whole, Redirect when it
    // is to be asked for again, or Failed.
    Outcome JudgeAnswer(CURLcode result, long status);
    // Fetches the file whole again, dropping what it holds; Failed after MaxStartOvers.
    Outcome StartOver();
    // Asks for what a file that came short still lacks; Failed with the reason when it cannot.
    Outcome AskForRest();
    Outcome Save();
    void KeepWhenLarge();
    bool CheckSource();
    bool WouldSend(const QList<QByteArray>& requests) const;
    void Request(const QByteArray& target);
    bool IsHttp() const;
    QString FailureReason(CURLcode result, long status) const;
    bool IsTransient(CURLcode result, long status) const;
    bool ScheduleRetry();
    bool StartAtListedAddress();
    void RequestRest();
    void Restart();
    QString NameByType(const char* type);
    bool FoundSameSize();
    bool Place(const QString& wanted);
    const DownloadEntry& Entry() const;
    QString Folder() const;
    void ReportProgress(curl_off_t received, curl_off_t total);
    // The start of the body, which tells a picture served without a useful type.
    void KeepFirstBytes(const char* data, size_t length);
    static size_t ReadHeader(char* data, size_t size, size_t count, void* self);
    static size_t WriteBlock(char* data, size_t size, size_t count, void* self);
    static int WatchProgress(void* self, curl_off_t total, curl_off_t received, curl_off_t,
                             curl_off_t);
    void KeepPace(curl_off_t received);

    const DownloadJob& job;
    const DownloadFolders& folders;
    const std::atomic<bool>& cancelRequested;
    DownloadProgressSink& sink;
    FilePlacement placement;
    CURL* handle;
    DownloadFile file;
    QByteArray address;
    int index = -1;
    QString name;
    int tries = 0;
    int hops = 0; // redirects followed in this try
    Clock::time_point retryTime;
    qint64 askedToWait = 0;
    QString outOfBounds; // why the answer is left out by its size; empty: it is not
    QString reason;
    bool writeFailed = false;
    RatePacer* pacer = nullptr;
    bool pacedOut = false;
    curl_off_t pacedBytes = 0; // of the current request, paid for
    bool stalled = false;
    Clock::time_point windowStart;
    curl_off_t windowBytes = 0;
    Clock::time_point nextProgressReport;
    curl_off_t reportedProgress = 0; // bytes last reported
    QByteArray firstBytes;
    std::optional<HeldPictures::Picture> held;
    ResumeCheck resume;      // what was asked and what the answer says of it
    qint64 progressBase = 0; // bytes before the current answer's first
    qint64 expected = -1;
    bool answerTaken = false;
    bool startOver = false;     // the answer cannot be joined to the file
    bool keepTried = false;     // to keep the file under its partial name, in this answer
    int startOvers = 0;         // in this try
    int restRequests = 0;       // in this try
    bool sameSizeThere = false; // the folder holds the file: the body is not fetched
    timespec begun{};           // when the job began
    curl_slist* headers = nullptr;
    char errorText[CURL_ERROR_SIZE] = {}; // the transfer library's last error, in detail
};
