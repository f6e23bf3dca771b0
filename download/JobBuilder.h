#pragma once

#include "download/DownloadJob.h"
#include "harvest/HarvestLine.h"
#include "harvest/PageScan.h"

#include <QByteArray>
#include <QList>
#include <QUrl>

// The page harvested lines were listed on, as the download requests present
// it: its address, the Referer policy it states and the browser's cookies.
struct JobOrigin {
    QUrl page;
    RefererPolicy policy;
    QList<QByteArray> cookieLines;
};

// Turns harvested lines into the one DownloadJob the window and quillmar-harvest
// hand to a worker: each line's address once, a name shared by several
// addresses numbered, every request carrying the page's Referer and cookies;
// file: sources only from a file: page.
class JobBuilder {
public:
    JobBuilder(const JobOrigin& origin, const QString& folder, int parallel);

    // Appends lines in the order given; false when a line's address is not one
    // listed in map (the page was scanned again since), and the job is not to run.
    bool AddLines(const HarvestLines& lines, const HarvestMap& map);

    const DownloadJob& Job() const;

private:
    QString folder;
    DownloadJob job;
};
