#pragma once

#include "fetch/ForwardingSink.h"
#include "records/DownloadQueue.h"

#include <memory>

// Passes a worker's reports on to another sink, and keeps the job in the
// download queue while it runs: written when the sink is made, each saved
// file marked, removed when the job ends or is cancelled, and left for the
// next start when the program ends first (or never ends it, crashing).
class QueueingSink : public ForwardingSink {
public:
    QueueingSink(std::unique_ptr<DownloadProgressSink> inner, const QString& folder,
                 const DownloadJob& job, bool recorded, DownloadQueue queue = DownloadQueue());
    // A job that never ran is not kept.
    ~QueueingSink() override;
    QueueingSink(const QueueingSink&) = delete;
    QueueingSink& operator=(const QueueingSink&) = delete;

    void AnimationStopped() override;
    void FileFinished(int index, const QString& name, bool saved, const QString& reason) override;
    void Interrupted() override;

private:
    DownloadQueue queue;
    qint64 id;
    bool interrupted = false;
    bool settled = false; // the queue knows how the job ended
};
