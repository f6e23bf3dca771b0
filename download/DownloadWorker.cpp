#include "download/DownloadWorker.h"

#include "download/DownloadFile.h"
#include "download/DownloadProgressSink.h"

#include <QUrl>

#include <curl/curl.h>

namespace {

static_assert(CURL_ERROR_SIZE <= 256, "error text buffer too small");

bool InitialiseCurlOnce() {
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return initialised;
}

QString CompletionMessage(int saved, int count) {
    if (saved == count)
        return QStringLiteral("Download complete");
    return QStringLiteral("Download complete: %1 of %2 files saved.").arg(saved).arg(count);
}

// The one entry being fetched, shared with the transfer callbacks.
struct Transfer {
    const DownloadWorker* worker = nullptr;
    CURL* session = nullptr;
    DownloadFile file;
    bool writeFailed = false;
};

// Writes one received block (at most DownloadWorker::TransferBlockSize bytes)
// straight to the file. The body of an error page is read and dropped, so the
// connection stays usable for the next file.
size_t WriteBlock(char* data, size_t size, size_t count, void* userData) {
    auto* transfer = static_cast<Transfer*>(userData);
    const size_t length = size * count;
    long status = 0;
    curl_easy_getinfo(transfer->session, CURLINFO_RESPONSE_CODE, &status);
    if (status < 400 && !transfer->file.Write(data, length)) {
        transfer->writeFailed = true;
        return CURL_WRITEFUNC_ERROR;
    }
    return transfer->worker->CancelRequested() ? CURL_WRITEFUNC_ERROR : length;
}

// Called about once a second even while nothing arrives, so a cancellation also
// ends a stalled transfer or a connection attempt.
int CheckCancel(void* userData, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<Transfer*>(userData)->worker->CancelRequested() ? 1 : 0;
}

} // namespace

const char* const DownloadWorker::UserAgent = "Quillmar";

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
    CURL* session = OpenSession();
    sink->AnimationStarted();
    sink->FilesLeft(count);
    int saved = 0;
    for (int i = 0; i < count && !CancelRequested(); ++i) {
        QString reason = QStringLiteral("cannot start a transfer");
        const bool ok = session && DownloadEntry(session, i, reason);
        if (ok)
            ++saved;
        sink->FileFinished(i, job.Names.value(i), ok, ok ? QString() : reason);
        sink->FilesLeft(count - 1 - i);
    }
    if (!CancelRequested())
        sink->Message(CompletionMessage(saved, count));
    sink->AnimationStopped();
    if (session)
        curl_easy_cleanup(session);
    return saved;
}

// One handle for the whole job, so every file after the first reuses the connection.
void* DownloadWorker::OpenSession() {
    CURL* session = curl_easy_init();
    if (!session)
        return nullptr;
    curl_easy_setopt(session, CURLOPT_USERAGENT, UserAgent);
    curl_easy_setopt(session, CURLOPT_BUFFERSIZE, TransferBlockSize);
    curl_easy_setopt(session, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(session, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(session, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(session, CURLOPT_MAXREDIRS, 20L);
    curl_easy_setopt(session, CURLOPT_PROTOCOLS_STR, "http,https,ftp,ftps,file");
    curl_easy_setopt(session, CURLOPT_REDIR_PROTOCOLS_STR, "http,https,ftp,ftps");
    // A server that sends nothing for a minute is given up, so a job never hangs.
    curl_easy_setopt(session, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(session, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(session, CURLOPT_WRITEFUNCTION, &WriteBlock);
    curl_easy_setopt(session, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(session, CURLOPT_XFERINFOFUNCTION, &CheckCancel);
    // An empty cookie file switches the cookie engine on; the lines fill it.
    curl_easy_setopt(session, CURLOPT_COOKIEFILE, "");
    for (const QByteArray& line : job.CookieLines)
        curl_easy_setopt(session, CURLOPT_COOKIELIST, line.constData());
    return session;
}

bool DownloadWorker::DownloadEntry(void* session, int index, QString& reason) {
    if (!DownloadJob::IsPlainFileName(job.Names.value(index))) {
        reason = QStringLiteral("not a plain file name");
        return false;
    }
    const QUrl source(job.Sources.value(index));
    if (!source.isValid() || source.isRelative()) {
        reason = QStringLiteral("not a valid address");
        return false;
    }
    Transfer transfer;
    transfer.worker = this;
    transfer.session = session;
    if (!transfer.file.Open(job.Destinations.value(index))) {
        reason = transfer.file.Error();
        return false;
    }

    const QByteArray address = source.toEncoded();
    const QByteArray referer = job.Referers.value(index).toUtf8();
    curl_easy_setopt(session, CURLOPT_URL, address.constData());
    curl_easy_setopt(session, CURLOPT_REFERER, referer.isEmpty() ? nullptr : referer.constData());
    curl_easy_setopt(session, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(session, CURLOPT_XFERINFODATA, &transfer);
    errorText[0] = '\0';
    const CURLcode result = curl_easy_perform(session);

    long status = 0;
    curl_easy_getinfo(session, CURLINFO_RESPONSE_CODE, &status);
    if (CancelRequested())
        reason = QStringLiteral("cancelled");
    else if (transfer.writeFailed)
        reason = transfer.file.Error();
    else if (result != CURLE_OK)
        reason = QString::fromUtf8(errorText[0] ? errorText : curl_easy_strerror(result));
    else if (status >= 400)
        reason = QStringLiteral("server answered %1").arg(status);
    else if (transfer.file.Commit())
        return true;
    else
        reason = transfer.file.Error();
    transfer.file.Discard();
    return false;
}
