#pragma once

#include "fetch/DownloadJob.h"
#include "fetch/DownloadProgressSink.h"

#include <atomic>

// Prints a download's outcome on standard output: one line per file and the
// closing message. Counts the files that failed; a file the filters leave out
// is no failure. Given the job, each file is one JSON object on a line instead:
//   {"outcome": "saved" | "already saved" | "failed" | "left out", "name", "address", "path",
//    "reason"}
// with the path it was saved under. Silent prints nothing. Given a tally, it
// notes the address of each file fetched and of each that failed. The
// program's event loop ends with the download.
class ConsoleDownloadSink : public DownloadProgressSink {
public:
    enum class Output { Lines, Json, Silent };
    struct Tally {
        QStringList fetched;
        QStringList failed;
    };
    ConsoleDownloadSink(std::atomic<int>& failures, const DownloadJob& job, Output output,
                        Tally* tally = nullptr);

    void AnimationStarted() override {}
    void AnimationStopped() override;
    void FilesLeft(int) override {}
    void Message(const QString& text) override;
    void FileFinished(int index, const QString& name, bool saved, const QString& reason) override;

    // "left out NAME: WHY", as the run tells a file its filters leave out.
    static QString LeftOutLine(const QString& name, const QString& why);

private:
    void PrintJson(int index, const QString& name, bool saved, const QString& reason) const;

    std::atomic<int>& failures;
    QList<DownloadEntry> entries;
    Output output;
    Tally* tally;
};
