#pragma once

#include "download/DownloadJob.h"
#include "download/DownloadProgressSink.h"

#include <QPointer>

class CMainFrame;

// Shows a worker's reports in the main frame: files left, message line and
// animation. Each report is queued to the user-interface thread, so they apply
// in the order the worker made them and only once the command that started the
// worker has returned to the event loop (after it showed "Downloading...").
// Each file's progress and outcome go to the frame's download report as job
// reportedJob.
class FrameDownloadSink : public DownloadProgressSink {
public:
    explicit FrameDownloadSink(CMainFrame* frame, int reportedJob = 0);

    // Notes the job in the frame's download report and starts a worker on it
    // that reports to the frame; false when no worker could be started.
    static bool Start(CMainFrame* frame, const QString& folder, DownloadJob job);

    void AnimationStarted() override;
    void AnimationStopped() override;
    void FilesLeft(int count) override;
    void Message(const QString& text) override;
    void FileFinished(int index, const QString& name, bool saved, const QString& reason) override;
    void FileProgress(int index, qint64 received, qint64 total) override;

private:
    template <typename Apply> void Post(Apply apply);

    QPointer<CMainFrame> frame;
    int reportedJob;
};
