#include "thumbnails/PictureTransfer.h"

#include "transfer/TransferRules.h"

#include <QUrl>

#include <algorithm>

PictureTransfer::PictureTransfer(std::shared_ptr<const TransferRules> rules, int timeLimitSeconds)
    : rules(std::move(rules)), timeLimitMilliseconds(timeLimitSeconds * qint64(1000)),
      handle(curl_easy_init()) {
    if (handle)
        Configure();
}

PictureTransfer::~PictureTransfer() {
    if (handle)
        curl_easy_cleanup(handle);
}

void PictureTransfer::Configure() {
    rules->Configure(handle, errorText);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &PictureTransfer::Append);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(MaxBytes));
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, LowSpeedBytes);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, LowSpeedSeconds);
}

bool PictureTransfer::Begin(const QString& picture) {
    address = picture;
    data.clear();
    hops = 0;
    tooLarge = false;
    errorText[0] = '\0';
    const QUrl source(picture);
    reason = handle ? TransferRules::SourceRefusal(source, rules->FileSourcesAllowed)
                    : QStringLiteral("cannot start a transfer");
    if (!reason.isEmpty())
        return false;
    started = std::chrono::steady_clock::now();
    LimitTime();
    requests.clear();
    Request(source.toEncoded());
    return true;
}

PictureTransfer::Outcome PictureTransfer::Finish(CURLcode result) {
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    const QByteArray target = TransferRules::RedirectTarget(handle, result, status);
    reason = target.isEmpty() ? FailureReason(result, status)
                              : TransferRules::RedirectRefusal(target, hops);
    if (!target.isEmpty() && reason.isEmpty()) {
        ++hops;
        data.clear();
        errorText[0] = '\0';
        LimitTime();
        Request(target);
        return Outcome::Redirect;
    }
    if (!reason.isEmpty())
        data.clear();
    const char* answerType = nullptr;
    curl_easy_getinfo(handle, CURLINFO_CONTENT_TYPE, &answerType);
    type = QByteArray(answerType);
    return reason.isEmpty() ? Outcome::Fetched : Outcome::Failed;
}

QString PictureTransfer::FailureReason(CURLcode result, long status) const {
    if (tooLarge || result == CURLE_FILESIZE_EXCEEDED)
        return QStringLiteral("larger than %1 MB, not fetched").arg(MaxBytes / (1024 * 1024));
    // libcurl's timer may end the fetch a moment before the limit on our clock.
    if (result == CURLE_OPERATION_TIMEDOUT &&
        ElapsedMilliseconds() >= timeLimitMilliseconds - TimerSlackMs)
        return QStringLiteral("not fetched in %1 seconds").arg(timeLimitMilliseconds / 1000);
    if (result != CURLE_OK)
        return QString::fromUtf8(errorText[0] ? errorText : curl_easy_strerror(result));
    if (TransferRules::IsHttp(handle) && !TransferRules::IsKeptHttpStatus(status))
        return TransferRules::StatusReason(status);
    return QString();
}

void PictureTransfer::Request(const QByteArray& target) {
    rules->Request(handle, QUrl(), RefererPolicy(), address, target, hops);
    requests.append(rules->RequestMark(QUrl(), RefererPolicy(), address, target));
}

void PictureTransfer::LimitTime() {
    const qint64 left = timeLimitMilliseconds - ElapsedMilliseconds();
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, long(std::max<qint64>(left, 1)));
}

qint64 PictureTransfer::ElapsedMilliseconds() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 started)
        .count();
}

QByteArray PictureTransfer::TakeData() {
    return std::exchange(data, QByteArray());
}

// Keeps the body of a kept answer; one that grows past the limit ends the
// transfer, also where the server did not announce its length.
size_t PictureTransfer::Append(char* block, size_t size, size_t count, void* self) {
    auto* transfer = static_cast<PictureTransfer*>(self);
    const size_t length = size * count;
    long status = 0;
    curl_easy_getinfo(transfer->handle, CURLINFO_RESPONSE_CODE, &status);
    if (TransferRules::IsHttp(transfer->handle) && !TransferRules::IsKeptHttpStatus(status))
        return length;
    if (transfer->data.size() + qint64(length) > MaxBytes) {
        transfer->tooLarge = true;
        return CURL_WRITEFUNC_ERROR;
    }
    transfer->data.append(block, qsizetype(length));
    return length;
}
