#pragma once

#include "core/Limits.h"
#include "download/DownloadJob.h"

#include <QString>

class InterruptWatch;
class PageHarvester;

// Downloads what a harvest listed, through the browser's download worker.
class HarvestDownload {
public:
    struct Choice {
        QString folder;
        bool images = true;
        bool links = true;
        QString match; // only names containing this text, ignoring case; empty: all
        int parallel = Limits::DefaultParallelDownloads; // files fetched at once
    };

    // One entry per chosen line, images first, in list order, named as the
    // download commands name them: each address once, a name shared by several
    // addresses numbered. Every request carries the Referer a browser would send
    // from the page and the engine's cookies; file: sources are allowed only from
    // a file: page.
    static DownloadJob BuildJob(const PageHarvester& harvester, const Choice& choice);

    // Runs the job on a worker thread while the event loop keeps running and
    // prints each file's outcome; returns the exit code: 0 when every file was
    // saved. An interruption cancels the transfers, leaving no partial file.
    static int Run(DownloadJob job, InterruptWatch& interrupts);
};
