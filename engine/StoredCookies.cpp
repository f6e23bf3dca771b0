#include "engine/StoredCookies.h"

#include "engine/ProfileCopy.h"
#include "transfer/EngineCookieJar.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>
#include <QWebEngineProfile>

#include <memory>

namespace {

// Chromium counts microseconds from 1601-01-01.
constexpr qint64 UnixEpochInChromiumSeconds = 11644473600;

QNetworkCookie CookieOf(const QSqlQuery& row) {
    QNetworkCookie cookie(row.value(1).toByteArray(), row.value(2).toByteArray());
    // A domain cookie's host starts with a dot, as the store reports it.
    cookie.setDomain(row.value(0).toString());
    cookie.setPath(row.value(3).toString());
    cookie.setExpirationDate(QDateTime::fromSecsSinceEpoch(
        row.value(4).toLongLong() / 1000000 - UnixEpochInChromiumSeconds, Qt::UTC));
    cookie.setSecure(row.value(5).toBool());
    cookie.setHttpOnly(row.value(6).toBool());
    return cookie;
}

QList<QNetworkCookie> ReadDatabase(const QString& path) {
    QList<QNetworkCookie> cookies;
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), path);
    database.setDatabaseName(path);
    if (database.open()) {
        // Sessions end with the run that had them; encrypted values cannot be read here.
        QSqlQuery rows(database);
        if (rows.exec(QStringLiteral(
                "SELECT host_key, name, value, path, expires_utc, is_secure, is_httponly "
                "FROM cookies WHERE is_persistent = 1 AND length(encrypted_value) = 0"))) {
            while (rows.next())
                cookies.append(CookieOf(rows));
        }
    }
    database = QSqlDatabase();
    QSqlDatabase::removeDatabase(path);
    return cookies;
}

} // namespace

QList<QNetworkCookie> StoredCookies::Read(const QString& profileFolder) {
    QString error;
    const std::unique_ptr<ProfileCopy> copy =
        ProfileCopy::Make(profileFolder, error, ProfileCopy::CookieParts());
    if (!copy || !QFileInfo::exists(copy->Path() + QStringLiteral("/Cookies")))
        return {};
    return ReadDatabase(copy->Path() + QStringLiteral("/Cookies"));
}

void StoredCookies::Follow(QWebEngineProfile* profile) {
    const QString folder = profile->persistentStoragePath();
    EngineCookieJar::ForProfile(profile)->ReadStoredWith([folder] { return Read(folder); });
}
