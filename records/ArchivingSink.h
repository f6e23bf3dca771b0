#pragma once

#include "fetch/DownloadJob.h"
#include "fetch/DownloadProgressSink.h"

#include <memory>

class DownloadArchive;

// Passes a worker's reports on to another sink, and records each file in the
// archive as soon as it is saved, so a run stopped midway keeps its record.
class ArchivingSink : public DownloadProgressSink {
public:
    // job: the one the worker runs, whose entries the reports name.
    ArchivingSink(std::unique_ptr<DownloadProgressSink> inner,
                  std::shared_ptr<DownloadArchive> archive, const DownloadJob& job);

    void AnimationStarted() override;
    void AnimationStopped() override;
    void FilesLeft(int count) override;
    void Message(const QString& text) override;
    void FileFinished(int index, const QString& name, bool saved, const QString& reason) override;
    void FileProgress(int index, qint64 received, qint64 total) override;

private:
    std::unique_ptr<DownloadProgressSink> inner;
    std::shared_ptr<DownloadArchive> archive;
    DownloadJob job;
};
