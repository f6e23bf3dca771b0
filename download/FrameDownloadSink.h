#pragma once

#include "download/DownloadProgressSink.h"

#include <QPointer>

class CMainFrame;

// Shows a worker's reports in the main frame: files left, message line and
// animation. Each report is queued to the user-interface thread, so they apply
// in the order the worker made them and only once the command that started the
// worker has returned to the event loop (after it showed "Downloading...").
class FrameDownloadSink : public DownloadProgressSink {
public:
    explicit FrameDownloadSink(CMainFrame* frame);

    void AnimationStarted() override;
    void AnimationStopped() override;
    void FilesLeft(int count) override;
    void Message(const QString& text) override;
    void FileFinished(int index, const QString& name, bool saved, const QString& reason) override;

private:
    template <typename Apply> void Post(Apply apply);

    QPointer<CMainFrame> frame;
};
