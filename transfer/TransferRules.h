#pragma once

#include "transfer/RefererPolicy.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <curl/curl.h>

// The rules every fetch made for a page follows, whether it writes a file or
// fills memory: which addresses the page may have fetched, the cookies and the
// Referer each request and redirect hop carries, how fast it may arrive, and
// which answers count. A value: the download worker and the thumbnail fetcher
// each hold their own copy.
class TransferRules {
public:
    static const char* const UserAgent;
    static constexpr long ConnectSeconds = 30;
    static constexpr int MaxRedirects = 20;

    // The page the files were listed from and the Referer policy it states;
    // every request and every redirect hop carries the Referer they give.
    QUrl Page;
    RefererPolicy PagePolicy;
    // The browser's cookies as cookie-file lines for the transfer library's own
    // cookie engine, which sends each request and redirect only its own.
    QList<QByteArray> CookieLines;
    // The files were listed from a local page, so file: sources are allowed.
    bool FileSourcesAllowed = false;
    // The most bytes a second all transfers under these rules receive together; 0: no limit.
    qint64 MaxBytesPerSecond = 0;

    // Sets what every request shares: agent, time limits and the cookies,
    // which the transfer library sends to their own hosts only.
    void Configure(CURL* handle, char* errorText) const;
    // Points handle at target, met while fetching source, listed on page (empty:
    // Page) which states policy, with the Referer that gives it. Redirects are
    // followed by the caller rather than the transfer library, which would send
    // the first address's Referer to every hop; a hop (hops > 0) is never local.
    void Request(CURL* handle, const QUrl& page, const RefererPolicy& policy, const QString& source,
                 const QByteArray& target, int hops) const;
    // The Referer for a request to target while fetching source listed on page
    // (empty: Page) under policy; empty for none.
    QString RefererFor(const QUrl& page, const RefererPolicy& policy, const QString& source,
                       const QUrl& target) const;
    // What else than its address a request to target (made as RefererFor
    // says) may be answered by: its Referer and the cookies held for target's
    // host. Requests with the same mark are the same request.
    QByteArray RequestMark(const QUrl& page, const RefererPolicy& policy, const QString& source,
                           const QByteArray& target) const;
    // Whether a source listed on page (empty: Page) may be a file: source.
    bool FileSourceAllowed(const QUrl& page) const;

    // Why source may not be fetched for the page; empty when it may.
    static QString SourceRefusal(const QUrl& source, bool fileSourcesAllowed);
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
