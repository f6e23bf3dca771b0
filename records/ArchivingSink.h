#pragma once

#include "fetch/DownloadJob.h"
#include "fetch/ForwardingSink.h"

#include <memory>

class DownloadArchive;

// Passes a worker's reports on to another sink, and records each file in the
// archive as soon as it is saved, so a run stopped midway keeps its record.
class ArchivingSink : public ForwardingSink {
public:
    // job: the one the worker runs, whose entries the reports name.
    ArchivingSink(std::unique_ptr<DownloadProgressSink> inner,
                  std::shared_ptr<DownloadArchive> archive, const DownloadJob& job);

    void FileFinished(int index, const QString& name, bool saved, const QString& reason) override;

private:
    std::shared_ptr<DownloadArchive> archive;
    DownloadJob job;
};
