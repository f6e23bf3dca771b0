#pragma once

#include "fetch/DownloadJob.h"
#include "fetch/DownloadProgressSink.h"

#include <QPointer>

#include <memory>

class DownloadArchive;
class DownloadReport;
class RatePacer;

// Feeds a worker's reports into the download report: files left (summed over
// the workers running), running jobs, the job's end and each file's progress
// and outcome as job reportedJob. Each report is queued to the user-interface
// thread, so they apply in the order the worker made them and only once the
// command that started the worker has returned to the event loop (after it
// showed "Downloading...").
class ReportDownloadSink : public DownloadProgressSink {
public:
    explicit ReportDownloadSink(DownloadReport* report, int reportedJob = 0);

    // Notes the job in the report (as a retry of job retryOf, if given) and
    // starts a worker on it that reports there, recording each saved file in
    // archive when there is one and keeping the job in the download queue
    // while it runs, within the speed limit; false when no worker could be
    // started. The folder is taken as a copy: a retry names its job's folder,
    // which moves when the report adds the retry.
    static bool Start(DownloadReport* report, QString folder, DownloadJob job,
                      std::shared_ptr<DownloadArchive> archive = nullptr, int retryOf = 0);

    void AnimationStarted() override;
    void AnimationStopped() override;
    void FilesLeft(int count) override;
    void Message(const QString& text) override;
    void FileFinished(int index, const QString& name, bool saved, const QString& reason) override;
    void FileProgress(int index, qint64 received, qint64 total) override;
    void FileRetrying(int index, int nextTry, int tries) override;

    // The pace every download of the window keeps to together, set to the
    // limit the settings give now.
    static std::shared_ptr<RatePacer> SharedPace();

private:
    template <typename Apply> void Post(Apply apply);

    QPointer<DownloadReport> report;
    int reportedJob;
    // This worker's part of the report's files-left total; touched on the
    // user-interface thread only.
    std::shared_ptr<int> filesLeftShown;
};
