#pragma once

#include "download/DownloadProgressSink.h"

#include <QStringList>

#include <memory>

class DownloadArchive;

// Passes a worker's reports on to another sink, and records each file in the
// archive as soon as it is saved, so a run stopped midway keeps its record.
class ArchivingSink : public DownloadProgressSink {
public:
    // sources: the job's addresses, by entry.
    ArchivingSink(std::unique_ptr<DownloadProgressSink> inner,
                  std::shared_ptr<DownloadArchive> archive, const QStringList& sources);

    void AnimationStarted() override;
    void AnimationStopped() override;
    void FilesLeft(int count) override;
    void Message(const QString& text) override;
    void FileFinished(int index, const QString& name, bool saved, const QString& reason) override;
    void FileProgress(int index, qint64 received, qint64 total) override;

private:
    std::unique_ptr<DownloadProgressSink> inner;
    std::shared_ptr<DownloadArchive> archive;
    QStringList sources;
};
