#include "ToolLogins.h"

#include "engine/BrowserProfile.h"
#include "engine/WindowCookies.h"
#include "transfer/EngineCookieJar.h"
#include "transfer/NetscapeCookieFile.h"

#include <QFileInfo>
#include <QSet>
#include <QUrl>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

namespace {

// Set over the profile's own, a later one over an earlier one of the same
// identity: those the window published, and those of the cookie file.
QList<QNetworkCookie> windowCookies;
QList<QNetworkCookie> fileCookies;
bool windowLoginsUsed = true;

// What makes a cookie-file line the same cookie as another: its domain, as
// the HttpOnly mark and a leading dot leave it, whether subdomains get it,
// its path and its name.
QByteArray Identity(const QByteArray& line) {
    static const QByteArray httpOnly = "#HttpOnly_";
    QList<QByteArray> fields = line.split('\t');
    if (fields.size() < 6)
        return line;
    QByteArray domain = fields[0].startsWith(httpOnly) ? fields[0].mid(httpOnly.size()) : fields[0];
    while (domain.startsWith('.'))
        domain.remove(0, 1);
    return domain.toLower() + '\t' + fields[1] + '\t' + fields[2] + '\t' + fields[5];
}

// A host-only cookie is set without a domain, from its host, so that the
// engine keeps it to that host as the file says.
void SetInEngine(QWebEngineCookieStore* store, const QNetworkCookie& cookie) {
    const bool hostOnly = !cookie.domain().startsWith('.');
    QUrl origin;
    origin.setScheme(cookie.isSecure() ? QStringLiteral("https") : QStringLiteral("http"));
    origin.setHost(hostOnly ? cookie.domain() : cookie.domain().mid(1));
    origin.setPath(cookie.path());
    QNetworkCookie set = cookie;
    if (hostOnly)
        set.setDomain(QString());
    store->setCookie(set, origin);
}

} // namespace

bool ToolLogins::Use(QObject* owner, const Choice& choice, QString& error,
                     QStringList& lineErrors) {
    if (choice.windowProfile && !BrowserProfile::UseWindowCopy(owner, error)) {
        error = QStringLiteral("cannot use the window's logins: ") + error;
        if (!QFileInfo(BrowserProfile::WindowFolder()).isDir())
            error += QStringLiteral(" (the window has not been used yet: sign in there first)");
        return false;
    }
    // Followed from the first request on, so downloads carry the pages' cookies.
    EngineCookieJar::ForProfile(Profile());
    EngineCookieJar::ForProfile(QWebEngineProfile::defaultProfile());
    if (choice.windowProfile) {
        windowCookies = WindowCookies::Read();
        Add(Profile(), windowCookies);
    }
    if (choice.cookieFile.isEmpty())
        return true;
    const QFileInfo file(choice.cookieFile);
    if (!file.isFile() || !file.isReadable()) {
        error = QStringLiteral("cannot read the cookie file ") + choice.cookieFile;
        return false;
    }
    const NetscapeCookieFile::Reading reading = NetscapeCookieFile::Read(choice.cookieFile);
    if (reading.cookies.isEmpty() && reading.errors.size() == 1 &&
        !reading.errors.first().contains(QLatin1String(": line "))) {
        error = reading.errors.first();
        return false;
    }
    lineErrors = reading.errors;
    fileCookies = reading.cookies;
    Add(QWebEngineProfile::defaultProfile(), fileCookies);
    if (Profile() != QWebEngineProfile::defaultProfile())
        Add(Profile(), fileCookies);
    return true;
}

void ToolLogins::UseWindowLogins(bool used) {
    windowLoginsUsed = used;
}

bool ToolLogins::WindowLoginsUsed() {
    return windowLoginsUsed && BrowserProfile::Current();
}

void ToolLogins::Add(QWebEngineProfile* profile, const QList<QNetworkCookie>& cookies) {
    for (const QNetworkCookie& cookie : cookies)
        SetInEngine(profile->cookieStore(), cookie);
}

QWebEngineProfile* ToolLogins::Profile() {
    return WindowLoginsUsed() ? BrowserProfile::Current() : QWebEngineProfile::defaultProfile();
}

QList<QByteArray> ToolLogins::CookieLines() {
    const QList<QNetworkCookie> added =
        WindowLoginsUsed() ? windowCookies + fileCookies : fileCookies;
    QList<QByteArray> lines = EngineCookieJar::ForProfile(Profile())->CurlCookieLines() +
                              NetscapeCookieFile::Lines(added);
    // The last line of each identity stands.
    QSet<QByteArray> seen;
    for (qsizetype index = lines.size() - 1; index >= 0; --index) {
        if (seen.contains(Identity(lines[index])))
            lines.removeAt(index);
        else
            seen.insert(Identity(lines[index]));
    }
    return lines;
}
