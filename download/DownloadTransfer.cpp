#include "download/DownloadTransfer.h"

#include "download/DownloadFolders.h"
#include "download/DownloadJob.h"
#include "download/DownloadProgressSink.h"
#include "download/TypeExtension.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <sys/stat.h>

namespace {

// Only a final answer that carries the resource itself is saved.
bool IsSavedHttpStatus(long status) {
    return status >= 200 && status < 300 && status != 204 && status != 205;
}

// A page may have web and file-transfer addresses fetched, and so may a redirect.
bool IsRemoteScheme(const QString& scheme) {
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
           scheme == QLatin1String("ftp") || scheme == QLatin1String("ftps");
}

} // namespace

const char* const DownloadTransfer::UserAgent = "Quillmar";

DownloadTransfer::DownloadTransfer(const DownloadJob& job, const DownloadFolders& folders,
                                   const std::atomic<bool>& cancelRequested,
                                   DownloadProgressSink& sink, QSet<QString>& savedDestinations)
    : job(job), folders(folders), cancelRequested(cancelRequested), sink(sink),
      savedDestinations(savedDestinations), handle(curl_easy_init()) {
    if (handle)
        Configure();
}

DownloadTransfer::~DownloadTransfer() {
    if (handle)
        curl_easy_cleanup(handle);
}

void DownloadTransfer::Configure() {
    curl_easy_setopt(handle, CURLOPT_USERAGENT, UserAgent);
    curl_easy_setopt(handle, CURLOPT_BUFFERSIZE, BlockSize);
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, ConnectSeconds);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &DownloadTransfer::WriteBlock);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &DownloadTransfer::WatchProgress);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, this);
    // The cookie engine sends each request and redirect only the cookies of its
    // address; an empty cookie file switches it on, the job's lines fill it.
    curl_easy_setopt(handle, CURLOPT_COOKIEFILE, "");
    for (const QByteArray& line : job.CookieLines)
        curl_easy_setopt(handle, CURLOPT_COOKIELIST, line.constData());
}

bool DownloadTransfer::Begin(int entry) {
    index = entry;
    name = job.Names.value(index);
    tries = 1;
    reason.clear();
    if (!handle) {
        reason = QStringLiteral("cannot start a transfer");
        return false;
    }
    if (!DownloadJob::IsPlainFileName(job.Names.value(index))) {
        reason = QStringLiteral("not a plain file name");
        return false;
    }
    return CheckSource() && StartAtListedAddress();
}

// Opens a fresh destination file and asks for the listed address again.
bool DownloadTransfer::StartAtListedAddress() {
    const int folder = folders.Handle(Folder());
    if (folder < 0) {
        reason = folders.Error(Folder());
        return false;
    }
    if (!file.Open(folder)) {
        reason = file.Error();
        return false;
    }
    hops = 0;
    Request(address);
    Restart();
    return true;
}

// Points the handle at target with the Referer the page gives that address.
// Redirects are followed here rather than by the transfer library, which
// would send the first address's Referer to every hop; a hop is never local.
void DownloadTransfer::Request(const QByteArray& target) {
    const QByteArray referer =
        job.RefererFor(job.Sources.value(index), QUrl::fromEncoded(target)).toUtf8();
    curl_easy_setopt(handle, CURLOPT_URL, target.constData());
    curl_easy_setopt(handle, CURLOPT_REFERER, referer.isEmpty() ? nullptr : referer.constData());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR,
                     hops == 0 && job.FileSourcesAllowed ? "http,https,ftp,ftps,file"
                                                         : "http,https,ftp,ftps");
    errorText[0] = '\0';
}

// A page decides which addresses are fetched: only web and file-transfer
// addresses, and local regular files only for a local page.
bool DownloadTransfer::CheckSource() {
    const QUrl source(job.Sources.value(index));
    if (!source.isValid() || source.isRelative()) {
        reason = QStringLiteral("not a valid address");
        return false;
    }
    const bool local = source.scheme() == QLatin1String("file");
    if (!(local && job.FileSourcesAllowed) && !IsRemoteScheme(source.scheme())) {
        reason = QStringLiteral("not allowed from this page");
        return false;
    }
    struct stat info {};
    if (local && ::stat(QFile::encodeName(source.toLocalFile()).constData(), &info) == 0 &&
        !S_ISREG(info.st_mode)) {
        reason = QStringLiteral("not a regular file");
        return false;
    }
    address = source.toEncoded();
    return true;
}

