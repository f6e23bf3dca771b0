#pragma once

#include "download/DownloadProgressSink.h"

#include <QPointer>

#include <memory>

class CMainFrame;

// Shows a worker's reports in the main frame: files left (summed over the
// workers running), message line and animation. Each report is queued to the user-interface thread,
// so they apply in the order the worker made them and only once the command that started the worker
// has returned to the event loop (after it showed "Downloading...").
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
    // This worker's part of the frame's files-left total; touched on the
    // user-interface thread only.
    std::shared_ptr<int> filesLeftShown;
};
