#include "transfer/EngineCookieJar.h"

#include "transfer/NetscapeCookieFile.h"

#include <QDateTime>
#include <QNetworkCookie>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

namespace {

QString Identity(const QNetworkCookie& cookie) {
    return cookie.domain() + '\t' + cookie.path() + '\t' + QString::fromUtf8(cookie.name());
}

} // namespace

EngineCookieJar::EngineCookieJar(QWebEngineCookieStore* store, QObject* parent)
    : QNetworkCookieJar(parent) {
    connect(store, &QWebEngineCookieStore::cookieAdded, this, [this](const QNetworkCookie& cookie) {
        told.insert(Identity(cookie));
        insertCookie(cookie);
    });
    connect(store, &QWebEngineCookieStore::cookieRemoved, this,
            [this](const QNetworkCookie& cookie) {
                told.insert(Identity(cookie));
                deleteCookie(cookie);
            });
    store->loadAllCookies();
}

EngineCookieJar* EngineCookieJar::ForProfile(QWebEngineProfile* profile) {
    auto* jar = profile->findChild<EngineCookieJar*>(QString(), Qt::FindDirectChildrenOnly);
    return jar ? jar : new EngineCookieJar(profile->cookieStore(), profile);
}

void EngineCookieJar::ReadStoredWith(std::function<QList<QNetworkCookie>()> read) {
    readStored = std::move(read);
}

QList<QNetworkCookie> EngineCookieJar::Known() const {
    if (!stored && readStored)
        stored = readStored();
    QList<QNetworkCookie> cookies = allCookies();
    for (const QNetworkCookie& cookie : stored.value_or(QList<QNetworkCookie>())) {
        if (!told.contains(Identity(cookie)))
            cookies.append(cookie);
    }
    return cookies;
}

QList<QByteArray> EngineCookieJar::CurlCookieLines() const {
    return NetscapeCookieFile::Lines(Known());
}

QList<QNetworkCookie> EngineCookieJar::CookiesOf(const QString& host) const {
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QString site = host.toLower();
    QList<QNetworkCookie> cookies = Known();
    cookies.removeIf([&](const QNetworkCookie& cookie) {
        // The engine reports domain cookies with a leading dot, host-only ones without.
        const QString domain = cookie.domain().toLower();
        const bool forSite =
            site.isEmpty() || domain == site ||
            (domain.startsWith('.') && (site == domain.mid(1) || site.endsWith(domain)));
        return !forSite || (!cookie.isSessionCookie() && cookie.expirationDate() <= now);
    });
    return cookies;
}

#include "moc_EngineCookieJar.cpp"
