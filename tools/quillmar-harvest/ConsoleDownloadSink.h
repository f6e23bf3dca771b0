#pragma once

#include "download/DownloadProgressSink.h"

#include <atomic>

// Prints a download's outcome on standard output: one line per file and the
// closing message. Counts the files that failed.
class ConsoleDownloadSink : public DownloadProgressSink {
public:
    explicit ConsoleDownloadSink(std::atomic<int>& failures);

    void AnimationStarted() override {}
    void AnimationStopped() override {}
    void FilesLeft(int) override {}
    void Message(const QString& text) override;
    void FileFinished(int index, const QString& name, bool saved, const QString& reason) override;

private:
    std::atomic<int>& failures;
};
