#include "download/ArchivingSink.h"

#include "download/DownloadArchive.h"

ArchivingSink::ArchivingSink(std::unique_ptr<DownloadProgressSink> inner,
                             std::shared_ptr<DownloadArchive> archive, const QStringList& sources)
    : inner(std::move(inner)), archive(std::move(archive)), sources(sources) {}

void ArchivingSink::AnimationStarted() {
    inner->AnimationStarted();
}

void ArchivingSink::AnimationStopped() {
    inner->AnimationStopped();
}

void ArchivingSink::FilesLeft(int count) {
    inner->FilesLeft(count);
}

void ArchivingSink::Message(const QString& text) {
    inner->Message(text);
}

void ArchivingSink::FileFinished(int index, const QString& name, bool saved,
                                 const QString& reason) {
    // A record that cannot be written only costs a second fetch next time.
    if (saved)
        archive->Record(sources.value(index), name);
    inner->FileFinished(index, name, saved, reason);
}

void ArchivingSink::FileProgress(int index, qint64 received, qint64 total) {
    inner->FileProgress(index, received, total);
}
