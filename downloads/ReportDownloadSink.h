#pragma once

#include "fetch/DownloadProgressSink.h"

#include <QPointer>

#include <memory>

class DownloadReport;

// Feeds a worker's reports into the download report: files left (summed over
// the workers running), running jobs, the job's end and each file's progress
// and outcome as job reportedJob. Each report is queued to the user-interface
// thread, so they apply in the order the worker made them and only once the
// command that started the worker has returned to the event loop (after it
// showed "Downloading...").
class ReportDownloadSink : public DownloadProgressSink {
public:
    explicit ReportDownloadSink(DownloadReport* report, int reportedJob = 0);

    void AnimationStarted() override;
    void AnimationStopped() override;
    void FilesLeft(int count) override;
    void Message(const QString& text) override;
    void FileFinished(int index, const QString& name, bool saved, const QString& reason) override;
    void FileProgress(int index, qint64 received, qint64 total) override;
    void FileRetrying(int index, int nextTry, int tries) override;

private:
    template <typename Apply> void Post(Apply apply);

    QPointer<DownloadReport> report;
    int reportedJob;
    // This worker's part of the report's files-left total; touched on the
    // user-interface thread only.
    std::shared_ptr<int> filesLeftShown;
    bool completed = false; // the worker said its closing words; its thread only
};
