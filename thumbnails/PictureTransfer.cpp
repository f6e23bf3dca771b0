#include "thumbnails/PictureTransfer.h"

#include "download/DownloadJob.h"
#include "download/TransferRules.h"

#include <QUrl>

PictureTransfer::PictureTransfer(std::shared_ptr<const DownloadJob> rules)
    : rules(std::move(rules)), handle(curl_easy_init()) {
    if (handle)
        Configure();
}

PictureTransfer::~PictureTransfer() {
    if (handle)
        curl_easy_cleanup(handle);
}

void PictureTransfer::Configure() {
    TransferRules::Configure(handle, *rules, errorText);
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
    TransferRules::Request(handle, *rules, address, source.toEncoded(), hops);
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
        TransferRules::Request(handle, *rules, address, target, hops);
        return Outcome::Redirect;
    }
    if (!reason.isEmpty())
        data.clear();
    return reason.isEmpty() ? Outcome::Fetched : Outcome::Failed;
}

QString PictureTransfer::FailureReason(CURLcode result, long status) const {
    if (tooLarge || result == CURLE_FILESIZE_EXCEEDED)
        return QStringLiteral("larger than %1 MB, not fetched").arg(MaxBytes / (1024 * 1024));
    if (result != CURLE_OK)
        return QString::fromUtf8(errorText[0] ? errorText : curl_easy_strerror(result));
    if (TransferRules::IsHttp(handle) && !TransferRules::IsKeptHttpStatus(status))
        return TransferRules::StatusReason(status);
    return QString();
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
