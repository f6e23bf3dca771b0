#include "download/EngineCookieJar.h"

#include <QDateTime>
#include <QNetworkCookie>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

EngineCookieJar::EngineCookieJar(QWebEngineCookieStore* store, QObject* parent)
    : QNetworkCookieJar(parent) {
    connect(store, &QWebEngineCookieStore::cookieAdded, this,
            [this](const QNetworkCookie& cookie) { insertCookie(cookie); });
    connect(store, &QWebEngineCookieStore::cookieRemoved, this,
            [this](const QNetworkCookie& cookie) { deleteCookie(cookie); });
    store->loadAllCookies();
}

EngineCookieJar* EngineCookieJar::ForProfile(QWebEngineProfile* profile) {
    auto* jar = profile->findChild<EngineCookieJar*>(QString(), Qt::FindDirectChildrenOnly);
    return jar ? jar : new EngineCookieJar(profile->cookieStore(), profile);
}

QList<QByteArray> EngineCookieJar::CurlCookieLines() const {
    QList<QByteArray> lines;
    const QList<QNetworkCookie> cookies = allCookies();
    for (const QNetworkCookie& cookie : cookies) {
        // The engine reports domain cookies with a leading dot, host-only ones without.
        const QByteArray domain = cookie.domain().toUtf8();
        const bool subdomains = domain.startsWith('.');
        const QByteArray path = cookie.path().isEmpty() ? QByteArray("/") : cookie.path().toUtf8();
        const qint64 expiry =
            cookie.isSessionCookie() ? 0 : cookie.expirationDate().toSecsSinceEpoch();
        lines.append((cookie.isHttpOnly() ? "#HttpOnly_" : "") + domain + '\t' +
                     (subdomains ? "TRUE" : "FALSE") + '\t' + path + '\t' +
                     (cookie.isSecure() ? "TRUE" : "FALSE") + '\t' + QByteArray::number(expiry) +
                     '\t' + cookie.name() + '\t' + cookie.value());
    }
    return lines;
}

#include "moc_EngineCookieJar.cpp"
