#include "fetch/ForwardingSink.h"

ForwardingSink::ForwardingSink(std::unique_ptr<DownloadProgressSink> inner)
    : inner(std::move(inner)) {}

void ForwardingSink::AnimationStarted() {
    inner->AnimationStarted();
}

void ForwardingSink::AnimationStopped() {
    inner->AnimationStopped();
}

void ForwardingSink::FilesLeft(int count) {
    inner->FilesLeft(count);
}

void ForwardingSink::Message(const QString& text) {
    inner->Message(text);
}

void ForwardingSink::FileFinished(int index, const QString& name, bool saved,
                                  const QString& reason) {
    inner->FileFinished(index, name, saved, reason);
}

void ForwardingSink::FileProgress(int index, qint64 received, qint64 total) {
    inner->FileProgress(index, received, total);
}

void ForwardingSink::Interrupted() {
    inner->Interrupted();
}

void ForwardingSink::FileRetrying(int index, int nextTry, int tries) {
    inner->FileRetrying(index, nextTry, tries);
}
