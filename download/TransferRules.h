#pragma once

#include <QByteArray>
#include <QString>

#include <curl/curl.h>

struct DownloadJob;
class QUrl;

// The rules every fetch made for a page follows, whether it writes a file or
// fills memory: which addresses the page may have fetched, the cookies and the
// Referer each request and redirect hop carries, and which answers count.
class TransferRules {
public:
    static const char* const UserAgent;
    static constexpr long ConnectSeconds = 30;
    static constexpr int MaxRedirects = 20;

    // Sets what every request of the job shares: agent, time limits and the
    // job's cookies, which the transfer library sends to their own hosts only.
    static void Configure(CURL* handle, const DownloadJob& job, char* errorText);
    // Why source may not be fetched for the job's page; empty when it may.
    static QString SourceRefusal(const QUrl& source, bool fileSourcesAllowed);
    // Points handle at target, met while fetching the listed source, with the
    // Referer the page gives it. Redirects are followed by the caller rather
    // than the transfer library, which would send the first address's Referer
    // to every hop; a hop (hops > 0) is never local.
    static void Request(CURL* handle, const DownloadJob& job, const QString& source,
                        const QByteArray& target, int hops);
    // Where an ended answer redirects to, or empty when it is not a redirect.
    static QByteArray RedirectTarget(CURL* handle, CURLcode result, long status);
    // Why the redirect to target is not followed after hops others; empty when it is.
    static QString RedirectRefusal(const QByteArray& target, int hops);
    static bool IsHttp(CURL* handle);
    // Only a final answer that carries the resource itself is kept.
    static bool IsKeptHttpStatus(long status);
    // The reason shown for an HTTP answer that is not kept.
    static QString StatusReason(long status);
};
