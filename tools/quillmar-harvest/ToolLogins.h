#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkCookie>
#include <QString>
#include <QStringList>

class QObject;
class QWebEngineProfile;

// The logins a run of the tool uses: none by default (the engine's
// off-the-record profile), the window's (a private copy of its profile, so
// the window is never touched, with the cookies an open window published
// since it last wrote them into its profile), and the cookies of a cookie
// file, which win over the window's. The pages load with them and the
// downloads carry them. A run set up with the window's logins can go on
// without them (UseWindowLogins): its pages are then made off the record,
// with the cookie file's cookies alone.
class ToolLogins {
public:
    struct Choice {
        bool windowProfile = false;
        QString cookieFile; // empty: none
    };

    // Sets the logins up before any page is made. False with error set when
    // the window's profile cannot be copied or the cookie file cannot be read
    // at all; lineErrors names each line of the file left out ("FILE: line 3: why").
    static bool Use(QObject* owner, const Choice& choice, QString& error, QStringList& lineErrors);
    // Whether pages made and downloads started from now on carry the window's
    // logins, where the run has them; they do until told otherwise.
    static void UseWindowLogins(bool used);
    // The profile the run's pages are made with.
    static QWebEngineProfile* Profile();
    // Every cookie the run holds as cookie-file lines for downloads, the
    // file's replacing the profile's of the same domain, path and name.
    static QList<QByteArray> CookieLines();

private:
    // Sets cookies into profile, over those it holds.
    static void Add(QWebEngineProfile* profile, const QList<QNetworkCookie>& cookies);
    static bool WindowLoginsUsed();
};
