#pragma once

#include "download/DownloadProgressSink.h"

#include <QStringList>

#include <atomic>

class DownloadArchive;

// Prints a download's outcome on standard output: one line per file and the
// closing message. Counts the files that failed, and records each saved file
// in the archive, when there is one, as soon as it is saved.
class ConsoleDownloadSink : public DownloadProgressSink {
public:
    // sources: the job's addresses, by entry.
    ConsoleDownloadSink(std::atomic<int>& failures, DownloadArchive* archive,
                        const QStringList& sources);

    void AnimationStarted() override {}
    void AnimationStopped() override {}
    void FilesLeft(int) override {}
    void Message(const QString& text) override;
    void FileFinished(int index, const QString& name, bool saved, const QString& reason) override;

private:
    std::atomic<int>& failures;
    DownloadArchive* archive;
    QStringList sources;
};
