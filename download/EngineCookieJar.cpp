#include "download/EngineCookieJar.h"

#include <QNetworkCookie>
#include <QUrl>
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

QByteArray EngineCookieJar::CookieHeaderFor(const QUrl& address) const {
    QByteArray header;
    const QList<QNetworkCookie> cookies = cookiesForUrl(address);
    for (const QNetworkCookie& cookie : cookies) {
        if (!header.isEmpty())
            header += "; ";
        header += cookie.toRawForm(QNetworkCookie::NameAndValueOnly);
    }
    return header;
}

#include "moc_EngineCookieJar.cpp"
