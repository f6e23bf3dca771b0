#pragma once

#include <QByteArray>
#include <QNetworkCookieJar>
#include <QSet>

#include <functional>
#include <optional>

class QWebEngineCookieStore;
class QWebEngineProfile;

// A copy of the cookies the browser engine holds for one profile, kept up to
// date from the engine's cookie store, so downloads carry the cookies the
// engine would send for the same address.
class EngineCookieJar : public QNetworkCookieJar {
    Q_OBJECT
public:
    // Follows store from now on and asks it for every cookie it holds already
    // (which Qt WebEngine 6.4 answers with none: see ReadStoredWith).
    explicit EngineCookieJar(QWebEngineCookieStore* store, QObject* parent = nullptr);

    // The jar of profile, created on first use and owned by the profile.
    static EngineCookieJar* ForProfile(QWebEngineProfile* profile);

    // Where the cookies the profile kept from an earlier run are read from,
    // once, when cookies are first asked for: the store tells only of the
    // cookies set or removed since. Those it told of win over stored ones.
    void ReadStoredWith(std::function<QList<QNetworkCookie>()> read);

    // Every cookie as a line of the Netscape cookie file (domain, subdomains,
    // path, secure, expiry, name, value), "#HttpOnly_" before an HttpOnly
    // cookie's domain; a host-only cookie keeps its subdomains flag FALSE.
    QList<QByteArray> CurlCookieLines() const;
    // The cookies not expired yet that a request to host would carry, on
    // whatever path: those set for the host itself and for the domains above
    // it. An empty host: every cookie not expired yet.
    QList<QNetworkCookie> CookiesOf(const QString& host) const;

private:
    // The cookies the store told of, and the stored ones it told nothing of.
    QList<QNetworkCookie> Known() const;

    QSet<QString> told; // what the store told of: domain, path and name
    std::function<QList<QNetworkCookie>()> readStored;
    mutable std::optional<QList<QNetworkCookie>> stored;
};
