#pragma once

#include "downloads/DownloadRequest.h"

#include <QStringList>

#include <memory>

class DownloadHandle;
class RatePacer;
struct TransferRules;

// The one way in for downloads, for the window and the tool alike: builds the
// job a request asks for, chains its reports (the report or the caller's own,
// the records, the queue), starts its worker in the registry and keeps every
// download to the one speed limit.
class Downloads {
public:
    // The job's handle; null when nothing started: a line no longer listed (the
    // page was scanned again since) or no worker thread to run it.
    static std::shared_ptr<DownloadHandle> Start(const DownloadRequest& request);
    // The job a request of lines would run, and not run; nothing for a line no
    // longer listed. What record holds as saved or another job claims is not
    // run; the rest is claimed in it.
    static std::optional<DownloadJob> JobOf(const DownloadRequest& request,
                                            DownloadArchive* record = nullptr);
    // The names ("folder/name") the request's lines would be saved under.
    static QStringList SavedNames(const DownloadRequest& request);
    // Gives a job built from lines the caller's choices.
    static void ApplyChoices(const DownloadChoices& choices, DownloadJob& job);
    // The rules every transfer for lines of origin keeps to.
    static TransferRules RulesFor(const JobOrigin& origin);
    // The limit all downloads keep to together from now on, those running too,
    // and the one the window's next downloads are asked for.
    static void SetSpeedLimit(qint64 bytesPerSecond);

private:
    static JobBuilder BuilderFor(const DownloadRequest& request);
    static void Claim(DownloadJob& job, DownloadArchive& record);
    static const std::shared_ptr<RatePacer>& SharedPace();
    static std::unique_ptr<DownloadProgressSink>
    ChainedReports(const DownloadRequest& request, const DownloadJob& job, int reported,
                   const std::vector<std::shared_ptr<DownloadArchive>>& records);
};
