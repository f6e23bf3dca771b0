#include "records/QueueingSink.h"

QueueingSink::QueueingSink(std::unique_ptr<DownloadProgressSink> inner, const QString& folder,
                           const DownloadJob& job, bool recorded, DownloadQueue queue)
    : inner(std::move(inner)), queue(std::move(queue)), id(this->queue.Add(folder, job, recorded)) {
}

QueueingSink::~QueueingSink() {
    if (!settled)
        queue.Remove(id);
}

void QueueingSink::AnimationStarted() {
    inner->AnimationStarted();
}

void QueueingSink::AnimationStopped() {
    if (interrupted)
        queue.Release(id);
    else
        queue.Remove(id);
    settled = true;
    inner->AnimationStopped();
}

void QueueingSink::FilesLeft(int count) {
    inner->FilesLeft(count);
}

void QueueingSink::Message(const QString& text) {
    inner->Message(text);
}

void QueueingSink::FileFinished(int index, const QString& name, bool saved, const QString& reason) {
    if (saved)
        queue.MarkSaved(id, index);
    inner->FileFinished(index, name, saved, reason);
}

void QueueingSink::FileProgress(int index, qint64 received, qint64 total) {
    inner->FileProgress(index, received, total);
}

void QueueingSink::FileRetrying(int index, int nextTry, int tries) {
    inner->FileRetrying(index, nextTry, tries);
}

void QueueingSink::Interrupted() {
    interrupted = true;
    inner->Interrupted();
}
