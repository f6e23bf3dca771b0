#pragma once

#include "core/Limits.h"
#include "downloads/JobBuilder.h"
#include "fetch/DownloadJob.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class DownloadArchive;
class DownloadProgressSink;
class DownloadReport;

// How a caller wants its downloads: the window's choices come from its
// settings, the tool's from its options.
struct DownloadChoices {
    int parallel = Limits::DefaultParallelDownloads; // files fetched at once
    bool continuePartial = true;             // continue files an earlier run left half-fetched
    bool markOrigin = true;                  // write where each file came from onto it
    bool writeInfo = false;                  // and an info file "NAME.EXT.json" beside it
    QString names = NameTemplate::Default(); // the name template, checked already
    // For all downloads together, those running included; 0: no limit.
    qint64 maxBytesPerSecond = 0;
    // The folder's own record: what it finds still saved is not fetched, and
    // each file saved is recorded there.
    bool record = true;
};

// What a caller asks Downloads to fetch, and how.
struct DownloadRequest {
    // Makes the sink the worker reports to, given the job it runs.
    using Reports = std::function<std::unique_ptr<DownloadProgressSink>(const DownloadJob&)>;

    QString folder;
    // The page the lines were listed on, as the requests present it.
    JobOrigin origin;
    // The lines of one scan to fetch, in the order given, with the lists they
    // were taken from, the pages of lines taken from others and their sizes...
    HarvestLines lines;
    HarvestMap map;
    LineSources sources;
    std::vector<DeepEntry> sizes;
    // ...or a job built already: one resumed, a retry, the tool's.
    std::optional<DownloadJob> job;

    DownloadChoices choices;
    // Other records each saved file is recorded in (and released from).
    std::vector<std::shared_ptr<DownloadArchive>> records;
    // Kept in the download queue while it runs, so an interruption is offered
    // again at the next start.
    bool queued = true;
    // The job of the report this one retries; 0: none.
    int retryOf = 0;
    // Where the window shows the job; may be null.
    DownloadReport* report = nullptr;
    // The caller's own reports instead of the report's (the tool's).
    Reports reports;

    // A request of the window's: the choices its settings hold now.
    static DownloadRequest FromSettings(const JobOrigin& origin, const QString& folder);
};
