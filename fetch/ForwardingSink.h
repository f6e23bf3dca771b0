#pragma once

#include "fetch/DownloadProgressSink.h"

#include <memory>

// Passes every report on to another sink; a sink that adds to some reports
// derives from it and overrides those alone.
class ForwardingSink : public DownloadProgressSink {
public:
    explicit ForwardingSink(std::unique_ptr<DownloadProgressSink> inner);

    // The job's reports.
    void AnimationStarted() override;
    void FilesLeft(int count) override;
    void Message(const QString& text) override;
    void Interrupted() override;
    void AnimationStopped() override;
    // Each file's.
    void FileProgress(int index, qint64 received, qint64 total) override;
    void FileRetrying(int index, int nextTry, int tries) override;
    void FileFinished(int index, const QString& name, bool saved, const QString& reason) override;

private:
    std::unique_ptr<DownloadProgressSink> inner;
};
