#pragma once

#include <QByteArray>
#include <QNetworkCookieJar>

class QWebEngineCookieStore;
class QWebEngineProfile;

// A copy of the cookies the browser engine holds for one profile, kept up to
// date from the engine's cookie store, so downloads carry the cookies the
// engine would send for the same address.
class EngineCookieJar : public QNetworkCookieJar {
    Q_OBJECT
public:
    // Follows store from now on and asks it for every cookie it holds already.
    explicit EngineCookieJar(QWebEngineCookieStore* store, QObject* parent = nullptr);

    // The jar of profile, created on first use and owned by the profile.
    static EngineCookieJar* ForProfile(QWebEngineProfile* profile);

    // Every cookie as a line of the Netscape cookie file (domain, subdomains,
    // path, secure, expiry, name, value), "#HttpOnly_" before an HttpOnly
    // cookie's domain; a host-only cookie keeps its subdomains flag FALSE.
    QList<QByteArray> CurlCookieLines() const;
};
