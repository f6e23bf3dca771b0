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
        std::printf("saved %s\n", name.toUtf8().constData());
    } else {
        ++failures;
        std::printf("failed %s: %s\n", name.toUtf8().constData(), reason.toUtf8().constData());
    }
    std::fflush(stdout);
}
