#pragma once

#include "fetch/DownloadJob.h"
#include "fetch/ForwardingSink.h"
#include "records/DownloadArchive.h"

#include <QStringList>

#include <chrono>
#include <memory>

// Passes a worker's reports on to another sink, and records the saved files
// in the archive, giving up the job's claims on the files that failed, in
// batches: one transaction for up to BatchFiles files or BatchTime, and the
// rest (and every claim) when the job ends. A file a killed run saved but did
// not record is found in the folder by the next run, so no batch is worth a
// write per file.
class ArchivingSink : public ForwardingSink {
public:
    // job: the one the worker runs, whose entries the reports name.
    ArchivingSink(std::unique_ptr<DownloadProgressSink> inner,
                  std::shared_ptr<DownloadArchive> archive, const DownloadJob& job);

    void AnimationStarted() override;
    void AnimationStopped() override;
    void FileFinished(int index, const QString& name, bool saved, const QString& reason) override;
    void FileProgress(int index, qint64 received, qint64 total) override;

    static constexpr int BatchFiles = 100;
    static constexpr std::chrono::milliseconds BatchTime{100};

private:
    using Clock = std::chrono::steady_clock;
    void WriteWhenDue();
    void Write();

    std::shared_ptr<DownloadArchive> archive;
    DownloadJob job;
    QList<DownloadArchive::SavedFile> saved; // not written yet
    QStringList failed;                      // claims not given up yet
    Clock::time_point firstWaiting;
};