void DownloadTransfer::Restart() {
    writeFailed = false;
    stalled = false;
    windowStart = Clock::now();
    windowBytes = 0;
    nextProgressReport = windowStart;
    reportedProgress = -1;
}

DownloadTransfer::Outcome DownloadTransfer::Finish(CURLcode result) {
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    const QByteArray target = RedirectTarget(result, status);
    reason = target.isEmpty() ? FailureReason(result, status) : RedirectRefusal(target);
    if (!target.isEmpty() && reason.isEmpty()) {
        ++hops;
        Request(target);
        return Outcome::Redirect;
    }
    if (reason.isEmpty()) {
        const QString saved = NameByType();
        if (!saved.isEmpty() && Place(saved))
            return Outcome::Saved;
    }
    file.Discard();
    if (IsTransient(result, status) && ScheduleRetry())
        return Outcome::Retry;
    if (tries > 1)
        reason += QStringLiteral(" (%1 tries)").arg(tries);
    return Outcome::Failed;
}

// A name without a picture or media extension takes the one of the answer's
// type; an answer that is no picture is not saved under it at all.
QString DownloadTransfer::NameByType() {
    const char* type = nullptr;
    curl_easy_getinfo(handle, CURLINFO_CONTENT_TYPE, &type);
    const QString typeText = QString::fromLatin1(type);
    const QString typed = TypeExtension::NameWithExtension(name, typeText);
    if (typed.isEmpty())
        reason = QStringLiteral("not a picture: ") +
                 (type ? typeText.section(QLatin1Char(';'), 0, 0).trimmed()
                       : QStringLiteral("no type given"));
    return typed;
}

// Gives the finished file the first name, from wanted on, that neither replaces
// a file nor takes a name another entry of the job writes.
bool DownloadTransfer::Place(const QString& wanted) {
    if (!file.Finish()) {
        reason = file.Error();
        return false;
    }
    QString candidate = wanted;
    for (int number = 2; number <= MaxNumberedNames; ++number) {
        if (!IsTakenByJob(candidate)) {
            switch (file.PlaceAs(candidate)) {
            case DownloadFile::Placement::Placed:
                savedDestinations.insert(DestinationFor(candidate));
                name = candidate;
                return true;
            case DownloadFile::Placement::Failed:
                reason = file.Error();
                return false;
            case DownloadFile::Placement::Taken:
                if (!savedDestinations.contains(DestinationFor(candidate)) &&
                    file.HoldsSameBytesAs(candidate)) {
                    file.Discard();
                    name = candidate;
                    reason = QStringLiteral("already saved");
                    return true;
                }
                break;
            }
        }
        candidate = DownloadJob::NumberedName(wanted, number);
    }
    reason = QStringLiteral("cannot save file: no free name");
    return false;
}

bool DownloadTransfer::IsTakenByJob(const QString& candidate) const {
    const QString destination = DestinationFor(candidate);
    return destination != job.Destinations.value(index) &&
           (job.HasDestination(destination) || savedDestinations.contains(destination));
}

QString DownloadTransfer::DestinationFor(const QString& candidate) const {
    return job.Destinations.value(index).chopped(job.Names.value(index).size()) + candidate;
}

QString DownloadTransfer::Folder() const {
    return QFileInfo(job.Destinations.value(index)).path();
}

// Where a finished answer redirects to, or empty when it is not a redirect to follow.
QByteArray DownloadTransfer::RedirectTarget(CURLcode result, long status) const {
    const char* target = nullptr;
    if (result == CURLE_OK && !cancelRequested && IsHttp() && status >= 300 && status < 400 &&
        status != 304)
        curl_easy_getinfo(handle, CURLINFO_REDIRECT_URL, &target);
    return QByteArray(target);
}

// Empty when the redirect to target is followed.
QString DownloadTransfer::RedirectRefusal(const QByteArray& target) const {
    if (!IsRemoteScheme(QUrl::fromEncoded(target).scheme()))
        return QStringLiteral("not allowed from this page");
    if (hops >= MaxRedirects)
        return QStringLiteral("Maximum (%1) redirects followed").arg(MaxRedirects);
    return QString();
}

