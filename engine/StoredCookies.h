#pragma once

#include <QList>
#include <QNetworkCookie>
#include <QString>

class QWebEngineProfile;

// The cookies a profile kept on disk from before, which the engine tells
// nobody of: Qt WebEngine 6.4 reports the cookies pages set or remove, but
// none of those it loads (QWebEngineCookieStore::loadAllCookies reports none).
// Read from Chromium's cookie database, as its version 17 holds them.
class StoredCookies {
public:
    // The persistent cookies of the database in profileFolder, read from a
    // copy so that the engine using it never waits for this reader; none
    // where there is no database or it cannot be read.
    static QList<QNetworkCookie> Read(const QString& profileFolder);
    // The profile's cookie jar takes its stored cookies from the profile's
    // folder when first asked for cookies.
    static void Follow(QWebEngineProfile* profile);
};
