#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkCookie>
#include <QString>
#include <QStringList>

// The cookie file of curl (-b, -c), wget (--load-cookies, --save-cookies) and
// the browsers' cookie-export extensions: one cookie a line, seven fields
// separated by tabs (domain, TRUE when subdomains get it too, path, TRUE when
// only for secure connections, expiry in seconds since the epoch or 0 for a
// session cookie, name, value), "#HttpOnly_" before the domain of an HttpOnly
// cookie, other lines starting with "#" comments.
class NetscapeCookieFile {
public:
    struct Reading {
        // A domain cookie's domain starts with a dot, a host-only one's does not.
        QList<QNetworkCookie> cookies;
        // One text for each line left out, "FILE: line 3: why", or one for the whole file.
        QStringList errors;
    };

    // The cookies of a cookie file's text; name is the file's name in the errors.
    static Reading Parse(const QByteArray& text, const QString& name);
    // The cookies of the file at path; a file too large or not text gives none.
    static Reading Read(const QString& path);

    // One cookie as a line of the file, without its line end.
    static QByteArray Line(const QNetworkCookie& cookie);
    // Each cookie as a line, as libcurl's CURLOPT_COOKIELIST takes them.
    static QList<QByteArray> Lines(const QList<QNetworkCookie>& cookies);
    // A whole file: a header saying what it is and holds, then one line a cookie.
    static QByteArray Text(const QList<QNetworkCookie>& cookies);
    // Writes Text(cookies) to path, readable and writable by its owner alone: a
    // new file takes the name when it is whole, never writing through a link
    // nor keeping an old file's wider permissions. False with error set.
    static bool Write(const QString& path, const QList<QNetworkCookie>& cookies, QString& error);

    // Longer lines, and larger files, are not read.
    static constexpr qsizetype MaxLineBytes = 16 * 1024;
    static constexpr qint64 MaxFileBytes = 32 * 1024 * 1024;
};
