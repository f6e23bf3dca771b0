#pragma once

#include "download/DownloadJob.h"

#include <QString>

class PageHarvester;

// Downloads what a harvest listed, through the browser's download worker.
class HarvestDownload {
public:
    struct Choice {
        QString folder;
        bool images = true;
        bool links = true;
        QString match; // only names containing this text, ignoring case; empty: all
    };

    // One entry per chosen line, images first, in list order, named as the
    // download commands name them: each address once, a name shared by several
    // addresses numbered. Every request carries the page as Referer and the
    // engine's cookies.
    static DownloadJob BuildJob(const PageHarvester& harvester, const Choice& choice);

    // Runs the job on a worker thread while the event loop keeps running and
    // prints each file's outcome; returns the exit code: 0 when every file was saved.
    static int Run(DownloadJob job);
};
