#include "ConsoleDownloadSink.h"

#include "download/DownloadArchive.h"

#include <cstdio>

ConsoleDownloadSink::ConsoleDownloadSink(std::atomic<int>& failures, DownloadArchive* archive,
                                         const QStringList& sources)
    : failures(failures), archive(archive), sources(sources) {}

void ConsoleDownloadSink::Message(const QString& text) {
    std::printf("%s\n", text.toUtf8().constData());
    std::fflush(stdout);
}

void ConsoleDownloadSink::FileFinished(int index, const QString& name, bool saved,
                                       const QString& reason) {
    if (saved) {
        std::printf("saved %s\n", name.toUtf8().constData());
        if (archive && !archive->Record(sources.value(index), name))
            std::fprintf(stderr, "quillmar-harvest: cannot write %s\n",
                         archive->Path().toUtf8().constData());
    } else {
        ++failures;
        std::printf("failed %s: %s\n", name.toUtf8().constData(), reason.toUtf8().constData());
    }
    std::fflush(stdout);
}
