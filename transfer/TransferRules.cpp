#include "transfer/TransferRules.h"

#include <QFile>
#include <QUrl>

#include <algorithm>
#include <sys/stat.h>

namespace {

// A page may have web and file-transfer addresses fetched, and so may a redirect.
bool IsRemoteScheme(const QString& scheme) {
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
           scheme == QLatin1String("ftp") || scheme == QLatin1String("ftps");
}

// Whether the cookie-file line may go with a request to host. Any cookie of
// the host's domain or of a domain above it counts, whatever its path.
bool IsCookieOfHost(const QByteArray& line, const QString& host) {
    QByteArray domain = line.left(line.indexOf('\t')).toLower();
    if (domain.startsWith("#httponly_"))
        domain = domain.mid(10);
    while (domain.startsWith('.'))
        domain = domain.mid(1);
    const QByteArray name = host.toUtf8();
    return name == domain || name.endsWith('.' + domain);
}

} // namespace

const char* const TransferRules::UserAgent = "Quillmar";

void TransferRules::Configure(CURL* handle, char* errorText) const {
    curl_easy_setopt(handle, CURLOPT_USERAGENT, UserAgent);
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, ConnectSeconds);
    // An empty cookie file switches the cookie engine on, the job's lines fill it.
    curl_easy_setopt(handle, CURLOPT_COOKIEFILE, "");
    for (const QByteArray& line : CookieLines)
        curl_easy_setopt(handle, CURLOPT_COOKIELIST, line.constData());
}

QString TransferRules::SourceRefusal(const QUrl& source, bool fileSourcesAllowed) {
    if (!source.isValid() || source.isRelative())
        return QStringLiteral("not a valid address");
    const bool local = source.scheme() == QLatin1String("file");
    if (!(local && fileSourcesAllowed) && !IsRemoteScheme(source.scheme()))
        return QStringLiteral("not allowed from this page");
    struct stat info {};
    if (local && ::stat(QFile::encodeName(source.toLocalFile()).constData(), &info) == 0 &&
        !S_ISREG(info.st_mode))
        return QStringLiteral("not a regular file");
    return QString();
}

void TransferRules::Request(CURL* handle, const QUrl& page, const RefererPolicy& policy,
                            const QString& source, const QByteArray& target, int hops) const {
    const QByteArray referer = RefererFor(page, policy, source, QUrl::fromEncoded(target)).toUtf8();
    curl_easy_setopt(handle, CURLOPT_URL, target.constData());
    curl_easy_setopt(handle, CURLOPT_REFERER, referer.isEmpty() ? nullptr : referer.constData());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR,
                     hops == 0 && FileSourceAllowed(page) ? "http,https,ftp,ftps,file"
                                                          : "http,https,ftp,ftps");
}

QString TransferRules::RefererFor(const QUrl& page, const RefererPolicy& policy,
                                  const QString& source, const QUrl& target) const {
    return page.isEmpty() ? PagePolicy.RefererFor(Page, target, source)
                          : policy.RefererFor(page, target, source);
}

QByteArray TransferRules::RequestMark(const QUrl& page, const RefererPolicy& policy,
                                      const QString& source, const QByteArray& target) const {
    const QUrl address = QUrl::fromEncoded(target);
    QList<QByteArray> cookies;
    for (const QByteArray& line : CookieLines)
        if (IsCookieOfHost(line, address.host()))
            cookies.append(line);
    std::sort(cookies.begin(), cookies.end());
    cookies.prepend(RefererFor(page, policy, source, address).toUtf8());
    cookies.prepend(target);
    return cookies.join('\n');
}

bool TransferRules::FileSourceAllowed(const QUrl& page) const {
    return page.isEmpty() ? FileSourcesAllowed : page.isLocalFile();
}

QByteArray TransferRules::RedirectTarget(CURL* handle, CURLcode result, long status) {
    const char* target = nullptr;
    if (result == CURLE_OK && IsHttp(handle) && status >= 300 && status < 400 && status != 304)
        curl_easy_getinfo(handle, CURLINFO_REDIRECT_URL, &target);
    return QByteArray(target);
}

QString TransferRules::RedirectRefusal(const QByteArray& target, int hops) {
    if (!IsRemoteScheme(QUrl::fromEncoded(target).scheme()))
        return QStringLiteral("not allowed from this page");
    if (hops >= MaxRedirects)
        return QStringLiteral("Maximum (%1) redirects followed").arg(MaxRedirects);
    return QString();
}

bool TransferRules::IsHttp(CURL* handle) {
    const char* scheme = nullptr;
    curl_easy_getinfo(handle, CURLINFO_SCHEME, &scheme);
    return scheme && (qstricmp(scheme, "http") == 0 || qstricmp(scheme, "https") == 0);
}

bool TransferRules::IsKeptHttpStatus(long status) {
    return status >= 200 && status < 300 && status != 204 && status != 205;
}

QString TransferRules::StatusReason(long status) {
    return QStringLiteral("server answered %1").arg(status);
}
