#include "download/DownloadWorker.h"

#include "download/DownloadProgressSink.h"
#include "download/DownloadTransfer.h"

#include <curl/curl.h>

namespace {

bool InitialiseCurlOnce() {
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return initialised;
}

QString CompletionMessage(int saved, int count) {
    if (saved == count)
        return QStringLiteral("Download complete");
    return QStringLiteral("Download complete: %1 of %2 files saved.").arg(saved).arg(count);
}

} // namespace

DownloadWorker::DownloadWorker(DownloadJob job, std::unique_ptr<DownloadProgressSink> sink)
    : job(std::move(job)), sink(std::move(sink)) {
    InitialiseCurlOnce();
}

DownloadWorker::~DownloadWorker() = default;

void DownloadWorker::RequestCancel() {
    cancelRequested = true;
}

bool DownloadWorker::CancelRequested() const {
    return cancelRequested;
}

int DownloadWorker::Run() {
    const int count = job.Count;
    DownloadTransfer transfer(job, cancelRequested);
    sink->AnimationStarted();
    sink->FilesLeft(count);
    int saved = 0;
    for (int i = 0; i < count && !CancelRequested(); ++i) {
        const bool ok = transfer.Begin(i) && transfer.Finish(curl_easy_perform(transfer.Handle()));
        if (ok)
            ++saved;
        sink->FileFinished(i, job.Names.value(i), ok, transfer.Reason());
        sink->FilesLeft(count - 1 - i);
    }
    if (!CancelRequested())
        sink->Message(CompletionMessage(saved, count));
    sink->AnimationStopped();
    return saved;
}
