#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <curl/curl.h>

#include <chrono>
#include <memory>

class TransferRules;

// One handle of the transfer library that fetches a picture whole into
// memory under the download rules of its page (allowed sources, cookies,
// Referer on every hop), reused from picture to picture.
class PictureTransfer {
public:
    // Each fetch, redirects included, ends after timeLimitSeconds whatever it got.
    PictureTransfer(std::shared_ptr<const TransferRules> rules, int timeLimitSeconds);
    ~PictureTransfer();
    PictureTransfer(const PictureTransfer&) = delete;
    PictureTransfer& operator=(const PictureTransfer&) = delete;

    enum class Outcome { Fetched, Failed, Redirect };

    CURL* Handle() const { return handle; }
    const TransferRules& Rules() const { return *rules; }
    // Prepares the fetch of address; false with Reason() when it may not start.
    bool Begin(const QString& address);
    // Judges the ended transfer: Fetched with TakeData(), Failed with Reason(),
    // or Redirect when the handle now points to the next hop.
    Outcome Finish(CURLcode result);
    QString Address() const { return address; }
    QString Reason() const { return reason; }
    QByteArray TakeData();
    // The Content-Type of the fetched answer, empty when it gave none.
    QByteArray Type() const { return type; }
    // The mark of each request of the fetch, redirects included (TransferRules::RequestMark).
    QList<QByteArray> Requests() const { return requests; }

    // Larger pictures are not fetched for a thumbnail.
    static constexpr qint64 MaxBytes = 25 * 1024 * 1024;
    // A transfer slower than this many bytes a second for LowSpeedSeconds is given up.
    static constexpr long LowSpeedBytes = 1024;
    static constexpr long LowSpeedSeconds = 30;

private:
    static constexpr qint64 TimerSlackMs = 50;

    void Configure();
    // Gives the next hop what is left of the fetch's time.
    void LimitTime();
    void Request(const QByteArray& target);
    qint64 ElapsedMilliseconds() const;
    QString FailureReason(CURLcode result, long status) const;
    static size_t Append(char* data, size_t size, size_t count, void* self);

    std::shared_ptr<const TransferRules> rules;
    qint64 timeLimitMilliseconds;
    std::chrono::steady_clock::time_point started;
    CURL* handle;
    QString address;
    QByteArray data;
    QByteArray type;
    QList<QByteArray> requests;
    QString reason;
    int hops = 0;
    bool tooLarge = false;
    char errorText[CURL_ERROR_SIZE] = {};
};
