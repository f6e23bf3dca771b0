#include "ConsoleDownloadSink.h"

#include <cstdio>

ConsoleDownloadSink::ConsoleDownloadSink(std::atomic<int>& failures) : failures(failures) {}

void ConsoleDownloadSink::Message(const QString& text) {
    std::printf("%s\n", text.toUtf8().constData());
    std::fflush(stdout);
}

void ConsoleDownloadSink::FileFinished(int, const QString& name, bool saved,
                                       const QString& reason) {
    if (saved) {
        // "saved NAME", or "already saved NAME" for a file that was there.
        std::printf("%s %s\n", reason.isEmpty() ? "saved" : reason.toUtf8().constData(),
                    name.toUtf8().constData());
    } else {
        ++failures;
        std::printf("failed %s: %s\n", name.toUtf8().constData(), reason.toUtf8().constData());
    }
    std::fflush(stdout);
}
