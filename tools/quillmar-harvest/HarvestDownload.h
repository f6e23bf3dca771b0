#pragma once

#include "ConsoleDownloadSink.h"
#include "downloads/DownloadRequest.h"
#include "fetch/DownloadJob.h"
#include "names/NameTemplate.h"
#include "records/DownloadArchive.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

struct DeepEntry;
class FollowedList;
struct FollowedEntry;
class InterruptWatch;

// Downloads what a harvest listed, through the browser's download worker.
class HarvestDownload {
public:
    // The choices a download shares with the window's, and the tool's own.
    struct Choice : DownloadChoices {
        QString folder;
        bool images = true;
        bool links = true;
        QString match;      // only names containing this text, ignoring case; empty: all
        QStringList reject; // leave out names containing any of these, ignoring case
        QRegularExpression acceptAddresses; // when valid: only addresses it matches
        QRegularExpression rejectAddresses; // when valid: leave out addresses it matches
        qint64 minBytes = 0;                // leave out files smaller; 0: no bound
        qint64 maxBytes = 0;                // leave out files larger; 0: no bound
        int perSite = Limits::DefaultPerSiteConnections; // connections to one host at once
        QString archive;        // the record of files saved by earlier runs; empty: none
        bool progress = true;   // a progress line on a terminal's standard error
        bool json = false;      // one JSON object a file instead of a line of text
        bool quiet = false;     // not a line about any file
        QSet<QString> leaveOut; // addresses not fetched and not told (those a watch has seen)
    };

    // The records a run reads and writes; either may be missing.
    struct Records {
        // --archive: a listed address it holds is skipped.
        std::shared_ptr<DownloadArchive> archive;
        // The folder's own record: a file still in the folder as saved is not fetched again.
        std::shared_ptr<DownloadArchive> folder;
    };

    // A rate as --limit-rate takes it: bytes a second, or with K or M (1024,
    // 1048576) after the number; nothing when malformed or 0.
    static std::optional<qint64> RateIn(const QString& text);
    // A size as --min-bytes and --max-bytes take it: the same, or with G.
    static std::optional<qint64> SizeIn(const QString& text);
    // Why the filters of choice leave out a listed line; empty when they do not.
    static QString LeftOutReason(const DeepEntry& line, const Choice& choice);

    // One entry per chosen line of every harvest, images first, in list order,
    // named as the download commands name them: each address once, a name shared
    // by several addresses numbered. Every request carries the Referer a browser
    // would send from the page the line was listed on or taken from, and the
    // engine's cookies; file: sources are allowed only from a file: page.
    // Addresses the archive has a record of are left out ("skipped NAME" in
    // notFetched), then those whose file the folder's record finds still saved
    // ("already saved NAME"); the job counts both in its summary. Addresses
    // keptFor gives a better look-alike of are left out ("similar NAME: kept BEST").
    // Every other address is claimed in the records for this process, and one
    // that another running process claimed is left out too ("another run
    // fetches NAME", counted as skipped), so processes sharing the records
    // fetch it once. Addresses choice leaves out are passed over.
    static DownloadJob BuildJob(const std::vector<FollowedList>& harvests, const Choice& choice,
                                const Records& records, const QHash<QString, QString>& keptFor,
                                QStringList& notFetched);
    // The lines a download takes: of the chosen lists, with names that match.
    static std::vector<FollowedEntry> ChosenLines(const std::vector<FollowedList>& harvests,
                                                  const Choice& choice);

    // Runs the job on a worker thread while the event loop keeps running and
    // prints each file's outcome, recording the saved files in the records it
    // has and letting go of the claims; returns the exit code: 0 when every
    // file was saved. An interruption
    // ends the transfers, keeping the half-fetched files kept under partial
    // names for the next run to continue. On a terminal, a line on standard
    // error tells the totals, updated in place.
    // Given a tally, notes in it the addresses fetched and those that failed.
    static int Run(DownloadJob job, InterruptWatch& interrupts, const Records& records,
                   const Choice& choice, ConsoleDownloadSink::Tally* tally = nullptr);
};