// Empty when the answer is to be saved.
QString DownloadTransfer::FailureReason(CURLcode result, long status) const {
    if (cancelRequested)
        return QStringLiteral("cancelled");
    if (writeFailed)
        return file.Error();
    if (stalled)
        return QStringLiteral("fewer than %1 bytes in %2 seconds, given up")
            .arg(StallBytes)
            .arg(StallSeconds);
    if (result != CURLE_OK)
        return QString::fromUtf8(errorText[0] ? errorText : curl_easy_strerror(result));
    if (IsHttp() && !IsSavedHttpStatus(status))
        return QStringLiteral("server answered %1").arg(status);
    return QString();
}

// Refused, dropped or unanswered connections, time-outs and a busy server may pass; a
// trickling server, a full disk or a missing file will not.
bool DownloadTransfer::IsTransient(CURLcode result, long status) const {
    if (cancelRequested || writeFailed || stalled)
        return false;
    switch (result) {
    case CURLE_COULDNT_CONNECT:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
        return true;
    case CURLE_OK:
        return IsHttp() && (status == 408 || status == 429 || status == 500 || status == 502 ||
                            status == 503 || status == 504);
    default:
        return false;
    }
}

bool DownloadTransfer::ScheduleRetry() {
    if (tries >= MaxTries)
        return false;
    curl_off_t asked = 0;
    curl_easy_getinfo(handle, CURLINFO_RETRY_AFTER, &asked);
    if (asked > MaxRetryAfterSeconds) {
        reason += QStringLiteral(", asked to wait %1 seconds").arg(asked);
        return false;
    }
    const auto wait =
        asked > 0 ? std::chrono::seconds(asked) : std::chrono::seconds(1 << (tries - 1));
    retryTime = Clock::now() + wait;
    return true;
}

// Each try starts again at the listed address.
bool DownloadTransfer::Retry() {
    ++tries;
    if (StartAtListedAddress())
        return true;
    reason += QStringLiteral(" (%1 tries)").arg(tries);
    return false;
}

void DownloadTransfer::Abandon(const QString& why) {
    reason = why;
    file.Discard();
}

bool DownloadTransfer::IsHttp() const {
    const char* scheme = nullptr;
    curl_easy_getinfo(handle, CURLINFO_SCHEME, &scheme);
    return scheme && (qstricmp(scheme, "http") == 0 || qstricmp(scheme, "https") == 0);
}

// Writes one received block straight to the file. The body of an answer that
// is not saved is read and dropped, so the connection stays usable.
size_t DownloadTransfer::WriteBlock(char* data, size_t size, size_t count, void* self) {
    auto* transfer = static_cast<DownloadTransfer*>(self);
    const size_t length = size * count;
    long status = 0;
    curl_easy_getinfo(transfer->handle, CURLINFO_RESPONSE_CODE, &status);
    if ((!transfer->IsHttp() || IsSavedHttpStatus(status)) && !transfer->file.Write(data, length)) {
        transfer->writeFailed = true;
        return CURL_WRITEFUNC_ERROR;
    }
    return transfer->cancelRequested ? CURL_WRITEFUNC_ERROR : length;
}

// Called about once a second even while nothing arrives, so a cancellation also
// ends a stalled transfer or a connection attempt, and a trickle is given up.
int DownloadTransfer::WatchProgress(void* self, curl_off_t total, curl_off_t received, curl_off_t,
                                    curl_off_t) {
    auto* transfer = static_cast<DownloadTransfer*>(self);
    const auto now = Clock::now();
    if (received < transfer->windowBytes) // a redirect starts the count again
        transfer->windowBytes = received;
    if (received - transfer->windowBytes >= StallBytes) {
        transfer->windowStart = now;
        transfer->windowBytes = received;
    } else if (now - transfer->windowStart >= std::chrono::seconds(StallSeconds)) {
        transfer->stalled = true;
    }
    transfer->ReportProgress(received, total);
    return transfer->cancelRequested || transfer->stalled ? 1 : 0;
}

// A few times a second at most, and only when the percentage (or, while the
// size is unknown, the count) has changed.
void DownloadTransfer::ReportProgress(curl_off_t received, curl_off_t total) {
    const auto now = Clock::now();
    const curl_off_t progress = total > 0 ? received * 100 / total : received;
    if (received <= 0 || progress == reportedProgress || now < nextProgressReport)
        return;
    reportedProgress = progress;
    nextProgressReport = now + ProgressInterval;
    sink.FileProgress(index, received, total);
}
