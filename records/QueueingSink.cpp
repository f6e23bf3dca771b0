#include "records/QueueingSink.h"

QueueingSink::QueueingSink(std::unique_ptr<DownloadProgressSink> inner, const QString& folder,
                           const DownloadJob& job, bool recorded, DownloadQueue queue)
    : ForwardingSink(std::move(inner)), queue(std::move(queue)),
      id(this->queue.Add(folder, job, recorded)) {}

QueueingSink::~QueueingSink() {
    if (!settled)
        queue.Remove(id);
}

void QueueingSink::AnimationStopped() {
    if (interrupted)
        queue.Release(id);
    else
        queue.Remove(id);
    settled = true;
    ForwardingSink::AnimationStopped();
}

void QueueingSink::FileFinished(int index, const QString& name, bool saved, const QString& reason) {
    if (saved)
        queue.MarkSaved(id, index);
    ForwardingSink::FileFinished(index, name, saved, reason);
}

void QueueingSink::Interrupted() {
    interrupted = true;
    ForwardingSink::Interrupted();
}
